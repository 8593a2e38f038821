#include "nec/built_lengths.h"

#include <cmath>
#include <vector>

#include "nec/number_text.h"

namespace corvanta::nec {

namespace {

bool Within(double share, double least, double most) { return share >= least && share <= most; }

bool InRange(double share) { return Within(share, kBuiltLeastShare, kBuiltMostShare); }

bool InProportion(double builtHeight, double builtSide, const BuiltLengths& design) {
    const double proportion = (builtHeight / builtSide) / (design.heightMm / design.sideMm);
    return std::abs(proportion - 1) <= kBuiltProportionShare;
}

// The slips a builder makes with a length, each as the factor it puts on
// every length: HEIGHT and SIDE both that many times the design's, within
// the range a length is taken in, is the slip.
constexpr std::pair<BuiltSlip, double> kScaleSlips[] = {
    {BuiltSlip::TenTimes, 10}, {BuiltSlip::Tenth, 0.1}, {BuiltSlip::Inches, 1 / 25.4}, {BuiltSlip::Metres, 0.001}};

BuiltSlip SlipOf(const BuiltLengths& b, const BuiltLengths& d) {
    if (InRange(b.heightMm / d.sideMm) && InRange(b.sideMm / d.heightMm) && InProportion(b.sideMm, b.heightMm, d)) {
        return BuiltSlip::Swapped;
    }
    for (const auto& [slip, factor] : kScaleSlips) {
        if (InRange(b.heightMm / d.heightMm / factor) && InRange(b.sideMm / d.sideMm / factor)) return slip;
    }
    return BuiltSlip::None;
}

// "9.88", "0.5", and for a share under a hundredth two significant
// digits ("0.0001") rather than a zero.
std::string Times(double share) {
    if (!(share > 0) || !std::isfinite(share)) return Shortest(share);
    if (share >= 0.01) return Trimmed(share, 2);
    return Trimmed(share, 1 - static_cast<int>(std::floor(std::log10(share))));
}

std::string LengthsText(const BuiltLengths& l) {
    return "HEIGHT " + Shortest(l.heightMm) + " mm, SIDE " + Shortest(l.sideMm) + " mm, GAP " + Shortest(l.gapMm) +
           " mm";
}

}  // namespace

std::optional<BuiltLengthsRefusal> JudgeBuiltLengths(const BuiltLengths& built, const BuiltLengths& design) {
    BuiltLengthsRefusal r{built, design};
    r.height = !InRange(built.heightMm / design.heightMm);
    r.side = !InRange(built.sideMm / design.sideMm);
    r.gap = !Within(built.gapMm / design.gapMm, kBuiltGapLeastShare, kBuiltGapMostShare);
    r.proportion = !InProportion(built.heightMm, built.sideMm, design);
    if (!r.height && !r.side && !r.gap && !r.proportion) return std::nullopt;
    r.slip = SlipOf(built, design);
    return r;
}

std::string SlipWords(BuiltSlip slip) {
    switch (slip) {
        case BuiltSlip::None:
            return "";
        case BuiltSlip::Swapped:
            return "HEIGHT and SIDE look swapped";
        case BuiltSlip::TenTimes:
            return "every length is about ten times the design's: a decimal point left out?";
        case BuiltSlip::Tenth:
            return "every length is about a tenth of the design's: centimetres typed as millimetres?";
        case BuiltSlip::Inches:
            return "every length is about 1/25.4 of the design's: inches typed as millimetres?";
        case BuiltSlip::Metres:
            return "every length is about a thousandth of the design's: metres typed as millimetres?";
    }
    return "";
}

std::string Describe(const BuiltLengthsRefusal& r) {
    const BuiltLengths& b = r.built;
    const BuiltLengths& d = r.design;
    std::vector<std::string> out;
    if (r.height) out.push_back("HEIGHT is " + Times(b.heightMm / d.heightMm) + " times the design's");
    if (r.side)
        out.push_back(std::string(out.empty() ? "SIDE is " : "SIDE ") + Times(b.sideMm / d.sideMm) + " times" +
                      (out.empty() ? " the design's" : ""));
    if (r.height || r.side) {
        out.back() += " (" + Trimmed(kBuiltLeastShare, 2) + " to " + Trimmed(kBuiltMostShare, 2) + " times is taken)";
    }
    if (r.gap) {
        out.push_back("GAP is " + Times(b.gapMm / d.gapMm) + " times the design's (" + Trimmed(kBuiltGapLeastShare, 2) +
                      " to " + Trimmed(kBuiltGapMostShare, 2) + " times is taken)");
    }
    if (r.proportion) {
        out.push_back("HEIGHT over SIDE is " + Trimmed(b.heightMm / b.sideMm, 3) + " where the design's is " +
                      Trimmed(d.heightMm / d.sideMm, 3) + " (within " + Trimmed(kBuiltProportionShare * 100, 0) +
                      " % is taken)");
    }
    std::string text = LengthsText(b) + " are not lengths of this design (" + LengthsText(d) + "): ";
    for (std::size_t i = 0; i < out.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == out.size() ? " and " : ", ") + out[i];
    }
    if (r.slip != BuiltSlip::None) text += "; " + SlipWords(r.slip);
    return text;
}

void WithholdTrim(Measurement& measurement, const BuiltLengthsRefusal& refusal) {
    measurement.trim.reset();
    measurement.resonanceSpanMHz.reset();
    measurement.trimSpan.reset();
    measurement.notes.push_back("no trim: the lengths as cut that the record holds, " + Describe(refusal) +
                                "; check them against the loop");
}

}  // namespace corvanta::nec
