// The loop in three dimensions: the projection, the far-first order, the
// pattern's resampling, and the view of a real check as SVG.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>
#include <QRegularExpression>
#include <cmath>
#include <string>

#include "plot/loop_view.h"
#include "tests/installed.h"

namespace corvanta::plot {
namespace {

using nec::Point3;

ScenePiece Square(Point3 centre, char normal) {
    // A unit square through `centre`, across the axis `normal`.
    const auto corner = [&](double a, double b) {
        switch (normal) {
            case 'x':
                return Point3{centre.x, centre.y + a, centre.z + b};
            case 'y':
                return Point3{centre.x + a, centre.y, centre.z + b};
            default:
                return Point3{centre.x + a, centre.y + b, centre.z};
        }
    };
    return {ScenePiece::Kind::Face, {corner(-1, -1), corner(1, -1), corner(1, 1), corner(-1, 1)}, Qt::gray};
}

TEST(LoopView, FarFacesFirst) {
    // A cube's faces: 0 and 1 across x, 2 and 3 across y, 4 and 5 across z.
    const std::vector<ScenePiece> cube = {Square({-1, 0, 0}, 'x'), Square({1, 0, 0}, 'x'),  Square({0, -1, 0}, 'y'),
                                          Square({0, 1, 0}, 'y'),  Square({0, 0, -1}, 'z'), Square({0, 0, 1}, 'z')};
    struct Eye {
        ViewAngle angle;
        std::size_t farthest, nearest;
    };
    for (const Eye& eye : {Eye{{0, 0}, 0, 1}, Eye{{180, 0}, 1, 0}, Eye{{90, 0}, 2, 3}, Eye{{-90, 10}, 3, 2},
                           Eye{{30, 80}, 4, 5}, Eye{{30, -80}, 5, 4}}) {
        SCOPED_TRACE(eye.angle.azimuthDeg);
        SCOPED_TRACE(eye.angle.elevationDeg);
        const std::vector<std::size_t> order = FarFirst(cube, ViewProjection(eye.angle, {0, 0}, 1));
        EXPECT_EQ(order.front(), eye.farthest);
        EXPECT_EQ(order.back(), eye.nearest);
    }
    // A wire in front of a face from one side is behind it from the other.
    const std::vector<ScenePiece> scene = {{ScenePiece::Kind::Wire, {{0, -1, 0}, {0, 1, 0}}, Qt::red},
                                           Square({-0.5, 0, 0}, 'x')};
    EXPECT_EQ(FarFirst(scene, ViewProjection({0, 20}, {0, 0}, 1)).back(), 0U);
    EXPECT_EQ(FarFirst(scene, ViewProjection({180, 20}, {0, 0}, 1)).back(), 1U);
}

TEST(LoopView, Projection) {
    // Up is up on the page whatever the azimuth; a point on the line of
    // sight lands on the centre; the view turns counter-clockwise with
    // the azimuth, so the y axis is to the right seen from +x.
    for (double azimuth : {-170.0, -60.0, 0.0, 45.0, 135.0}) {
        const ViewProjection view({azimuth, 0}, {100, 100}, 10);
        EXPECT_NEAR(view.At({0, 0, 1}).x(), 100, 1e-9);
        EXPECT_NEAR(view.At({0, 0, 1}).y(), 90, 1e-9);
        const double a = azimuth * std::acos(-1) / 180;
        const QPointF sight = view.At({std::cos(a), std::sin(a), 0});
        EXPECT_NEAR(sight.x(), 100, 1e-9);
        EXPECT_NEAR(sight.y(), 100, 1e-9);
    }
    EXPECT_GT(ViewProjection({0, 0}, {0, 0}, 1).At({0, 1, 0}).x(), 0);
    EXPECT_DOUBLE_EQ(Normalised({190, 95}).azimuthDeg, -170);
    EXPECT_DOUBLE_EQ(Normalised({190, 95}).elevationDeg, kSteepestDeg);
    EXPECT_DOUBLE_EQ(Normalised({-540, -95}).azimuthDeg, -180);
}

// A made-up pattern, linear in theta and phi, on the engine's grid.
std::vector<nec::PatternPoint> Pattern(double thetaStep, double phiStep, double lastTheta) {
    std::vector<nec::PatternPoint> pattern;
    for (double t = 0; t <= lastTheta + 1e-9; t += thetaStep) {
        for (double p = 0; p <= 360 + 1e-9; p += phiStep) pattern.push_back({t, p, -t / 10 - p / 100, 0, 0});
    }
    return pattern;
}

TEST(LoopView, PatternResampledToFiveDegrees) {
    struct Grid {
        double thetaStep, phiStep, lastTheta;
        int thetas;
    };
    for (const Grid& g : {Grid{1, 5, 180, 37}, Grid{1, 5, 90, 19}, Grid{2, 10, 90, 19}, Grid{10, 30, 180, 37}}) {
        SCOPED_TRACE(g.phiStep);
        const std::optional<PatternSurface> surface = SurfaceOf(Pattern(g.thetaStep, g.phiStep, g.lastTheta));
        ASSERT_TRUE(surface);
        EXPECT_EQ(surface->thetas, g.thetas);
        EXPECT_EQ(surface->phis, 72);
        EXPECT_DOUBLE_EQ(surface->maxDbi, 0);
        // Linear in both: bilinear resampling is exact.
        for (int t : {0, 3, g.thetas - 1}) {
            for (int p : {0, 7, 71}) EXPECT_NEAR(surface->At(t, p), -t * 5 / 10.0 - p * 5 / 100.0, 1e-9);
        }
        EXPECT_DOUBLE_EQ(surface->Reach(0), 1);
        EXPECT_DOUBLE_EQ(surface->Reach(-15), 0.5);
        EXPECT_DOUBLE_EQ(surface->Reach(-45), 0);
    }
    EXPECT_FALSE(SurfaceOf({}));
    std::vector<nec::PatternPoint> ragged = Pattern(1, 5, 90);
    ragged.pop_back();
    EXPECT_FALSE(SurfaceOf(ragged));
}

// The default three-sided loop with a short sweep: its view drawn as SVG.
TEST(LoopView, RealCheckAsSvg) {
    if (!testing::Installed("nec2c")) GTEST_SKIP() << "nec2c is not installed";
    nec::CheckOptions options;
    options.sweepFromMHz = 140;
    options.sweepToMHz = 152;
    options.sweepPoints = 7;
    options.pattern.azimuthStepDeg = 15;
    const nec::ModelCheck check =
        nec::RunCheck(RunDesign({"146", SideChoice::Three, SizeInput{SizeUnit::Gauge, "14"}}), options);
    ASSERT_EQ(check.report.currents.size(), static_cast<std::size_t>(check.plan.model.TotalSegments()));

    const auto svg = [&](const LoopViewSettings& settings) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(kLoopViewSize);
        QPainter painter(&generator);
        DrawLoopView(painter, QRectF(QPointF(0, 0), QSizeF(kLoopViewSize)), check, settings);
        painter.end();
        return QString::fromUtf8(buffer.data());
    };
    const QString all = svg({});
    // Whose currents and pattern: the verdict beside it may name another loop.
    EXPECT_TRUE(all.contains(QStringLiteral("design")) && all.contains(QStringLiteral("loop at 146.00 MHz")));
    // The wires take the scale's colours from the largest current's red
    // down toward blue at the loop's current minima.
    EXPECT_TRUE(all.contains(CurrentColour(1).name(), Qt::CaseInsensitive));
    double least = 1;
    double most = 0;
    for (const nec::SegmentCurrent& c : check.report.currents) {
        most = std::max(most, c.magnitudeA);
    }
    for (const nec::SegmentCurrent& c : check.report.currents) least = std::min(least, c.magnitudeA / most);
    EXPECT_TRUE(all.contains(CurrentColour(least).name(), Qt::CaseInsensitive));
    EXPECT_TRUE(all.contains(QStringLiteral("mA")));
    // Without the pattern and the currents: the surface's faces and the
    // scale are gone, the wires plain.
    LoopViewSettings plain;
    plain.pattern = false;
    plain.currents = false;
    const QString bare = svg(plain);
    EXPECT_FALSE(bare.contains(CurrentColour(1).name(), Qt::CaseInsensitive));
    EXPECT_FALSE(bare.contains(QStringLiteral("mA")));
    const auto paths = [](const QString& text) { return text.count(QStringLiteral("<path")); };
    EXPECT_GT(paths(all), paths(bare) + 500);
}

}  // namespace
}  // namespace corvanta::plot
