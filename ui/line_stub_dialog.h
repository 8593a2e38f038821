#pragma once

// Line stub: the lines' velocity factor and loss read from an analyser's
// sweep of a stub of the same line (nec/line_stub.h), as the command line's
// `line --measured` reads them, in its words. Use hands the velocity factor
// to the model window, which holds it as measured.
//
// The file is read off the GUI thread, bounded as a measurement is
// (nec::ReadOutsideFile): a pipe or a device that never ends refuses
// rather than hangs the window. Closing the dialog stops the reading.

#include <QDialog>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

#include "core/field_conversion.h"
#include "nec/line_stub.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace corvanta::ui {

class DecimalBox;
class FileDialog;

class LineStubDialog : public QDialog {
    Q_OBJECT
public:
    // `lineImpedanceOhm`: the lines' impedance, which the loss is read
    // against; `format`: the separator the numbers are shown and read in.
    LineStubDialog(FileDialog& files, NumberFormat format, double lineImpedanceOhm, QWidget* parent = nullptr);
    ~LineStubDialog() override;

    // Reads the stub at `path` with the length and the end the boxes hold;
    // `finished` follows, also for a refusal.
    void read(const QString& path);
    // The lines' impedance the next reading's loss is read against.
    void setLineImpedance(double ohm) { lineImpedanceOhm_ = ohm; }
    bool isReading() const { return reading_.joinable(); }
    // The last reading that came to its end; none after a refusal.
    const std::optional<nec::StubReading>& stub() const { return stub_; }

signals:
    void finished();
    // Use: the velocity factor read, to be held as measured.
    void velocityFactorChosen(double velocityFactor);

private:
    void choose();
    void tell(const QString& words, bool problem);
    // The thread's outcome, on the GUI thread.
    void showReading(std::optional<nec::StubReading> stub, const QString& words, bool problem);

    FileDialog& files_;
    NumberFormat format_;
    double lineImpedanceOhm_;
    QLineEdit* file_ = nullptr;
    DecimalBox* length_ = nullptr;
    QComboBox* end_ = nullptr;
    QPushButton* read_ = nullptr;
    QLabel* said_ = nullptr;
    QPushButton* use_ = nullptr;
    std::optional<nec::StubReading> stub_;
    // Last: it goes first, and its thread with it.
    std::jthread reading_;
};

}  // namespace corvanta::ui
