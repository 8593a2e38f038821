#pragma once

#include <QGuiApplication>

// Qt for drawing plots and the sheet, started only when something is drawn,
// on its offscreen platform unless told otherwise: a server or CI has no
// display.

namespace corvanta::cli {

class DrawingQt {
public:
    DrawingQt();

private:
    static int Prepare();
    // Qt keeps a reference to these for the application's life.
    int argc_ = 1;
    char name_[13] = "corvanta-cli";
    char* argv_[2] = {name_, nullptr};
    QGuiApplication application_;
};

}  // namespace corvanta::cli
