#include "ui/feed_box.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <cmath>

#include "nec/check_limits.h"
#include "nec/number_text.h"
#include "ui/decimal_box.h"

namespace corvanta::ui {

namespace {

// The baluns offered, by N of N:1; 0 for none.
constexpr double kBaluns[] = {0, 1, 4, 9};

QString BalunName(double ratio) {
    return ratio == 0 ? QStringLiteral("none")
                      : QStringLiteral("%1:1").arg(QString::fromStdString(nec::Shortest(ratio)));
}

// The least a box of `decimals` can hold above a limit that refuses its
// own least value.
double LeastOf(const nec::Limit& limit, int decimals) {
    return limit.aboveLeast ? limit.least + std::pow(10.0, -decimals) : limit.least;
}

}  // namespace

FeedBox::FeedBox(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("feedBox"));
    balun_ = new QComboBox(this);
    balun_->setObjectName(QStringLiteral("balun"));
    balun_->setAccessibleName(QStringLiteral("Balun"));
    for (double ratio : kBaluns) balun_->addItem(BalunName(ratio), ratio);
    balun_->setToolTip(
        QStringLiteral("The balun at the lines' junction, by its impedance ratio: 4:1 turns 200 \u03a9 into 50 \u03a9. "
                       "A feeder without one goes through a 1:1 balun."));

    impedance_ = numberBox("feederImpedance", QStringLiteral("Feeder impedance, ohm"), nec::kFeederImpedanceOhm, 1,
                           QStringLiteral(" \u03a9"));
    impedance_->setValue(50);
    impedance_->setToolTip(QStringLiteral("The feeder's characteristic impedance Z0, in ohm (50 for most coax)"));
    velocity_ =
        numberBox("feederVelocity", QStringLiteral("Feeder velocity factor"), nec::kFeederVelocityFactor, 3, QString());
    velocity_->setValue(0.66);
    velocity_->setToolTip(
        QStringLiteral("The feeder's velocity factor: 0.66 for solid polyethylene coax, about 0.8 for foam"));
    length_ = numberBox("feederLength", QStringLiteral("Feeder length, metres"), nec::kFeederLengthM, 3,
                        QStringLiteral(" m"));
    // At 0 there is no feeder: the radio sits at the balun.
    length_->setSpecialValueText(QStringLiteral("no feeder"));
    length_->setValue(0);
    length_->setToolTip(QStringLiteral("The feeder's length from the balun to the radio, in metres; 0 for no feeder"));
    loss_ = numberBox("feederLoss", QStringLiteral("Feeder loss, dB per 100 m"), nec::kFeederLossDbPer100m, 2,
                      QStringLiteral(" dB"));
    loss_->setToolTip(
        QStringLiteral("The feeder's matched loss in dB per 100 m at the design frequency, from its data sheet"));

    port_ = new QComboBox(this);
    port_->setObjectName(QStringLiteral("port"));
    port_->setAccessibleName(QStringLiteral("Port"));
    port_->addItem(QStringLiteral("lines' junction"));
    port_->addItem(QStringLiteral("radio end"));
    port_->setToolTip(
        QStringLiteral("Where a loaded measurement was taken and where Save Touchstone writes the model: where the "
                       "lines join, or at the radio end of the balun and feeder"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // Each label's mnemonic a character no other control of the window
    // takes: the window's letters are nearly all spoken for.
    const std::pair<QString, QWidget*> labelled[] = {
        {QStringLiteral("&Balun:"), balun_},
        {QStringLiteral("Feeder Z&0:"), impedance_},
        {QStringLiteral("Velocit&y factor:"), velocity_},
        {QStringLiteral("Length (&2):"), length_},
        {QStringLiteral("Loss per &100 m:"), loss_},
        {QStringLiteral("Port (&J):"), port_},
    };
    for (const auto& [text, control] : labelled) {
        auto* label = new QLabel(text, this);
        label->setBuddy(control);
        label->setToolTip(control->toolTip());
        if (control != balun_) layout->addSpacing(6);
        layout->addWidget(label);
        layout->addWidget(control);
    }

    // Only now: the boxes' first values are no change.
    for (DecimalBox* box : {impedance_, velocity_, length_, loss_}) {
        connect(box, &QDoubleSpinBox::valueChanged, this, &FeedBox::choose);
    }
    connect(balun_, &QComboBox::activated, this, &FeedBox::choose);
    connect(port_, &QComboBox::activated, this, &FeedBox::choose);
    updatePort();
}

DecimalBox* FeedBox::numberBox(const char* name, const QString& accessibleName, const nec::Limit& limit, int decimals,
                               const QString& suffix) {
    auto* box = new DecimalBox(this);
    box->setObjectName(QLatin1String(name));
    box->setAccessibleName(accessibleName);
    box->setDecimals(decimals);
    box->setRange(LeastOf(limit, decimals), limit.most);
    box->setSuffix(suffix);
    box->setKeyboardTracking(false);
    connect(box, &DecimalBox::refused, this, [this, box, accessibleName, limit](const QString& typed) {
        const auto number = [this](double value) {
            QString text = QString::fromStdString(nec::Shortest(value));
            if (format_.decimalSeparator != '.') text.replace(QLatin1Char('.'), QLatin1Char(format_.decimalSeparator));
            return text;
        };
        const QString range =
            (limit.aboveLeast ? QStringLiteral("above %1, at most %2") : QStringLiteral("from %1 to %2"))
                .arg(number(limit.least), number(limit.most));
        emit refused(QStringLiteral("%1: \u201c%2\u201d is not a number %3; it stays %4.")
                         .arg(accessibleName, typed, range, box->shownText()));
    });
    return box;
}

void FeedBox::setFormat(NumberFormat format) {
    format_ = format;
    for (DecimalBox* box : {impedance_, velocity_, length_, loss_}) box->setFormat(format);
}

void FeedBox::choose() {
    updatePort();
    emit changed();
}

void FeedBox::updatePort() {
    const bool chain = balun_->currentData().toDouble() > 0 || length_->value() > 0;
    port_->setEnabled(chain);
}

nec::FeedOptions FeedBox::options(nec::FeedOptions feed) const {
    const double ratio = balun_->currentData().toDouble();
    const bool feeder = length_->value() > 0;
    feed.chain.reset();
    if (ratio > 0 || feeder) {
        nec::FeedChain chain;
        chain.balunRatio = ratio > 0 ? ratio : 1;
        if (feeder)
            chain.feeder = nec::Feeder{impedance_->value(), velocity_->value(), length_->value(), loss_->value()};
        feed.chain = chain;
    }
    feed.port = feed.chain && port_->currentIndex() == 1 ? nec::FeedPort::Radio : nec::FeedPort::Junction;
    return feed;
}

void FeedBox::setOptions(const nec::FeedOptions& feed) {
    const double ratio = feed.chain ? feed.chain->balunRatio : 0;
    int index = balun_->findData(ratio);
    if (index < 0) {
        balun_->addItem(BalunName(ratio), ratio);
        index = balun_->count() - 1;
    }
    balun_->setCurrentIndex(index);
    // Set quietly, then told once.
    for (DecimalBox* box : {impedance_, velocity_, length_, loss_}) box->blockSignals(true);
    if (feed.chain && feed.chain->feeder) {
        const nec::Feeder& f = *feed.chain->feeder;
        impedance_->setValue(f.impedanceOhm);
        velocity_->setValue(f.velocityFactor);
        length_->setValue(f.lengthM);
        loss_->setValue(f.lossDbPer100m);
    } else {
        length_->setValue(0);
    }
    for (DecimalBox* box : {impedance_, velocity_, length_, loss_}) box->blockSignals(false);
    port_->setCurrentIndex(feed.port == nec::FeedPort::Radio ? 1 : 0);
    choose();
}

}  // namespace corvanta::ui
