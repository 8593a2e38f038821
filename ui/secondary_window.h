#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

namespace corvanta::ui {

// A window that exists at most once in a run. The first Show() builds it;
// later ones show and activate the open window instead of a second one.
// Closing it destroys the window and its controls (and any edits), and the
// next Show() builds it again from its design. It has no owner, so it lives
// beside the main window and outlives it.
class SecondaryWindow {
public:
    using Builder = std::function<QWidget*()>;

    explicit SecondaryWindow(Builder build) : build_(std::move(build)) {}
    SecondaryWindow(const SecondaryWindow&) = delete;
    SecondaryWindow& operator=(const SecondaryWindow&) = delete;
    ~SecondaryWindow() { delete window_; }

    QWidget* Show() {
        if (!window_) {
            window_ = build_();
            window_->setAttribute(Qt::WA_DeleteOnClose);
        }
        window_->show();
        window_->raise();
        window_->activateWindow();
        return window_;
    }

    // The open window, or null.
    QWidget* Window() const { return window_; }

private:
    Builder build_;
    QPointer<QWidget> window_;
};

}  // namespace corvanta::ui
