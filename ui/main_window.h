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
//
// Ctrl+P prints the build sheet of the design the window would compute now:
// COMPUTE on a copy of the sheet (the boxes are not written), its cut list,
// and the model's figures when a model window has checked the same design;
// then the injected PrintDialog (the standard print dialog in the program)
// takes it to paper or to a PDF file. A field that does not read goes to
// the ErrorReporter as COMPUTE's failure would; no side chosen, or a design
// that cannot be cut, is told through the PrintDialog.
//
// A click on the antenna picture (Picture1) or F5 opens the MODEL CHECK
// window (model_window.h), which checks the design on a copy of the sheet.

#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <string_view>
#include <variant>

#include "conductor/design_run.h"
#include "core/design_sheet.h"
#include "core/field_conversion.h"
#include "sheet/build_sheet.h"
#include "ui/design_source.h"

class QLineEdit;
class QTextEdit;
class QPushButton;
class QRadioButton;

namespace corvanta {
struct SheetAction;
}

namespace corvanta::ui {

class ErrorReporter;
class PrintDialog;
class SecondaryWindow;

class MainWindow : public QWidget, public DesignEntry {
    Q_OBJECT
public:
    MainWindow(ErrorReporter& reporter, SecondaryWindow& notes, SecondaryWindow& website, SecondaryWindow& model,
               PrintDialog& printDialog, NumberFormat format, QWidget* parent = nullptr);

    const DesignSheet& Sheet() const override { return sheet_; }
    NumberFormat Format() const override { return format_; }

    // The model's figures and plot for the printed sheet: given the design
    // about to be printed, the figures of a check of that same design, or
    // none. Set by the model window; without it the sheet has none.
    using ModelFiguresSource = std::function<std::optional<sheet::ModelFigures>(const Design&)>;
    void SetModelFiguresSource(ModelFiguresSource source) { modelFigures_ = std::move(source); }

    // Types a design into the boxes as a user would, with the regional
    // separator, and presses ACCEPT, the CHANGE under the size's box, the
    // side's option button and COMPUTE: the buttons' own paths, so a
    // failure is reported as theirs would be.
    void Enter(const DesignRequest& request) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void websiteClicked();
    void notesClicked();
    void printSheet();
    void modelClicked();

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
    void reportFailure(const RunTimeError& error, std::string_view action);

    DesignSheet sheet_;
    NumberFormat format_;
    ErrorReporter& reporter_;
    SecondaryWindow& notes_;
    SecondaryWindow& website_;
    SecondaryWindow& model_;
    PrintDialog& printDialog_;
    ModelFiguresSource modelFigures_;

    std::array<Box, kFieldCount> boxes_{};
    std::array<QPushButton*, 7> commands_{};  // Command1 .. Command7
    QRadioButton* option1_ = nullptr;
    QRadioButton* option2_ = nullptr;
    QWidget* picture_ = nullptr;
};

}  // namespace corvanta::ui
