// The yardstick for start-up: an empty Qt window of the same size, built with
// the same flags, so that the start-up script can compare like with like.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("BARE WINDOW"));
    window.resize(535, 402);
    window.show();
    return QApplication::exec();
}
