#include "ui/failure_words.h"

#include "nec/number_text.h"

namespace corvanta::ui {

QString FailureWords(const nec::Failure& failure, const QString& file) {
    const nec::FailureFacts& facts = failure.Facts();
    const QString said = QString::fromStdString(failure.what());
    switch (facts.kind) {
        case nec::FailureKind::Model:
        case nec::FailureKind::SegmentsPerGap:
            return QStringLiteral("The design cannot be modelled: %1.").arg(said);
        case nec::FailureKind::TooNearGround:
            return QStringLiteral("The loop cannot be modelled there: %1. Give a height of %2 m or more.")
                .arg(QString::fromStdString(facts.detail),
                     QString::fromStdString(nec::Fixed(facts.limit.value_or(0), 3)));
        case nec::FailureKind::EngineMissing:
            return QStringLiteral("The engine failed: %1; install Debian's package nec2c.").arg(said);
        case nec::FailureKind::EngineNotStarted:
        case nec::FailureKind::EngineTimedOut:
        case nec::FailureKind::EngineCrashed:
        case nec::FailureKind::EngineFailed:
            return QStringLiteral("The engine failed: %1").arg(said);
        case nec::FailureKind::Stopped:
            return QStringLiteral("The check was stopped.");
        case nec::FailureKind::Answer:
            return QStringLiteral("The engine's answer could not be read: %1").arg(said);
        case nec::FailureKind::System:
            return QStringLiteral("The check could not start: %1").arg(said);
        case nec::FailureKind::Record:
        case nec::FailureKind::RecordNewer:
            return QStringLiteral("%1 was not opened: %2.")
                .arg(file.isEmpty() ? QStringLiteral("The record") : file, said);
        case nec::FailureKind::File:
            return QStringLiteral("Could not read %1: %2.")
                .arg(QString::fromStdString(facts.text), QString::fromStdString(facts.detail));
        case nec::FailureKind::Measurement:
            return QStringLiteral("%1 was not loaded: %2")
                .arg(file.isEmpty() ? QStringLiteral("The measurement") : file, said);
    }
    return said;
}

std::string AdviceWords(nec::Advice advice, double value) {
    switch (advice) {
        case nec::Advice::FinerSweep:
            return "a sweep with more points places a resonance better";
        case nec::Advice::Tune:
            return "Run tunes the loop with the check: its tuned lengths resonate at the design frequency";
        case nec::Advice::LineImpedance:
            return "set the lines' impedance to " + nec::Trimmed(value, 4) + " ohm";
        case nec::Advice::StubVelocityFactor:
            return "measure the lines' velocity factor from a stub of them, enter it and tick \"measured\"";
    }
    return {};
}

}  // namespace corvanta::ui
