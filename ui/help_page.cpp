#include "ui/help_page.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QScreen>
#include <QShortcut>
#include <QTabBar>
#include <QTextBrowser>
#include <QTextEdit>

#include "ui/model_terms.h"

namespace corvanta::ui {

namespace {

// What a builder operates: buttons, boxes, choices and tab bars. Labels
// and the figures' own text are not controls.
bool IsControl(const QWidget* widget) {
    if (widget->isWindow() || widget->accessibleName().isEmpty()) return false;
    return qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget) ||
           qobject_cast<const QComboBox*>(widget) || qobject_cast<const QLineEdit*>(widget) ||
           qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QTabBar*>(widget);
}

QString WordsOf(const QWidget* control) {
    if (!control->toolTip().isEmpty()) return control->toolTip();
    if (const QString term = TermExplanationOf(control->accessibleName()); !term.isEmpty()) return term;
    return {};
}

QString PageHtml(const QWidget* window) {
    QFile file(QStringLiteral(":/help/help.html"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    QString html = QString::fromUtf8(file.readAll());
    html.replace(QLatin1String("<!--controls-->"), ControlsHtml(window));
    html.replace(QLatin1String("<!--terms-->"), TermsGlossaryHtml());
    return html;
}

}  // namespace

QString ControlsHtml(const QWidget* window) {
    QString html;
    for (const QWidget* control : window->findChildren<QWidget*>()) {
        if (!IsControl(control)) continue;
        const QString words = WordsOf(control);
        if (words.isEmpty()) continue;
        html += QStringLiteral("<p><b>%1</b>: %2</p>").arg(control->accessibleName().toHtmlEscaped(), words);
    }
    return html;
}

QTextBrowser* ShowHelp(QWidget* window, const QString& part) {
    auto* page = window->findChild<QTextBrowser*>(QStringLiteral("helpPage"), Qt::FindDirectChildrenOnly);
    if (!page) {
        page = new QTextBrowser(window);
        page->setObjectName(QStringLiteral("helpPage"));
        page->setWindowFlag(Qt::Window);
        page->setWindowTitle(QStringLiteral("%1 help").arg(window->windowTitle().section(QLatin1Char(' '), 0, 1)));
        page->setAccessibleName(QStringLiteral("Help"));
        page->setOpenExternalLinks(false);
        page->resize(QSize(640, 720).boundedTo(window->screen()->availableSize() * 0.8));
        auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), page);
        QObject::connect(close, &QShortcut::activated, page, &QWidget::close);
    }
    // Written afresh: the controls' words are the window's as it is now.
    page->setHtml(PageHtml(window));
    page->show();
    page->scrollToAnchor(part);
    page->raise();
    page->activateWindow();
    return page;
}

void AddWhatsThis(QWidget* window) {
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (!IsControl(control) || !control->whatsThis().isEmpty()) continue;
        QString words = WordsOf(control);
        if (words.isEmpty()) {
            words = QStringLiteral("%1. Help (F1) explains it.").arg(control->accessibleName());
        }
        control->setWhatsThis(words);
    }
}

}  // namespace corvanta::ui
