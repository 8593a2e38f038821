#pragma once

#include <QWidget>

#include "core/field_conversion.h"
#include "nec/check_limits.h"
#include "nec/feed_options.h"

class QComboBox;
class QLabel;

// The Feed box of the model window: what the builder connects after the
// lines' junction, a balun (none, 1:1, 4:1, 9:1) and a feeder to the radio
// (impedance, velocity factor, length, matched loss per 100 m at the design
// frequency), and the port where a measurement was taken and the model's
// Touchstone file is written. The numbers are read as every box of the
// window reads them (DecimalBox) within the limits the check takes
// (nec/check_limits.h); a number outside them is refused aloud and the box
// keeps its value.
//
// As on the command line, a feeder without a balun goes through a 1:1
// balun. A feeder of length 0 is no feeder: the radio sits at the balun;
// with neither there is no chain, and the port is the lines' junction.

namespace corvanta::ui {

class DecimalBox;

class FeedBox : public QWidget {
    Q_OBJECT
public:
    explicit FeedBox(QWidget* parent = nullptr);

    // The separator the boxes write; they read it and the point.
    void setFormat(NumberFormat format);

    // `feed` with the chain and the port as the boxes stand; its band and
    // match are kept.
    nec::FeedOptions options(nec::FeedOptions feed) const;
    // Shows the chain and the port of `feed`; a balun ratio the box does
    // not offer is added to its choices.
    void setOptions(const nec::FeedOptions& feed);

signals:
    // A choice or a number of the box changed.
    void changed();
    // What was typed that the box could not take, worded for the status
    // line; the box kept its value.
    void refused(const QString& message);

private:
    DecimalBox* numberBox(const char* name, const QString& accessibleName, const nec::Limit& limit, int decimals,
                          const QString& suffix);
    void choose();
    // The port means something only with a chain to the radio.
    void updatePort();

    NumberFormat format_;
    QComboBox* balun_ = nullptr;
    DecimalBox* impedance_ = nullptr;
    DecimalBox* velocity_ = nullptr;
    DecimalBox* length_ = nullptr;
    DecimalBox* loss_ = nullptr;
    QComboBox* port_ = nullptr;
};

}  // namespace corvanta::ui
