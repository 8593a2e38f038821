#pragma once

// The main window, Form1: the design sheet shown as 24 text boxes, the side
// choice as two option buttons, and seven buttons.
//
// The path of an action: each button named in kSheetActions has its
// clicked() wired to run that action (Compute, Accept, ChangeGauge, ...) on
// the design sheet. Every field the action writes reaches its box at once
// through the sheet's observer; what the user types goes the other way, into
// the sheet, and does not come back. If the action throws a RunTimeError,
// the window hands its text to the injected ErrorReporter (a modal message
// box in the program) and then puts the focus, text selected, on the field
// that could not be read. The program keeps running.

#include <QWidget>
#include <array>
#include <string_view>
#include <variant>

#include "core/design_sheet.h"
#include "core/field_conversion.h"

class QLineEdit;
class QTextEdit;
class QPushButton;
class QRadioButton;

namespace corvanta {
struct SheetAction;
}

namespace corvanta::ui {

class ErrorReporter;
class SecondaryWindow;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    MainWindow(ErrorReporter& reporter, SecondaryWindow& notes, SecondaryWindow& website,
               NumberFormat format, QWidget* parent = nullptr);

    const DesignSheet& Sheet() const { return sheet_; }

private slots:
    void websiteClicked();
    void notesClicked();

private:
    // The box of a field: a line, or the one multi-line box (Text21).
    using Box = std::variant<QLineEdit*, QTextEdit*>;

    void buildTextBoxes();
    void buildButtons();
    void buildPictureAndLine();
    void setTabOrder();
    void bindSheet();
    void run(const SheetAction& action);
    void showWrite(Field field, std::string_view text);
    QPushButton* button(std::string_view name) const;

    DesignSheet sheet_;
    NumberFormat format_;
    ErrorReporter& reporter_;
    SecondaryWindow& notes_;
    SecondaryWindow& website_;

    std::array<Box, kFieldCount> boxes_{};
    std::array<QPushButton*, 7> commands_{};  // Command1 .. Command7
    QRadioButton* option1_ = nullptr;
    QRadioButton* option2_ = nullptr;
};

}  // namespace corvanta::ui
