#pragma once

#include <QString>
#include <QWidget>

#include "core/field_conversion.h"
#include "nec/model_check.h"

class QCheckBox;

// The model window's sweep: from and to in MHz (both "auto" for 0.8 to 1.4
// times the design frequency), the points, and whether the engine computes
// every point (exact) or a handful with an interpolant checked at held-out
// points (adaptive, the default). Within the limits the check takes
// (nec/check_limits.h); a number that cannot be read is refused aloud and
// the box keeps its value.

namespace corvanta::ui {

class DecimalBox;

class SweepBox : public QWidget {
    Q_OBJECT
public:
    explicit SweepBox(QWidget* parent = nullptr);

    void setFormat(NumberFormat format);

    // Sets the sweep and its mode of `options` as the boxes stand; empty
    // when they can be checked, else why not (and `options` is as it was).
    QString fill(nec::CheckOptions& options) const;

    // Shows a sweep: none for auto.
    void setSweep(std::optional<double> fromMHz, std::optional<double> toMHz, int points, nec::SweepMode mode);

signals:
    void refused(const QString& message);

private:
    DecimalBox* from_ = nullptr;
    DecimalBox* to_ = nullptr;
    DecimalBox* points_ = nullptr;
    QCheckBox* exact_ = nullptr;
};

}  // namespace corvanta::ui
