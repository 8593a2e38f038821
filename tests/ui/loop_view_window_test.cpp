#include <QCheckBox>
#include <QImage>
#include <QPushButton>
#include <QtTest>
#include <optional>

#include "conductor/design_run.h"
#include "tests/installed.h"
#include "ui/loop_view_widget.h"

// The 3D tab as a keyboard user turns it: each key moves the view the way
// its label says, the picture follows, Home and the button go back.

namespace corvanta::ui {

class LoopViewWindowTest : public QObject {
    Q_OBJECT

private:
    std::optional<nec::ModelCheck> check_;
    LoopViewPage* page_ = nullptr;

    QImage Picture() { return page_->canvas()->grab().toImage(); }

private slots:
    void initTestCase() {
        if (!testing::Installed("nec2c")) QSKIP("nec2c is not installed");
        nec::CheckOptions options;
        options.sweepFromMHz = 140;
        options.sweepToMHz = 152;
        options.sweepPoints = 7;
        options.pattern.azimuthStepDeg = 15;
        check_ = nec::RunCheck(RunDesign({"146", SideChoice::Three, SizeInput{SizeUnit::Gauge, "14"}}), options);
        QVERIFY(!check_->report.currents.empty());
    }

    void init() {
        page_ = new LoopViewPage;
        page_->resize(640, 520);
        page_->canvas()->setCheck(&*check_);
        page_->show();
        QVERIFY(QTest::qWaitForWindowExposed(page_));
        page_->canvas()->setFocus();
    }
    void cleanup() { delete page_; }

    void keysTurnAndZoom_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<double>("azimuthStep");
        QTest::addColumn<double>("elevationStep");
        QTest::addColumn<double>("zoomFactor");
        const double step = LoopViewCanvas::kKeyStepDeg;
        QTest::newRow("left") << int(Qt::Key_Left) << step << 0.0 << 1.0;
        QTest::newRow("right") << int(Qt::Key_Right) << -step << 0.0 << 1.0;
        QTest::newRow("up") << int(Qt::Key_Up) << 0.0 << step << 1.0;
        QTest::newRow("down") << int(Qt::Key_Down) << 0.0 << -step << 1.0;
        QTest::newRow("plus") << int(Qt::Key_Plus) << 0.0 << 0.0 << LoopViewCanvas::kZoomStep;
        QTest::newRow("minus") << int(Qt::Key_Minus) << 0.0 << 0.0 << 1 / LoopViewCanvas::kZoomStep;
    }
    void keysTurnAndZoom() {
        QFETCH(int, key);
        QFETCH(double, azimuthStep);
        QFETCH(double, elevationStep);
        QFETCH(double, zoomFactor);
        LoopViewCanvas* canvas = page_->canvas();
        const plot::LoopViewSettings before = canvas->settings();
        const QImage was = Picture();
        QSignalSpy changed(canvas, &LoopViewCanvas::viewChanged);

        QTest::keyClick(canvas, Qt::Key(key));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(canvas->settings().angle.azimuthDeg, before.angle.azimuthDeg + azimuthStep);
        QCOMPARE(canvas->settings().angle.elevationDeg, before.angle.elevationDeg + elevationStep);
        QCOMPARE(canvas->settings().zoom, before.zoom * zoomFactor);
        QVERIFY2(Picture() != was, "the picture did not follow the key");

        // Home: back to the view the tab opened with, picture and all.
        QTest::keyClick(canvas, Qt::Key_Home);
        QCOMPARE(canvas->settings().angle.azimuthDeg, plot::kDefaultViewAngle.azimuthDeg);
        QCOMPARE(canvas->settings().angle.elevationDeg, plot::kDefaultViewAngle.elevationDeg);
        QCOMPARE(Picture(), was);
    }

    // Held down, the keys go round and round in azimuth but stop short of
    // looking straight down, where the view would turn over.
    void turningWrapsAndStops() {
        LoopViewCanvas* canvas = page_->canvas();
        for (int i = 0; i < 72; ++i) QTest::keyClick(canvas, Qt::Key_Left);
        QCOMPARE(canvas->settings().angle.azimuthDeg, plot::kDefaultViewAngle.azimuthDeg);
        for (int i = 0; i < 40; ++i) QTest::keyClick(canvas, Qt::Key_Up);
        QCOMPARE(canvas->settings().angle.elevationDeg, plot::kSteepestDeg);
        for (int i = 0; i < 200; ++i) QTest::keyClick(canvas, Qt::Key_Plus);
        const double most = canvas->settings().zoom;
        QTest::keyClick(canvas, Qt::Key_Plus);
        QCOMPARE(canvas->settings().zoom, most);
        page_->findChild<QPushButton*>(QStringLiteral("viewReset"))->click();
        QCOMPARE(canvas->settings().zoom, 1.0);
        QCOMPARE(canvas->settings().angle.elevationDeg, plot::kDefaultViewAngle.elevationDeg);
    }

    // Each part hidden leaves a different picture, and shown again the same.
    void eachPartHidesAndShows() {
        const QImage all = Picture();
        for (const char* name : {"viewPattern", "viewCurrents", "viewGeometry"}) {
            auto* box = page_->findChild<QCheckBox*>(QString::fromLatin1(name));
            QVERIFY2(box, name);
            box->setChecked(false);
            QVERIFY2(Picture() != all, name);
            box->setChecked(true);
            QCOMPARE(Picture(), all);
        }
    }
};

}  // namespace corvanta::ui

QTEST_MAIN(corvanta::ui::LoopViewWindowTest)
#include "loop_view_window_test.moc"
