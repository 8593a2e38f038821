#include "ui/sweep_box.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>

#include "nec/check_limits.h"
#include "ui/decimal_box.h"

namespace corvanta::ui {

namespace {

// Far above any loop the calculator designs (the check itself takes any
// finite frequency), and no wider a box than it needs.
constexpr double kHighestMHz = 99999;
constexpr int kPlainPoints = 101;

}  // namespace

SweepBox::SweepBox(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("sweepBox"));
    const auto frequencyBox = [this](const char* name, const QString& accessible) {
        auto* box = new DecimalBox(this);
        box->setObjectName(QLatin1String(name));
        box->setAccessibleName(accessible);
        box->setDecimals(3);
        // 0 is "auto": the check's own sweep round the design frequency.
        box->setRange(0, kHighestMHz);
        box->setSpecialValueText(QStringLiteral("auto"));
        box->setSuffix(QStringLiteral(" MHz"));
        box->setKeyboardTracking(false);
        box->setValue(0);
        return box;
    };
    from_ = frequencyBox("sweepFrom", QStringLiteral("Sweep from, MHz"));
    from_->setToolTip(QStringLiteral("Where the sweep starts, in MHz; auto (0) for 0.8 times the design frequency"));
    to_ = frequencyBox("sweepTo", QStringLiteral("Sweep to, MHz"));
    to_->setToolTip(QStringLiteral("Where the sweep ends, in MHz; auto (0) for 1.4 times the design frequency"));
    points_ = new DecimalBox(this);
    points_->setObjectName(QStringLiteral("sweepPoints"));
    points_->setAccessibleName(QStringLiteral("Sweep points"));
    points_->setDecimals(0);
    points_->setRange(nec::kSweepLeastPoints, nec::kSweepMostPoints);
    points_->setValue(kPlainPoints);
    points_->setKeyboardTracking(false);
    points_->setToolTip(QStringLiteral("How many frequencies the sweep reports, %1 to %2")
                            .arg(nec::kSweepLeastPoints)
                            .arg(nec::kSweepMostPoints));
    exact_ = new QCheckBox(QStringLiteral("E&xact sweep"), this);
    exact_->setObjectName(QStringLiteral("exactSweep"));
    exact_->setAccessibleName(QStringLiteral("Exact sweep"));
    exact_->setToolTip(
        QStringLiteral("The engine computes every point of the sweep; else a handful, with the rest interpolated "
                       "and checked against the engine at held-out points (adaptive)"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    const std::pair<QString, DecimalBox*> labelled[] = {
        {QStringLiteral("Sweep from (&3):"), from_},
        {QStringLiteral("to (&4):"), to_},
        {QStringLiteral("Points (&5):"), points_},
    };
    for (const auto& [text, box] : labelled) {
        auto* label = new QLabel(text, this);
        label->setBuddy(box);
        label->setToolTip(box->toolTip());
        if (box != from_) layout->addSpacing(6);
        layout->addWidget(label);
        layout->addWidget(box);
        connect(box, &DecimalBox::refused, this, [this, box](const QString& typed) {
            // The limits as short as they go, with the box's separator.
            const auto number = [box](double value) {
                QString written = QString::number(value, 'g', 10);
                const char separator = box->format().decimalSeparator;
                if (separator != '.') written.replace(QLatin1Char('.'), QLatin1Char(separator));
                return written;
            };
            emit refused(QStringLiteral("%1: \u201c%2\u201d is not a number from %3 to %4; it stays %5.")
                             .arg(box->accessibleName(), typed,
                                  number(box->minimum()) +
                                      (box->specialValueText().isEmpty()
                                           ? QString()
                                           : QStringLiteral(" (") + box->specialValueText() + QLatin1Char(')')),
                                  number(box->maximum()), box->shownText()));
        });
    }
    layout->addSpacing(6);
    layout->addWidget(exact_);
}

void SweepBox::setFormat(NumberFormat format) {
    for (DecimalBox* box : {from_, to_, points_}) box->setFormat(format);
}

QString SweepBox::fill(nec::CheckOptions& options) const {
    const bool fromAuto = from_->value() == 0, toAuto = to_->value() == 0;
    if (fromAuto != toAuto) {
        return QStringLiteral("Sweep: give both ends in MHz, or leave both on auto.");
    }
    const double points = points_->value();
    if (!fromAuto && !nec::SweepHolds(from_->value(), to_->value(), points)) {
        return QStringLiteral("Sweep: it goes from a frequency above 0 up to one no lower, in %1 to %2 points.")
            .arg(nec::kSweepLeastPoints)
            .arg(nec::kSweepMostPoints);
    }
    options.sweepMode = exact_->isChecked() ? nec::SweepMode::Exact : nec::SweepMode::Adaptive;
    options.sweepPoints = static_cast<int>(points);
    options.sweepFromMHz.reset();
    options.sweepToMHz.reset();
    if (!fromAuto) {
        options.sweepFromMHz = from_->value();
        options.sweepToMHz = to_->value();
    }
    return {};
}

void SweepBox::setSweep(std::optional<double> fromMHz, std::optional<double> toMHz, int points, nec::SweepMode mode) {
    from_->setValue(fromMHz.value_or(0));
    to_->setValue(toMHz.value_or(0));
    points_->setValue(points);
    exact_->setChecked(mode == nec::SweepMode::Exact);
}

}  // namespace corvanta::ui
