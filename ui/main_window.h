#pragma once

// The main window, Form1: the design sheet shown as 24 text boxes, the side
// choice as two option buttons, and seven buttons.
//
// The path of an action: a button's clicked() runs its slot (computeClicked,
// acceptClicked, ...), which runs one library action on the design sheet
// (Compute, Accept, ChangeGauge, ...). Every field the action writes reaches
// its text box at once through the sheet's observer. If the action throws a
// RunTimeError, the slot hands it to the injected ErrorReporter (a modal
// message box in the program) and then puts the focus, text selected, on the
// field that could not be read. The program keeps running.
//
// Ctrl+P prints the build sheet of the design the window would compute now:
// COMPUTE on a copy of the sheet (the boxes are not written), its cut list,
// and the model's figures when a model window has checked the same design;
// then the injected PrintDialog (the standard print dialog in the program)
// takes it to paper or to a PDF file. A field that does not read goes to
// the ErrorReporter as COMPUTE's failure would; no side chosen, or a design
// that cannot be cut, is told through the PrintDialog.

#include <QWidget>
#include <array>
#include <functional>
#include <optional>

#include "core/design_run.h"
#include "core/design_sheet.h"
#include "core/field_conversion.h"
#include "sheet/build_sheet.h"

class QLineEdit;
class QTextEdit;
class QPushButton;
class QRadioButton;

namespace corvanta::ui {

class ErrorReporter;
class PrintDialog;
class SecondaryWindow;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    MainWindow(ErrorReporter& reporter, SecondaryWindow& notes, SecondaryWindow& website,
               PrintDialog& printDialog, NumberFormat format, QWidget* parent = nullptr);

    const DesignSheet& Sheet() const { return sheet_; }

    // The model's figures and plot for the printed sheet: given the design
    // about to be printed, the figures of a check of that same design, or
    // none. Set by the model window; without it the sheet has none.
    using ModelFiguresSource = std::function<std::optional<sheet::ModelFigures>(const Design&)>;
    void SetModelFiguresSource(ModelFiguresSource source) { modelFigures_ = std::move(source); }

private slots:
    void changeGaugeClicked();
    void changeInchClicked();
    void changeMmClicked();
    void computeClicked();
    void websiteClicked();
    void notesClicked();
    void acceptClicked();
    void printSheet();

private:
    using Action = void (*)(DesignSheet&, NumberFormat);

    void buildTextBoxes();
    void buildButtons();
    void buildPictureAndLine();
    void setTabOrder();
    void bindSheet();
    void run(Action action);
    void reportFailure(const RunTimeError& error);
    void showText(Field field, const QString& text);
    QWidget* box(Field field) const { return boxes_[FieldIndex(field)]; }

    DesignSheet sheet_;
    NumberFormat format_;
    ErrorReporter& reporter_;
    SecondaryWindow& notes_;
    SecondaryWindow& website_;
    PrintDialog& printDialog_;
    ModelFiguresSource modelFigures_;

    std::array<QWidget*, kFieldCount> boxes_{};
    QTextEdit* text21_ = nullptr;  // the one multi-line box
    std::array<QPushButton*, 7> commands_{};
    QRadioButton* option1_ = nullptr;
    QRadioButton* option2_ = nullptr;
};

}  // namespace corvanta::ui
