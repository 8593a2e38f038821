#include "ui/line_stub_dialog.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

#include "nec/failure.h"
#include "nec/number_text.h"
#include "nec/outside_file.h"
#include "nec/touchstone.h"
#include "ui/decimal_box.h"
#include "ui/failure_words.h"
#include "ui/file_dialog.h"

namespace corvanta::ui {

namespace {

// The longest stub the command line takes, in millimetres.
constexpr double kMostStubMm = 1e6;

}  // namespace

LineStubDialog::LineStubDialog(FileDialog& files, NumberFormat format, double lineImpedanceOhm, QWidget* parent)
    : QDialog(parent), files_(files), format_(format), lineImpedanceOhm_(lineImpedanceOhm) {
    setObjectName(QStringLiteral("lineStub"));
    setWindowTitle(QStringLiteral("Line stub"));
    setAccessibleName(QStringLiteral("Line stub"));

    file_ = new QLineEdit(this);
    file_->setObjectName(QStringLiteral("stubFile"));
    file_->setAccessibleName(QStringLiteral("Stub's sweep file"));
    file_->setMinimumWidth(fontMetrics().averageCharWidth() * 40);
    file_->setToolTip(QStringLiteral("The analyser's .s1p sweep of the stub, taken at its near end"));
    auto* choose = new QPushButton(QStringLiteral("C&hoose\u2026"), this);
    choose->setObjectName(QStringLiteral("stubChoose"));
    choose->setAccessibleName(QStringLiteral("Choose the stub's file"));

    length_ = new DecimalBox(this);
    length_->setObjectName(QStringLiteral("stubLength"));
    length_->setAccessibleName(QStringLiteral("Stub length, mm"));
    length_->setFormat(format);
    length_->setDecimals(1);
    length_->setRange(0, kMostStubMm);
    // At 0 the stub has no length yet: a dash, as the lengths as cut show.
    length_->setSpecialValueText(QStringLiteral("\u2014"));
    length_->setSuffix(QStringLiteral(" mm"));
    length_->setKeyboardTracking(false);
    length_->setToolTip(QStringLiteral("The stub's length from the analyser's connector to its far end, in mm"));

    end_ = new QComboBox(this);
    end_->setObjectName(QStringLiteral("stubEnd"));
    end_->setAccessibleName(QStringLiteral("Stub's far end"));
    end_->addItem(QStringLiteral("open"));
    end_->addItem(QStringLiteral("short"));
    end_->setToolTip(
        QStringLiteral("Open: its first dip is a quarter wave; shorted: a half wave (the conductors joined)"));

    read_ = new QPushButton(QStringLiteral("&Read"), this);
    read_->setObjectName(QStringLiteral("stubRead"));
    read_->setAccessibleName(QStringLiteral("Read the stub"));

    said_ = new QLabel(this);
    said_->setObjectName(QStringLiteral("stubReading"));
    said_->setAccessibleName(QStringLiteral("Stub's reading"));
    said_->setTextFormat(Qt::PlainText);
    said_->setWordWrap(true);
    said_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    said_->setMinimumHeight(fontMetrics().lineSpacing() * 4);
    said_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    said_->setText(
        QStringLiteral("Sweep a stub of the lines, open or shorted at its far end, over its first dip: choose the "
                       "file, give its length and its end, and Read."));

    use_ = new QPushButton(QStringLiteral("&Use this velocity factor"), this);
    use_->setObjectName(QStringLiteral("stubUse"));
    use_->setAccessibleName(QStringLiteral("Use this velocity factor"));
    use_->setToolTip(QStringLiteral("Enter it as the lines' velocity factor and tick \u201cmeasured\u201d"));
    use_->setEnabled(false);
    auto* close = new QPushButton(QStringLiteral("&Close"), this);
    close->setObjectName(QStringLiteral("stubClose"));
    for (QPushButton* button : {choose, read_, use_, close}) button->setAutoDefault(false);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(file_, 1);
    fileRow->addWidget(choose);
    auto* form = new QFormLayout;
    auto* fileLabel = new QLabel(QStringLiteral("&File:"), this);
    fileLabel->setBuddy(file_);
    form->addRow(fileLabel, fileRow);
    auto* lengthLabel = new QLabel(QStringLiteral("&Length:"), this);
    lengthLabel->setBuddy(length_);
    form->addRow(lengthLabel, length_);
    auto* endLabel = new QLabel(QStringLiteral("Far &end:"), this);
    endLabel->setBuddy(end_);
    form->addRow(endLabel, end_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(read_);
    buttons->addStretch(1);
    buttons->addWidget(use_);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(said_, 1);
    layout->addLayout(buttons);

    connect(choose, &QPushButton::clicked, this, &LineStubDialog::choose);
    connect(read_, &QPushButton::clicked, this, [this] { read(file_->text().trimmed()); });
    connect(use_, &QPushButton::clicked, this, [this] {
        if (stub_) emit velocityFactorChosen(stub_->velocityFactor);
    });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(length_, &DecimalBox::refused, this, [this](const QString& typed) {
        tell(QStringLiteral("Stub length, mm: \u201c%1\u201d is not a number above 0, at most %2; it stays %3.")
                 .arg(typed, QString::fromStdString(nec::Shortest(kMostStubMm)), length_->shownText()),
             true);
    });
}

LineStubDialog::~LineStubDialog() {
    // Asks the reading to stop and waits for it; what it queued goes with
    // this object.
    reading_ = {};
}

void LineStubDialog::choose() {
    const QString path =
        files_.AskOpen(this, QStringLiteral("Line stub"),
                       {QStringLiteral("Touchstone one-port (*.s1p *.S1P)"), QStringLiteral("All files (*)")});
    if (path.isEmpty()) return;
    file_->setText(path);
    // The length as typed, whether or not the box was left.
    length_->interpretText();
    if (length_->value() > 0) read(path);
}

void LineStubDialog::read(const QString& path) {
    if (isReading()) return;
    stub_.reset();
    use_->setEnabled(false);
    length_->interpretText();
    if (path.isEmpty()) {
        tell(QStringLiteral("Choose the stub's .s1p file first."), true);
        return;
    }
    if (!(length_->value() > 0)) {
        tell(QStringLiteral("Give the stub's length in millimetres first."), true);
        return;
    }
    file_->setText(path);
    read_->setEnabled(false);
    tell(QStringLiteral("Reading %1\u2026").arg(path), false);
    const std::string file = path.toStdString();
    const QString name = QFileInfo(path).fileName();
    const double lengthMm = length_->value();
    const nec::StubEnd end = end_->currentIndex() == 1 ? nec::StubEnd::Short : nec::StubEnd::Open;
    const double ohm = lineImpedanceOhm_;
    const NumberFormat format = format_;
    reading_ = std::jthread([this, file, name, lengthMm, end, ohm, format](std::stop_token stop) {
        std::optional<nec::StubReading> stub;
        QString words;
        bool problem = false;
        try {
            const nec::OnePortSweep sweep =
                nec::ReadTouchstone(nec::ReadOutsideFile(file, nec::kOutsideFileLimit, stop));
            stub = nec::ReadStub(sweep, lengthMm, end, ohm);
            // The file's name set in after the separator: a point in it
            // is no decimal point.
            words = QString::fromStdString(WithSeparator(nec::StubWords(*stub, lengthMm, end, ohm, "%1"), format))
                        .arg(name)
                        .trimmed();
        } catch (const nec::Failure& failure) {
            if (failure.Kind() == nec::FailureKind::Stopped) return;
            words = FailureWords(failure, name);
            // A file's path keeps its points; the library's numbers take the separator.
            if (failure.Kind() != nec::FailureKind::File) {
                words = QString::fromStdString(WithSeparator(words.toStdString(), format));
            }
            problem = true;
        } catch (const std::exception& error) {
            words = QStringLiteral("%1 was not read: %2").arg(name, QString::fromStdString(error.what()));
            problem = true;
        }
        QMetaObject::invokeMethod(
            this, [this, stub, words, problem] { showReading(stub, words, problem); }, Qt::QueuedConnection);
    });
}

void LineStubDialog::showReading(std::optional<nec::StubReading> stub, const QString& words, bool problem) {
    if (reading_.joinable()) reading_.join();
    read_->setEnabled(true);
    stub_ = stub;
    use_->setEnabled(stub_.has_value());
    tell(words, problem);
    emit finished();
}

void LineStubDialog::tell(const QString& words, bool problem) {
    QPalette palette = said_->palette();
    palette.setColor(QPalette::WindowText,
                     problem ? QColor(0xb0, 0x1c, 0x1c) : this->palette().color(QPalette::WindowText));
    said_->setPalette(palette);
    said_->setText(words);
    said_->setAccessibleDescription(words);
}

}  // namespace corvanta::ui
