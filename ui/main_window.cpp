#include "ui/main_window.h"

#include <QButtonGroup>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTextEdit>
#include <algorithm>
#include <limits>

#include "conductor/conductor_actions.h"
#include "core/compute.h"
#include "core/run_time_error.h"
#include "ui/error_reporter.h"
#include "ui/fonts.h"
#include "ui/model_window.h"
#include "ui/secondary_window.h"
#include "ui/twips.h"

namespace corvanta::ui {

namespace {

const QColor kPeach(255, 224, 192);
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);
const QColor kOrange(255, 128, 0);
const QColor kPaleCyan(192, 255, 255);

// How a text box looks. Captions sit on the window's peach without a border
// and are not Tab stops (the user can still click into them and type);
// value fields have the sunken border and the system's text-box background.
enum class Look { Title, Labelling, RowCaption, MatchCaption, UnitCaption, SmallUnitCaption,
                  ConductorInput, Value };

struct TextBoxDesign {
    Field field;
    int left, top, width, height;  // twips
    Look look;
};

constexpr std::array<TextBoxDesign, kFieldCount> kTextBoxes = {{
    {Field::Text1, 360, 480, 3135, 375, Look::Labelling},
    {Field::Text2, 3840, 480, 1335, 375, Look::Value},
    {Field::Text3, 120, 1560, 4335, 375, Look::Labelling},
    {Field::Text4, 120, 2040, 855, 375, Look::ConductorInput},
    {Field::Text5, 1080, 2160, 615, 255, Look::UnitCaption},
    {Field::Text6, 1800, 2040, 855, 375, Look::ConductorInput},
    {Field::Text7, 2760, 2160, 615, 285, Look::SmallUnitCaption},
    {Field::Text8, 3480, 2040, 855, 405, Look::ConductorInput},
    {Field::Text9, 4440, 2160, 495, 285, Look::UnitCaption},
    {Field::Text10, 0, 3720, 975, 255, Look::RowCaption},
    {Field::Text11, 1320, 3720, 975, 285, Look::Value},
    {Field::Text12, 2400, 3720, 375, 285, Look::UnitCaption},
    {Field::Text13, 3120, 3720, 1215, 285, Look::Value},
    {Field::Text14, 4440, 3720, 375, 285, Look::UnitCaption},
    {Field::Text15, 120, 4200, 855, 285, Look::RowCaption},
    {Field::Text16, 1320, 4200, 975, 285, Look::Value},
    {Field::Text17, 3120, 4200, 1215, 285, Look::Value},
    {Field::Text18, 120, 4680, 855, 255, Look::RowCaption},
    {Field::Text19, 1320, 4680, 975, 285, Look::Value},
    {Field::Text20, 3120, 4680, 1215, 285, Look::Value},
    {Field::Text21, 0, 5160, 1095, 855, Look::MatchCaption},
    {Field::Text22, 1320, 5520, 975, 285, Look::Value},
    {Field::Text23, 3120, 5520, 1215, 285, Look::Value},
    // 30 twips wider than the window: its right end lies under the edge.
    {Field::Text24, 0, 0, 8055, 285, Look::Title},
}};

struct ButtonDesign {
    const char* name;
    const char* caption;
    const char* accessibleName;
    int left, top, width, height;  // twips
};

// Command1 .. Command7.
constexpr std::array<ButtonDesign, 7> kButtons = {{
    {"Command1", "CHANGE", "CHANGE gauge", 120, 2520, 855, 375},
    {"Command2", "CHANGE", "CHANGE inch", 1800, 2520, 855, 375},
    {"Command3", "CHANGE", "CHANGE mm", 3480, 2520, 855, 375},
    {"Command4", "COMPUTE", "COMPUTE", 1680, 3120, 1935, 375},
    {"Command5", "WEBSITE", "WEBSITE", 5040, 5520, 1215, 375},
    {"Command6", "NOTES", "NOTES", 6480, 5520, 1215, 375},
    {"Command7", "ACCEPT", "ACCEPT", 5640, 480, 1575, 375},
}};

// The look of each group, as a table: font, text and background colour
// (none: the system's text-box colour), alignment.
struct LookDesign {
    Look look;
    qreal pointSize;
    int style;
    const QColor* text;
    const QColor* base;
    Qt::Alignment alignment;
};

const std::array<LookDesign, 8> kLooks = {{
    {Look::Title, 12, Bold | Italic, &kBlue, &kPaleCyan, Qt::AlignHCenter},
    {Look::Labelling, 9.75, Bold, &kBlue, &kPeach, Qt::AlignLeft},
    {Look::RowCaption, 9.75, Bold, &kBlue, &kPeach, Qt::AlignRight},
    {Look::MatchCaption, 8.25, Bold, &kBlue, &kPeach, Qt::AlignRight},
    {Look::UnitCaption, 9.75, Bold, nullptr, &kPeach, Qt::AlignLeft},
    {Look::SmallUnitCaption, 8.25, Bold, nullptr, &kPeach, Qt::AlignLeft},
    {Look::ConductorInput, 9.75, Bold, &kOrange, nullptr, Qt::AlignHCenter},
    {Look::Value, 9.75, Bold, &kRed, nullptr, Qt::AlignHCenter},
}};

void ApplyLook(QWidget* box, Look look) {
    const LookDesign& design = *std::find_if(kLooks.begin(), kLooks.end(),
                                             [look](const LookDesign& d) { return d.look == look; });
    box->setFont(SansFont(design.pointSize, design.style));
    QPalette palette = box->palette();
    if (design.text) palette.setColor(QPalette::Text, *design.text);
    if (design.base) palette.setColor(QPalette::Base, *design.base);
    box->setPalette(palette);
    const bool caption = look != Look::ConductorInput && look != Look::Value;
    box->setFocusPolicy(caption ? Qt::ClickFocus : Qt::StrongFocus);
    if (auto* line = qobject_cast<QLineEdit*>(box)) {
        line->setAlignment(design.alignment | Qt::AlignVCenter);
        line->setFrame(!caption);
    } else if (auto* edit = qobject_cast<QTextEdit*>(box)) {
        QTextOption option = edit->document()->defaultTextOption();
        option.setAlignment(design.alignment);
        option.setWrapMode(QTextOption::WordWrap);
        edit->document()->setDefaultTextOption(option);
        edit->setFrameShape(QFrame::NoFrame);
    }
}

// The multi-line box shows CR LF as a line break and gives the sheet CR LF back.
QString ForMultiLineBox(const std::string& text) {
    return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

std::string FromMultiLineBox(const QString& text) {
    QString crlf = text;
    crlf.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    crlf.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return crlf.toStdString();
}

}  // namespace

MainWindow::MainWindow(ErrorReporter& reporter, SecondaryWindow& notes, SecondaryWindow& website,
                       SecondaryWindow& model, NumberFormat format, QWidget* parent)
    : QWidget(parent),
      format_(format),
      reporter_(reporter),
      notes_(notes),
      website_(website),
      model_(model) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("ZORVEX CV"));
    setFont(DefaultFont());
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kPeach);
    setPalette(palette);
    setAutoFillBackground(true);
    // Resizable; the controls stay where they are and new area shows peach.
    resize(TwipsSize(8025, 6030));

    buildPictureAndLine();
    buildTextBoxes();
    buildButtons();
    setTabOrder();
    bindSheet();
    box(Field::Text2)->setFocus();

    auto* check = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(check, &QShortcut::activated, this, &MainWindow::modelClicked);
}

void MainWindow::buildTextBoxes() {
    for (const TextBoxDesign& design : kTextBoxes) {
        QWidget* widget = nullptr;
        if (design.field == Field::Text21) {
            text21_ = new QTextEdit(this);
            text21_->setAcceptRichText(false);
            text21_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            text21_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            text21_->setTabChangesFocus(true);
            widget = text21_;
        } else {
            widget = new QLineEdit(this);
        }
        widget->setObjectName(QString::fromUtf8(FieldName(design.field)));
        widget->setAccessibleName(QString::fromUtf8(FieldLabel(design.field)));
        widget->setGeometry(TwipsRect(design.left, design.top, design.width, design.height));
        ApplyLook(widget, design.look);
        boxes_[FieldIndex(design.field)] = widget;
    }
}

void MainWindow::buildButtons() {
    for (std::size_t i = 0; i < kButtons.size(); ++i) {
        const ButtonDesign& design = kButtons[i];
        auto* button = new QPushButton(QString::fromLatin1(design.caption), this);
        button->setObjectName(QString::fromLatin1(design.name));
        button->setAccessibleName(QString::fromLatin1(design.accessibleName));
        button->setGeometry(TwipsRect(design.left, design.top, design.width, design.height));
        // Neither Enter nor Esc presses a button.
        button->setAutoDefault(false);
        button->setDefault(false);
        // The system's button colours, not the window's peach.
        button->setPalette(QPalette());
        commands_[i] = button;
    }
    connect(commands_[0], &QPushButton::clicked, this, &MainWindow::changeGaugeClicked);
    connect(commands_[1], &QPushButton::clicked, this, &MainWindow::changeInchClicked);
    connect(commands_[2], &QPushButton::clicked, this, &MainWindow::changeMmClicked);
    connect(commands_[3], &QPushButton::clicked, this, &MainWindow::computeClicked);
    connect(commands_[4], &QPushButton::clicked, this, &MainWindow::websiteClicked);
    connect(commands_[5], &QPushButton::clicked, this, &MainWindow::notesClicked);
    connect(commands_[6], &QPushButton::clicked, this, &MainWindow::acceptClicked);

    const auto makeOption = [this](const char* name, const QString& caption, const QRect& geometry) {
        auto* option = new QRadioButton(caption, this);
        option->setObjectName(QLatin1String(name));
        option->setAccessibleName(caption);
        option->setGeometry(geometry);
        option->setPalette(QPalette());
        option->setAutoFillBackground(true);
        return option;
    };
    option1_ = makeOption("Option1", QStringLiteral("THREE SIDED"), TwipsRect(840, 960, 1455, 375));
    option2_ = makeOption("Option2", QStringLiteral("FOUR SIDED"), TwipsRect(2760, 960, 1335, 375));
    auto* group = new QButtonGroup(this);
    group->addButton(option1_);
    group->addButton(option2_);
}

void MainWindow::buildPictureAndLine() {
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setAccessibleName(QStringLiteral("Antenna: HEIGHT, SIDE and GAP"));
    picture->setPixmap(QPixmap(QStringLiteral(":/assets/antenna.png")));
    picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picture->setLineWidth(2);
    picture->setGeometry(TwipsRect(5160, 1680, 2610, 3555));
    picture->setToolTip(QStringLiteral("Click (or press F5) to check this design with the NEC-2 "
                                       "antenna model"));
    picture->setAccessibleDescription(picture->toolTip());
    picture->setCursor(Qt::PointingHandCursor);
    picture->installEventFilter(this);
    picture_ = picture;

    auto* line = new QFrame(this);
    line->setObjectName(QStringLiteral("Line2"));
    line->setAccessibleName(QStringLiteral("separator"));
    line->setGeometry(QRect(TwipsPoint(120, 1440), QSize(Px(7800 - 120) + 1, 1)));
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::WindowText));
    line->setPalette(palette);
    line->setAutoFillBackground(true);
}

void MainWindow::setTabOrder() {
    // The stops in their order; captions and the picture take no Tab stop.
    const std::array<QWidget*, 22> order = {
        box(Field::Text2),  box(Field::Text4),  box(Field::Text6),  box(Field::Text8),
        commands_[0],       commands_[1],       commands_[2],       commands_[3],
        box(Field::Text11), box(Field::Text13), box(Field::Text16), box(Field::Text17),
        box(Field::Text19), box(Field::Text20), box(Field::Text22), box(Field::Text23),
        commands_[4],       commands_[5],       commands_[6],       option1_,
        option2_,           box(Field::Text2),
    };
    for (std::size_t i = 0; i + 1 < order.size(); ++i) QWidget::setTabOrder(order[i], order[i + 1]);
}

void MainWindow::bindSheet() {
    for (Field field : AllFields()) {
        QWidget* widget = box(field);
        if (widget == text21_) {
            text21_->setPlainText(ForMultiLineBox(sheet_.Read(field)));
            connect(text21_, &QTextEdit::textChanged, this, [this, field] {
                const std::string text = FromMultiLineBox(text21_->toPlainText());
                if (text != sheet_.Read(field)) sheet_.Replace(field, text);
            });
        } else {
            auto* line = static_cast<QLineEdit*>(widget);
            // No length limit: whatever the user pastes is kept whole.
            line->setMaxLength(std::numeric_limits<int>::max());
            line->setText(QString::fromStdString(sheet_.Read(field)));
            line->setCursorPosition(0);
            connect(line, &QLineEdit::textEdited, this,
                    [this, field](const QString& text) { sheet_.Replace(field, text.toStdString()); });
        }
    }
    sheet_.SetObserver([this](Field field, std::string_view text) {
        showText(field, QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    });

    connect(option1_, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked) sheet_.SetSide(SideChoice::Three);
    });
    connect(option2_, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked) sheet_.SetSide(SideChoice::Four);
    });
}

void MainWindow::showText(Field field, const QString& text) {
    // Typing reaches the sheet first and comes back here: leave the box (and
    // its cursor) alone when it already shows the text.
    if (QWidget* widget = box(field); widget == text21_) {
        if (FromMultiLineBox(text21_->toPlainText()) != text.toStdString()) {
            text21_->setPlainText(ForMultiLineBox(text.toStdString()));
        }
    } else if (auto* line = static_cast<QLineEdit*>(widget); line->text() != text) {
        line->setText(text);
        // Show a written number from its first digit, as a tape measure reads.
        line->setCursorPosition(0);
    }
}

void MainWindow::run(Action action) {
    try {
        action(sheet_, format_);
    } catch (const RunTimeError& error) {
        const Failure failure = Failure::FromRunTimeError(error);
        reporter_.Report(this, failure);
        if (failure.field) {
            QWidget* widget = box(*failure.field);
            widget->setFocus(Qt::OtherFocusReason);
            if (auto* line = qobject_cast<QLineEdit*>(widget)) line->selectAll();
        }
    }
}

void MainWindow::changeGaugeClicked() { run(ChangeGauge); }
void MainWindow::changeInchClicked() { run(ChangeInch); }
void MainWindow::changeMmClicked() { run(ChangeMm); }
void MainWindow::computeClicked() {
    run([](DesignSheet& sheet, NumberFormat format) { Compute(sheet, format); });
}
void MainWindow::acceptClicked() { run(Accept); }
void MainWindow::websiteClicked() { website_.Show(); }
void MainWindow::notesClicked() { notes_.Show(); }

void MainWindow::modelClicked() {
    // Open already: to the front, and a fresh check of the texts as they
    // are now unless one is running.
    auto* window = qobject_cast<ModelWindow*>(model_.Show());
    if (!window) return;
    window->setSource(this);
    if (!window->isRunning()) window->run();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // The picture is a button in all but looks: a left click inside it.
    if (watched == picture_ && (event->type() == QEvent::MouseButtonPress ||
                                event->type() == QEvent::MouseButtonRelease)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton) return false;
        if (event->type() == QEvent::MouseButtonRelease &&
            picture_->rect().contains(mouse->position().toPoint())) {
            modelClicked();
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace corvanta::ui
