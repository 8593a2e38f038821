#include "ui/model_memory.h"

#include <QLocale>
#include <QSettings>
#include "nec/check_limits.h"

namespace corvanta::ui {

namespace {

const QString kBalun = QStringLiteral("feed/balunRatio");
const QString kFeeder = QStringLiteral("feed/feeder");
const QString kImpedance = QStringLiteral("feed/feederImpedanceOhm");
const QString kVelocity = QStringLiteral("feed/feederVelocityFactor");
const QString kLength = QStringLiteral("feed/feederLengthM");
const QString kLoss = QStringLiteral("feed/feederLossDbPer100m");
const QString kPort = QStringLiteral("feed/port");

// A number of the settings within `limit`; none where the file holds
// something else (an edited or damaged file gives the program's defaults).
std::optional<double> Number(const QSettings& settings, const QString& key, const nec::Limit& limit) {
    bool ok = false;
    const double value = settings.value(key).toString().toDouble(&ok);
    if (!ok || !limit.Holds(value)) return std::nullopt;
    return value;
}

}  // namespace

ModelMemory::ModelMemory(std::unique_ptr<QSettings> settings) : settings_(std::move(settings)) {
    if (!settings_ || !settings_->contains(kBalun)) return;
    const QSettings& kept = *settings_;
    nec::FeedOptions feed;
    const QString port = kept.value(kPort).toString();
    if (port != QLatin1String("junction") && port != QLatin1String("radio")) return;
    feed.port = port == QLatin1String("radio") ? nec::FeedPort::Radio : nec::FeedPort::Junction;
    const std::optional<double> balun = Number(kept, kBalun, nec::kBalunRatio);
    if (!balun && kept.value(kBalun).toString() != QLatin1String("none")) return;
    if (balun) {
        nec::FeedChain chain{*balun, std::nullopt};
        if (kept.value(kFeeder).toBool()) {
            const auto impedance = Number(kept, kImpedance, nec::kFeederImpedanceOhm);
            const auto velocity = Number(kept, kVelocity, nec::kFeederVelocityFactor);
            const auto length = Number(kept, kLength, nec::kFeederLengthM);
            const auto loss = Number(kept, kLoss, nec::kFeederLossDbPer100m);
            if (!impedance || !velocity || !length || !loss) return;
            chain.feeder = nec::Feeder{*impedance, *velocity, *length, *loss};
        }
        feed.chain = chain;
    }
    feed_ = feed;
}

ModelMemory::~ModelMemory() = default;

void ModelMemory::keep(ModelWindowState state) { state_ = std::move(state); }

std::optional<nec::FeedOptions> ModelMemory::feedDefaults() const { return feed_; }

void ModelMemory::rememberFeed(const nec::FeedOptions& feed) {
    nec::FeedOptions defaults;
    defaults.chain = feed.chain;
    defaults.port = feed.port;
    feed_ = defaults;
    if (!settings_) return;
    QSettings& kept = *settings_;
    // The numbers as the program writes them, whatever the locale.
    const auto text = [](double value) { return QString::number(value, 'g', QLocale::FloatingPointShortest); };
    kept.setValue(kPort, feed.port == nec::FeedPort::Radio ? QStringLiteral("radio") : QStringLiteral("junction"));
    kept.setValue(kBalun, feed.chain ? text(feed.chain->balunRatio) : QStringLiteral("none"));
    const bool feeder = feed.chain && feed.chain->feeder;
    kept.setValue(kFeeder, feeder);
    if (feeder) {
        const nec::Feeder& line = *feed.chain->feeder;
        kept.setValue(kImpedance, text(line.impedanceOhm));
        kept.setValue(kVelocity, text(line.velocityFactor));
        kept.setValue(kLength, text(line.lengthM));
        kept.setValue(kLoss, text(line.lossDbPer100m));
    }
}

}  // namespace corvanta::ui
