// The yardstick for start-up: a plain Qt window of the same size with a few
// line edits and a button, built with the same flags, so that the start-up
// script compares like with like (both load fonts and draw text).
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("BARE WINDOW"));
    window.resize(535, 402);
    for (int row = 0; row < 4; ++row) {
        auto* edit = new QLineEdit(QStringLiteral("146.00"), &window);
        edit->setGeometry(16, 16 + row * 32, 120, 25);
    }
    auto* button = new QPushButton(QStringLiteral("COMPUTE"), &window);
    button->setGeometry(16, 160, 120, 25);
    window.show();
    return QApplication::exec();
}
