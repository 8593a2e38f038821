// The currents of the design frequency's run, laid on the program's own
// segments: checked against what the engine says of the same run
// elsewhere (the source's current) and against the loop's symmetry.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "nec/deck_writer.h"
#include "nec/engine_runner.h"
#include "nec/loop_geometry.h"
#include "tests/installed.h"

namespace corvanta::nec {
namespace {

double Distance(const Point3& a, const Point3& b) { return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z); }

struct Loop {
    const char* name;
    const char* mhz;
    SideChoice sides;
    SizeInput size;
    Placement placement;
    int segmentsPerGap;
};

const Loop kLoops[] = {
    {"146 MHz three-sided, AWG 14, free space", "146", SideChoice::Three, {SizeUnit::Gauge, "14"}, {}, 1},
    {"146 MHz three-sided, the gap in two", "146", SideChoice::Three, {SizeUnit::Gauge, "14"}, {}, 2},
    {"28.5 MHz four-sided, 50 mm tube, 12 m over average ground",
     "28.5",
     SideChoice::Four,
     {SizeUnit::Mm, "50"},
     {Ground::Average, 12},
     1},
};

TEST(Currents, LaidOnTheModelsSegments) {
    if (!testing::Installed("nec2c")) GTEST_SKIP() << "nec2c is not installed";
    for (const Loop& loop : kLoops) {
        SCOPED_TRACE(loop.name);
        const Design design = RunDesign({loop.mhz, loop.sides, loop.size});
        const LoopModel model = BuildModel(design, loop.placement, DesignMHz(design) * 1.4, loop.segmentsPerGap);
        const PatternGrid coarse{30, 90};
        const std::size_t segments = static_cast<std::size_t>(model.TotalSegments());
        const Expected asked{{model.designMHz},
                             static_cast<std::size_t>(model.sides * model.gapSegments),
                             static_cast<std::size_t>(PatternThetas(model, coarse) * PatternPhis(coarse)),
                             segments};
        const std::vector<EngineOutput> outputs =
            RunEngines({{WriteDeck(model, Sweep{model.designMHz, 0, 1}, coarse, {0, 0, true}), asked}}, {});
        const FrequencyResult& at = outputs.front().frequencies.back();
        const std::vector<SegmentCurrent> currents = CurrentsOnModel(model, at.currents, model.designMHz);
        ASSERT_EQ(currents.size(), segments);

        // The wires as cut: each vertical HEIGHT long, its segments end to
        // end; each edge SIDE long.
        const std::size_t perCorner = segments / static_cast<std::size_t>(model.sides);
        const std::size_t vertical = model.VerticalLengths().size();
        for (std::size_t corner = 0; corner < static_cast<std::size_t>(model.sides); ++corner) {
            const std::size_t first = corner * perCorner;
            double height = 0;
            for (std::size_t s = first; s < first + vertical; ++s) {
                height += Distance(currents[s].segment.from, currents[s].segment.to);
                if (s + 1 < first + vertical) {
                    EXPECT_LT(Distance(currents[s].segment.to, currents[s + 1].segment.from), 1e-12);
                }
            }
            EXPECT_NEAR(height, model.heightMm / 1000, 1e-9);
            double edge = 0;
            for (std::size_t s = first + vertical; s < first + vertical + static_cast<std::size_t>(model.edgeSegments);
                 ++s) {
                edge += Distance(currents[s].segment.from, currents[s].segment.to);
            }
            EXPECT_NEAR(edge, model.sideMm / 1000, 1e-9);
        }
        // Over ground the lowest wire stands its clearance above z = 0.
        double lowest = 1e9;
        for (const SegmentCurrent& c : currents) lowest = std::min({lowest, c.segment.from.z, c.segment.to.z});
        const double clearance = model.placement.ground == Ground::Free
                                     ? -model.heightMm / 2000
                                     : model.placement.heightM - model.heightMm / 2000;
        EXPECT_NEAR(lowest, clearance, 1e-9);

        // The fed segments carry the source's current, as the engine's
        // input parameters give it.
        int fed = 0;
        for (std::size_t i = 0; i < currents.size(); ++i) {
            if (!currents[i].segment.fed) continue;
            ++fed;
            const double source = std::abs(at.sources.front().current);
            EXPECT_NEAR(currents[i].magnitudeA, source, 2e-4 * source) << "segment " << i + 1;
        }
        EXPECT_EQ(fed, model.sides * model.gapSegments);
        // Each corner's wires carry the same currents: the loop is fed the
        // same at every gap.
        for (std::size_t s = 0; s < perCorner; ++s) {
            for (std::size_t corner = 1; corner < static_cast<std::size_t>(model.sides); ++corner) {
                const double a = currents[s].magnitudeA, b = currents[s + corner * perCorner].magnitudeA;
                EXPECT_NEAR(a, b, 1e-3 * std::max(a, 1e-6)) << "segment " << s + 1;
            }
        }

        // Read against a model cut differently, the same currents are
        // refused rather than laid on the wrong wires.
        LoopModel other = model;
        other.edgeSegments += 1;
        other.verticalSegments -= 1;
        other.verticalMm.clear();
        EXPECT_THROW(CurrentsOnModel(other, at.currents, model.designMHz), Failure);
        std::vector<CurrentReading> shifted = at.currents;
        std::rotate(shifted.begin(), shifted.begin() + 1, shifted.end());
        EXPECT_THROW(CurrentsOnModel(model, shifted, model.designMHz), Failure);
    }
}

}  // namespace
}  // namespace corvanta::nec
