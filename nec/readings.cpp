#include "nec/readings.h"

#include "nec/number_text.h"

namespace corvanta::nec {

namespace {

// Every reading's feed point has a place among kFeedPoints: readers see
// them in that order, and a reading left out would be seen nowhere.
constexpr bool EveryFeedPointListed() {
    for (const Reading& reading : kReadings) {
        bool listed = false;
        for (const FeedPointInfo& info : kFeedPoints) listed |= info.point == reading.point;
        if (!listed) return false;
    }
    return true;
}
static_assert(EveryFeedPointListed());

}  // namespace

PerReading<std::size_t> ReadingsInView() {
    PerReading<std::size_t> order{};
    std::size_t next = 0;
    for (const FeedPointInfo& info : kFeedPoints) {
        for (std::size_t i : ReadingsAt(info.point)) order[next++] = i;
    }
    return order;
}

std::vector<std::size_t> ReadingsAt(FeedPoint point) {
    std::vector<std::size_t> indices;
    for (std::size_t i = 0; i < kReadingCount; ++i) {
        if (kReadings[i].point == point) indices.push_back(i);
    }
    return indices;
}

std::string ReferenceText(const Reading& reading, Medium medium) {
    std::string text = Trimmed(reading.referenceOhm, 3) + " " + std::string(OhmUnit(medium));
    if (!reading.through.empty()) text += " (" + std::string(reading.through) + ")";
    return text;
}

std::string ReadingLabel(const Reading& reading, Medium medium) {
    return std::string(InfoOf(reading.point).name) + " on " + ReferenceText(reading, medium);
}

}  // namespace corvanta::nec
