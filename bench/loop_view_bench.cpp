// Frames a second of the 3D tab turned: the default design (146 MHz,
// three sides, AWG 14) checked by the engine as the window checks it, its
// view turned 5 degrees a frame, each frame painted as the window paints
// it. Run on the offscreen platform:
//
//     QT_QPA_PLATFORM=offscreen loop_view_bench [FRAMES] [WIDTH] [HEIGHT]
//
// It prints the median frames a second and the slowest tenth's.

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "conductor/design_run.h"
#include "nec/model_check.h"
#include "ui/loop_view_widget.h"

int main(int argc, char** argv) {
    using namespace corvanta;
    QApplication application(argc, argv);
    const int frames = argc > 1 ? std::atoi(argv[1]) : 240;
    const int width = argc > 2 ? std::atoi(argv[2]) : 900;
    const int height = argc > 3 ? std::atoi(argv[3]) : 650;
    if (frames < 10 || width < 100 || height < 100) {
        std::fprintf(stderr, "usage: loop_view_bench [FRAMES>=10] [WIDTH>=100] [HEIGHT>=100]\n");
        return 2;
    }

    const nec::ModelCheck check =
        nec::RunCheck(RunDesign({"146", SideChoice::Three, SizeInput{SizeUnit::Gauge, "14"}}), nec::CheckOptions{});
    ui::LoopViewCanvas canvas;
    canvas.resize(width, height);
    canvas.setCheck(&check);
    // Painted as the offscreen platform's backing store is: into an image
    // the widget's size.
    QImage frame(canvas.size(), QImage::Format_ARGB32_Premultiplied);
    canvas.render(&frame);

    std::vector<double> seconds;
    seconds.reserve(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        // Runs of turning round, up, round and down: the view from above
        // and from the side alike.
        static constexpr Qt::Key kRuns[] = {Qt::Key_Left, Qt::Key_Up, Qt::Key_Left, Qt::Key_Down};
        QKeyEvent key(QEvent::KeyPress, kRuns[(i / 12) % 4], Qt::NoModifier);
        const auto start = std::chrono::steady_clock::now();
        QApplication::sendEvent(&canvas, &key);
        canvas.render(&frame);
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    const double median = seconds[seconds.size() / 2];
    const double slowTenth = seconds[seconds.size() * 9 / 10];
    std::printf("segments %zu, %d frames at %dx%d: median %.1f frames a second, slowest tenth %.1f\n",
                check.report.currents.size(), frames, width, height, 1 / median, 1 / slowTenth);
    return 0;
}
