#include "ui/website_window.h"

#include <QBitmap>
#include <QCursor>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>

#include "ui/colours.h"
#include "ui/error_reporter.h"
#include "ui/fonts.h"
#include "ui/launcher.h"
#include "ui/twips.h"

namespace corvanta::ui {

namespace {

// The hand cursor is kept as text, one character a pixel: 'X' black outline,
// 'o' white fill, '.' transparent. The fingertip is the hot spot.
constexpr QPoint kHandHotSpot(13, 9);

QCursor HandCursor() {
    QFile file(QStringLiteral(":/assets/hand_cursor.txt"));
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    if (file.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> rows = file.readAll().split('\n');
        for (int y = 0; y < 32 && y < rows.size(); ++y) {
            const QByteArray& row = rows[y];
            for (int x = 0; x < 32 && x < row.size(); ++x) {
                if (row[x] == 'X') image.setPixel(x, y, qRgb(0, 0, 0));
                if (row[x] == 'o') image.setPixel(x, y, qRgb(255, 255, 255));
            }
        }
    }
    return QCursor(QPixmap::fromImage(image), kHandHotSpot.x(), kHandHotSpot.y());
}

QLabel* PlaceLabel(QLabel* label, const char* name, const QRect& geometry, Qt::Alignment alignment) {
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setAlignment(alignment);
    label->setWordWrap(true);
    label->setFocusPolicy(Qt::NoFocus);
    label->setAccessibleName(label->text());
    return label;
}

}  // namespace

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void LinkLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double-click: its release is no click.
    pressed_ = false;
    event->accept();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (click) emit clicked();
}

QString WebAddress() {
    QString address = QStringLiteral(CORVANTA_WEB_ADDRESS);
    while (address.endsWith(QLatin1Char('/'))) address.chop(1);
    return address;
}

QString WebPageCommand() { return QStringLiteral("start.exe ") + WebAddress() + QLatin1Char('/'); }

QWidget* BuildWebsiteWindow(Launcher& launcher, ErrorReporter& reporter) {
    auto* window = new QWidget;
    window->setObjectName(QStringLiteral("web"));
    window->setWindowTitle(QStringLiteral("Web Page Link"));
    window->setFont(DefaultFont());
    // Places the client area, not the frame, at its fixed spot.
    window->setGeometry(QRect(TwipsPoint(2130, 1695), TwipsSize(3315, 1845)));

    PlaceLabel(new QLabel(QStringLiteral("The link will be opened in your default browser."), window), "Label1",
               TwipsRect(525, 75, 2265, 390), Qt::AlignHCenter | Qt::AlignTop);
    PlaceLabel(new QLabel(QStringLiteral("Click Link Below to "), window), "Label2", TwipsRect(450, 750, 2490, 345),
               Qt::AlignHCenter | Qt::AlignTop);
    auto* link = new LinkLabel(WebAddress(), window);
    PlaceLabel(link, "lblWebPage", TwipsRect(525, 1335, 2205, 255), Qt::AlignLeft | Qt::AlignTop);
    link->setFont(SansFont(8.25, Underline));
    QPalette palette = link->palette();
    palette.setColor(QPalette::WindowText, kBlue);
    link->setPalette(palette);
    link->setCursor(HandCursor());
    link->setAccessibleDescription(QStringLiteral("Opens the web page in your default browser"));

    QObject::connect(link, &LinkLabel::clicked, window, [window, &launcher, &reporter] {
        if (const auto failure = launcher.Start(WebPageCommand(), Launcher::kHidden)) {
            reporter.Report(window, FailureOf(*failure));
        }
    });
    return window;
}

}  // namespace corvanta::ui
