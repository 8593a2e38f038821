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
// A click on the antenna picture (Picture1) or F5 opens the MODEL CHECK
// window (model_window.h), which checks the design on a copy of the sheet.

#include <QWidget>
#include <array>

#include "core/design_sheet.h"
#include "core/field_conversion.h"

class QLineEdit;
class QTextEdit;
class QPushButton;
class QRadioButton;

namespace corvanta::ui {

class ErrorReporter;
class SecondaryWindow;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    MainWindow(ErrorReporter& reporter, SecondaryWindow& notes, SecondaryWindow& website,
               SecondaryWindow& model, NumberFormat format, QWidget* parent = nullptr);

    const DesignSheet& Sheet() const { return sheet_; }
    NumberFormat Format() const { return format_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void changeGaugeClicked();
    void changeInchClicked();
    void changeMmClicked();
    void computeClicked();
    void websiteClicked();
    void notesClicked();
    void acceptClicked();
    void modelClicked();

private:
    using Action = void (*)(DesignSheet&, NumberFormat);

    void buildTextBoxes();
    void buildButtons();
    void buildPictureAndLine();
    void setTabOrder();
    void bindSheet();
    void run(Action action);
    void showText(Field field, const QString& text);
    QWidget* box(Field field) const { return boxes_[FieldIndex(field)]; }

    DesignSheet sheet_;
    NumberFormat format_;
    ErrorReporter& reporter_;
    SecondaryWindow& notes_;
    SecondaryWindow& website_;
    SecondaryWindow& model_;

    std::array<QWidget*, kFieldCount> boxes_{};
    QTextEdit* text21_ = nullptr;  // the one multi-line box
    std::array<QPushButton*, 7> commands_{};
    QRadioButton* option1_ = nullptr;
    QRadioButton* option2_ = nullptr;
    QWidget* picture_ = nullptr;
};

}  // namespace corvanta::ui
