#include "ui/main_window.h"

#include <QButtonGroup>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTextEdit>
#include <algorithm>
#include <limits>

#include "core/cut_list.h"
#include "core/run_time_error.h"
#include "conductor/sheet_actions.h"
#include "ui/assets.h"
#include "ui/colours.h"
#include "ui/error_reporter.h"
#include "ui/fonts.h"
#include "ui/line_breaks.h"
#include "ui/print_dialog.h"
#include "ui/help_page.h"
#include "ui/model_window.h"
#include "ui/secondary_window.h"
#include "ui/twips.h"

namespace corvanta::ui {

namespace {

constexpr QColor kRed(255, 0, 0);
constexpr QColor kOrange(255, 128, 0);
constexpr QColor kPaleCyan(192, 255, 255);

// How a text box looks. Captions sit on the window's peach without a border
// and are not Tab stops (the user can still click into them and type);
// value fields have the sunken border and the system's text-box background.
enum class Look { Title, Labelling, RowCaption, MatchCaption, UnitCaption, SmallUnitCaption, ConductorInput, Value };

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
    int left, top, width, height;  // twips
};

// Command1 .. Command7. Which action each runs is in kSheetActions.
constexpr std::array<ButtonDesign, 7> kButtons = {{
    {"Command1", "CHANGE", 120, 2520, 855, 375},
    {"Command2", "CHANGE", 1800, 2520, 855, 375},
    {"Command3", "CHANGE", 3480, 2520, 855, 375},
    {"Command4", "COMPUTE", 1680, 3120, 1935, 375},
    {"Command5", "WEBSITE", 5040, 5520, 1215, 375},
    {"Command6", "NOTES", 6480, 5520, 1215, 375},
    {"Command7", "ACCEPT", 5640, 480, 1575, 375},
}};

// Every control in the order of its Tab index. The captions, the title and
// the picture are links of the chain but no Tab stops, so that Tab from a
// caption the user clicked into goes on to the next stop after it.
constexpr std::array<std::string_view, 34> kTabOrder = {
    "Text1",  "Text2",    "Picture1", "Text3",    "Text4",    "Text5",   "Text6",   "Text7",  "Text8",
    "Text9",  "Command1", "Command2", "Command3", "Command4", "Text10",  "Text11",  "Text12", "Text13",
    "Text14", "Text15",   "Text16",   "Text17",   "Text18",   "Text19",  "Text20",  "Text21", "Text22",
    "Text23", "Command5", "Command6", "Command7", "Text24",   "Option1", "Option2",
};

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

constexpr std::array<LookDesign, 8> kLooks = {{
    {Look::Title, 12, Bold | Italic, &kBlue, &kPaleCyan, Qt::AlignHCenter},
    {Look::Labelling, 9.75, Bold, &kBlue, &kPeach, Qt::AlignLeft},
    {Look::RowCaption, 9.75, Bold, &kBlue, &kPeach, Qt::AlignRight},
    {Look::MatchCaption, 8.25, Bold, &kBlue, &kPeach, Qt::AlignRight},
    {Look::UnitCaption, 9.75, Bold, nullptr, &kPeach, Qt::AlignLeft},
    {Look::SmallUnitCaption, 8.25, Bold, nullptr, &kPeach, Qt::AlignLeft},
    {Look::ConductorInput, 9.75, Bold, &kOrange, nullptr, Qt::AlignHCenter},
    {Look::Value, 9.75, Bold, &kRed, nullptr, Qt::AlignHCenter},
}};

const LookDesign& DesignOf(Look look) {
    return *std::find_if(kLooks.begin(), kLooks.end(), [look](const LookDesign& d) { return d.look == look; });
}

// One handler for each kind of box, for std::visit.
template <typename... Handlers>
struct Overloaded : Handlers... {
    using Handlers::operator()...;
};
template <typename... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

bool IsCaption(Look look) { return look != Look::ConductorInput && look != Look::Value; }

// Font, colours and focus, the same for either kind of box.
void ApplyLook(QWidget* box, Look look) {
    const LookDesign& design = DesignOf(look);
    box->setFont(SansFont(design.pointSize, design.style));
    QPalette palette = box->palette();
    if (design.text) palette.setColor(QPalette::Text, *design.text);
    if (design.base) palette.setColor(QPalette::Base, *design.base);
    box->setPalette(palette);
    box->setFocusPolicy(IsCaption(look) ? Qt::ClickFocus : Qt::StrongFocus);
}

}  // namespace

MainWindow::MainWindow(ErrorReporter& reporter, SecondaryWindow& notes, SecondaryWindow& website,
                       SecondaryWindow& model, PrintDialog& printDialog, NumberFormat format, QWidget* parent)
    : QWidget(parent),
      format_(format),
      reporter_(reporter),
      notes_(notes),
      website_(website),
      model_(model),
      printDialog_(printDialog) {
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
    std::get<QLineEdit*>(boxes_[FieldIndex(Field::Text2)])->setFocus();

    // A shortcut, not a control: nothing on the window moves.
    auto* print = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), this);
    print->setObjectName(QStringLiteral("PrintSheet"));
    connect(print, &QShortcut::activated, this, &MainWindow::printSheet);

    auto* check = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(check, &QShortcut::activated, this, &MainWindow::modelClicked);
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [this] { ShowHelp(this, QStringLiteral("main")); });

    // What's This (Shift+F1) on each control the builder types into or
    // presses; the help's words.
    const std::pair<const char*, const char*> words[] = {
        {"Text2", "The design frequency in MHz, with the point or the region's decimal separator. ACCEPT reads it."},
        {"Command7", "Reads the frequency and gives the recommended minimum wire or tube as AWG, inches and mm."},
        {"Text4", "The conductor as an AWG code (00 is 9009, 0000 is 900009). The CHANGE under it takes it."},
        {"Text6", "The conductor's diameter in inches. The CHANGE under it takes it."},
        {"Text8", "The conductor's diameter in millimetres. The CHANGE under it takes it."},
        {"Command1", "Takes the AWG code above it and gives the inches and millimetres."},
        {"Command2", "Takes the inches above it and gives the AWG code and millimetres."},
        {"Command3", "Takes the millimetres above it and gives the AWG code and inches."},
        {"Option1", "A loop of two triangles joined by three verticals."},
        {"Option2", "A loop of two squares joined by four verticals."},
        {"Command4",
         "Computes HEIGHT, SIDE, GAP and the 300 ohm series match for the frequency, the conductor and "
         "the side count."},
        {"Command5", "Opens the program's website."},
        {"Command6", "Opens the notes on building the loop."},
    };
    for (const auto& [name, text] : words) {
        if (auto* control = findChild<QWidget*>(QLatin1String(name))) control->setWhatsThis(QString::fromUtf8(text));
    }
    AddWhatsThis(this);
}

void MainWindow::buildTextBoxes() {
    for (const TextBoxDesign& design : kTextBoxes) {
        const Qt::Alignment alignment = DesignOf(design.look).alignment;
        QWidget* widget = nullptr;
        if (design.look == Look::MatchCaption) {
            auto* edit = new QTextEdit(this);
            edit->setAcceptRichText(false);
            edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            edit->setTabChangesFocus(true);
            edit->setFrameShape(QFrame::NoFrame);
            QTextOption option = edit->document()->defaultTextOption();
            option.setAlignment(alignment);
            option.setWrapMode(QTextOption::WordWrap);
            edit->document()->setDefaultTextOption(option);
            boxes_[FieldIndex(design.field)] = edit;
            widget = edit;
        } else {
            auto* line = new QLineEdit(this);
            line->setAlignment(alignment | Qt::AlignVCenter);
            line->setFrame(!IsCaption(design.look));
            // No length limit: whatever the user pastes is kept whole.
            line->setMaxLength(std::numeric_limits<int>::max());
            boxes_[FieldIndex(design.field)] = line;
            widget = line;
        }
        widget->setObjectName(QString::fromUtf8(FieldName(design.field)));
        widget->setAccessibleName(QString::fromUtf8(FieldLabel(design.field)));
        widget->setGeometry(TwipsRect(design.left, design.top, design.width, design.height));
        ApplyLook(widget, design.look);
    }
}

void MainWindow::buildButtons() {
    for (std::size_t i = 0; i < kButtons.size(); ++i) {
        const ButtonDesign& design = kButtons[i];
        auto* button = new QPushButton(QString::fromLatin1(design.caption), this);
        button->setObjectName(QString::fromLatin1(design.name));
        button->setAccessibleName(button->text());
        button->setGeometry(TwipsRect(design.left, design.top, design.width, design.height));
        // Neither Enter nor Esc presses a button.
        button->setAutoDefault(false);
        button->setDefault(false);
        // The system's button colours, not the window's peach.
        button->setPalette(QPalette());
        commands_[i] = button;
    }
    for (const SheetAction& action : kSheetActions) {
        QPushButton* runs = button(action.button);
        runs->setAccessibleName(QString::fromUtf8(action.name.data(), static_cast<qsizetype>(action.name.size())));
        connect(runs, &QPushButton::clicked, this, [this, &action] { run(action); });
    }
    connect(button("Command5"), &QPushButton::clicked, this, &MainWindow::websiteClicked);
    connect(button("Command6"), &QPushButton::clicked, this, &MainWindow::notesClicked);

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

QPushButton* MainWindow::button(std::string_view name) const {
    return *std::find_if(commands_.begin(), commands_.end(), [name](const QPushButton* b) {
        return b->objectName() == QLatin1String(name.data(), static_cast<qsizetype>(name.size()));
    });
}

void MainWindow::buildPictureAndLine() {
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setAccessibleName(QStringLiteral("Antenna: HEIGHT, SIDE and GAP"));
    picture->setPixmap(PngAsset(QStringLiteral(":/assets/antenna.png")));
    picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picture->setLineWidth(2);
    picture->setGeometry(TwipsRect(5160, 1680, 2610, 3555));
    picture->setToolTip(
        QStringLiteral("Click (or press F5) to check this design with the NEC-2 "
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
    QWidget* previous = nullptr;
    for (std::string_view name : kTabOrder) {
        auto* control = findChild<QWidget*>(QLatin1String(name.data(), static_cast<qsizetype>(name.size())),
                                            Qt::FindDirectChildrenOnly);
        if (previous) QWidget::setTabOrder(previous, control);
        previous = control;
    }
}

void MainWindow::bindSheet() {
    for (Field field : AllFields()) {
        const std::string& text = sheet_.Read(field);
        std::visit(Overloaded{
                       [&](QLineEdit* line) {
                           line->setText(QString::fromStdString(text));
                           line->setCursorPosition(0);
                           connect(line, &QLineEdit::textEdited, this,
                                   [this, field](const QString& edited) { sheet_.Edit(field, edited.toStdString()); });
                       },
                       [&](QTextEdit* edit) {
                           edit->setPlainText(ForBox(text));
                           connect(edit, &QTextEdit::textChanged, this,
                                   [this, field, edit] { sheet_.Edit(field, ForField(edit->toPlainText())); });
                       },
                   },
                   boxes_[FieldIndex(field)]);
    }
    sheet_.SetObserver([this](Field field, std::string_view text) { showWrite(field, text); });

    connect(option1_, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked) sheet_.SetSide(SideChoice::Three);
    });
    connect(option2_, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked) sheet_.SetSide(SideChoice::Four);
    });
}

void MainWindow::showWrite(Field field, std::string_view text) {
    std::visit(Overloaded{
                   [text](QLineEdit* line) {
                       line->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
                       // Show a written number from its first digit, as a tape measure reads.
                       line->setCursorPosition(0);
                   },
                   [text](QTextEdit* edit) {
                       // The sheet holds the text already; the box only shows it.
                       const QSignalBlocker showing(edit);
                       edit->setPlainText(ForBox(text));
                   },
               },
               boxes_[FieldIndex(field)]);
}

void MainWindow::run(const SheetAction& action) {
    try {
        action.run(sheet_, format_);
    } catch (const RunTimeError& error) {
        reportFailure(error, action.name);
    }
}

void MainWindow::Enter(const DesignRequest& request) {
    const auto type = [this](Field field, const std::string& text) {
        const std::string regional = WithSeparator(text, format_);
        sheet_.Edit(field, regional);
        // What is typed goes into the sheet and does not come back: the box
        // is written as the keys would have.
        std::visit(Overloaded{[&](QLineEdit* line) { line->setText(QString::fromStdString(regional)); },
                              [&](QTextEdit* edit) { edit->setPlainText(ForBox(regional)); }},
                   boxes_[FieldIndex(field)]);
    };
    type(Field::Frequency, request.frequency);
    button(Action(ActionId::Accept).button)->click();
    if (request.size) {
        constexpr ActionId kChanges[] = {ActionId::ChangeGauge, ActionId::ChangeInch, ActionId::ChangeMm};
        const SheetAction& change = Action(kChanges[static_cast<std::size_t>(request.size->unit)]);
        type(Inputs(change).front(), request.size->text);
        button(change.button)->click();
    }
    (request.sides == SideChoice::Four ? option2_ : option1_)->setChecked(true);
    button(Action(ActionId::Compute).button)->click();
}

void MainWindow::reportFailure(const RunTimeError& error, std::string_view action) {
    const Failure failure = FailureOf(error, action);
    reporter_.Report(this, failure);
    if (failure.field) {
        std::visit(
            [](auto* box) {
                box->setFocus(Qt::OtherFocusReason);
                box->selectAll();
            },
            boxes_[FieldIndex(*failure.field)]);
    }
}

void MainWindow::printSheet() {
    std::optional<Design> design;
    try {
        design = ComputeCopy(sheet_, format_);
    } catch (const RunTimeError& error) {
        // The same message as COMPUTE's own failure.
        reportFailure(error, Action(ActionId::Compute).name);
        return;
    }
    if (!design) {
        printDialog_.Tell(this, NoSidesMessage());
        return;
    }
    PrintSheetOf(this, printDialog_, *design, format_, modelFigures_ ? modelFigures_(*design) : std::nullopt);
}

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
    if (watched == picture_ &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton) return false;
        if (event->type() == QEvent::MouseButtonRelease && picture_->rect().contains(mouse->position().toPoint())) {
            modelClicked();
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace corvanta::ui
