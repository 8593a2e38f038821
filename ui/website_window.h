#pragma once

#include <QLabel>
#include <QString>

namespace corvanta::ui {

class ErrorReporter;
class Launcher;

// A label that is clicked like a button: a press and a release of the
// primary button on it. The second press of a double-click is not a click.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};

// The address the link shows, without a final "/".
QString WebAddress();

// The command the link hands to the launcher: "start.exe <address>/".
QString WebPageCommand();

// Builds the "Web Page Link" window at its fixed place on the screen. A click
// on the link starts the web page command, hidden; a launcher failure is
// reported and the window stays.
QWidget* BuildWebsiteWindow(Launcher& launcher, ErrorReporter& reporter);

}  // namespace corvanta::ui
