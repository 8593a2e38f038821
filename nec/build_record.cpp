#include "nec/build_record.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <set>
#include <utility>

#include "core/amateur_bands.h"
#include "nec/check_limits.h"
#include "nec/number_text.h"
#include "nec/touchstone.h"

namespace corvanta::nec {

namespace {

[[noreturn]] void Refuse(std::string field, std::string why) {
    FailureFacts facts;
    facts.kind = FailureKind::Record;
    facts.text = std::move(field);
    facts.detail = std::move(why);
    throw Failure(std::move(facts));
}

std::string Join(const std::string& path, std::string_view key) {
    return path.empty() ? std::string(key) : path + "." + std::string(key);
}

// "2026-12-07T16:30:00Z": the one form the record writes, so the one it reads.
bool IsUtcDate(const std::string& text) {
    static constexpr std::string_view kForm = "0000-00-00T00:00:00Z";
    if (text.size() != kForm.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (kForm[i] == '0' ? !(text[i] >= '0' && text[i] <= '9') : text[i] != kForm[i]) return false;
    }
    return true;
}

// One object of the record: its members read by name, each judged with its
// whole path for the message, and those never asked for kept.
class Object {
public:
    Object(const Json& json, std::string path) : json_(json), path_(std::move(path)) {
        if (!json_.is_object()) Refuse(path_.empty() ? "the record" : path_, "is not an object");
    }

    std::string Path(std::string_view key) const { return Join(path_, key); }

    // None when missing or null.
    const Json* Find(std::string_view key) {
        read_.emplace_back(key);
        const auto found = json_.find(key);
        return found == json_.end() || found->is_null() ? nullptr : &*found;
    }
    // Whether the member is there at all, null or not.
    bool Has(std::string_view key) const { return json_.contains(key); }
    const Json& Need(std::string_view key) {
        const Json* value = Find(key);
        if (!value) Refuse(Path(key), "is missing");
        return *value;
    }
    double Number(std::string_view key) { return NumberOf(Need(key), Path(key)); }
    std::optional<double> MaybeNumber(std::string_view key) {
        const Json* value = Find(key);
        return value ? std::optional<double>(NumberOf(*value, Path(key))) : std::nullopt;
    }
    std::string Text(std::string_view key) {
        const Json& value = Need(key);
        if (!value.is_string()) Refuse(Path(key), "is not a text");
        return value.get<std::string>();
    }
    bool Flag(std::string_view key) {
        const Json& value = Need(key);
        if (!value.is_boolean()) Refuse(Path(key), "is not true or false");
        return value.get<bool>();
    }
    // A number `limit` holds, as `rule` words it.
    double Within(std::string_view key, const Limit& limit, const char* rule) {
        const double value = Number(key);
        if (!limit.Holds(value)) Refuse(Path(key), rule);
        return value;
    }
    // A number from `least` to `most`, as `rule` words it.
    double Within(std::string_view key, double least, double most, const char* rule, bool aboveLeast = true) {
        const double value = Number(key);
        if (!((aboveLeast ? value > least : value >= least) && value <= most)) Refuse(Path(key), rule);
        return value;
    }
    // The members not asked for.
    Json Rest() const {
        Json rest = Json::object();
        for (const auto& [key, value] : json_.items()) {
            if (std::find(read_.begin(), read_.end(), key) == read_.end()) rest[key] = value;
        }
        return rest;
    }

    static double NumberOf(const Json& value, const std::string& path) {
        if (!value.is_number()) Refuse(path, "is not a number");
        return value.get<double>();
    }

private:
    const Json& json_;
    std::string path_;
    std::vector<std::string> read_;
};

// Keeps the members of `object` the program does not know, under its path.
void Keep(Json& unknown, const Object& object, const std::string& path) {
    Json rest = object.Rest();
    if (!rest.empty()) unknown[path] = std::move(rest);
}

constexpr std::pair<SizeUnit, std::string_view> kUnits[] = {
    {SizeUnit::Gauge, "awg"}, {SizeUnit::Inch, "inch"}, {SizeUnit::Mm, "mm"}};
constexpr std::pair<Ground, std::string_view> kGrounds[] = {
    {Ground::Free, "free"}, {Ground::Average, "average"}, {Ground::Perfect, "perfect"}};
constexpr std::pair<FeedPort, std::string_view> kPorts[] = {{FeedPort::Junction, "junction"},
                                                            {FeedPort::Radio, "radio"}};

template <typename E, std::size_t N>
std::string_view NameOf(const std::pair<E, std::string_view> (&names)[N], E value) {
    for (const auto& [e, name] : names) {
        if (e == value) return name;
    }
    return names[0].second;
}

template <typename E, std::size_t N>
E ValueOf(const std::pair<E, std::string_view> (&names)[N], Object& object, std::string_view key) {
    const std::string text = object.Text(key);
    std::string choices;
    for (std::size_t i = 0; i < N; ++i) {
        if (names[i].second == text) return names[i].first;
        choices += (i == 0 ? "" : i + 1 == N ? " or " : ", ") + std::string(names[i].second);
    }
    Refuse(object.Path(key), "is \"" + text + "\", not " + choices);
}

void ReadDesign(Object design, BuildRecord& record) {
    record.design.frequency = design.Text("frequency");
    const double sides = design.Number("sides");
    if (sides != 3 && sides != 4) Refuse(design.Path("sides"), "is 3 or 4");
    record.design.sides = sides == 3 ? SideChoice::Three : SideChoice::Four;
    if (const Json* conductor = design.Find("conductor")) {
        Object size(*conductor, design.Path("conductor"));
        const SizeUnit unit = ValueOf(kUnits, size, "unit");
        record.design.size = SizeInput{unit, size.Text("text")};
        Keep(record.unknown, size, "design.conductor");
    }
    Keep(record.unknown, design, "design");
}

void ReadPlacement(Object placement, BuildRecord& record) {
    record.placement.ground = ValueOf(kGrounds, placement, "ground");
    if (record.placement.ground != Ground::Free) {
        record.placement.heightM = placement.Within(
            "height_m", kHeightM, "is the height of the loop's centre in metres, above 0, at most 100000");
    } else {
        placement.Find("height_m");  // free space has no height; a stray one is not kept
    }
    Keep(record.unknown, placement, "placement");
}

void ReadFeed(Object feed, BuildRecord& record) {
    {
        Object lines(feed.Need("lines"), feed.Path("lines"));
        record.lineImpedanceOhm = lines.Within("impedance_ohm", 0, 10000, "is in ohm, above 0, at most 10000");
        record.velocityFactor = lines.Within("velocity_factor", kLinesVelocityFactor, "is from 0.1 to 1");
        // Absent in records from before it was kept: fitted, as then.
        if (lines.Find("velocity_factor_measured"))
            record.velocityFactorMeasured = lines.Flag("velocity_factor_measured");
        if (lines.Find("length_mm")) {
            record.lineLengthMm = lines.Within("length_mm", 0, 1e6, "is the length of each line in mm, above 0");
        }
        Keep(record.unknown, lines, "feed.lines");
    }
    const std::optional<double> balun = feed.MaybeNumber("balun");
    if (balun && !kBalunRatio.Holds(*balun)) Refuse(feed.Path("balun"), "is the ratio N of an N:1 balun, 1 to 100");
    std::optional<Feeder> feeder;
    if (const Json* json = feed.Find("feeder")) {
        Object f(*json, feed.Path("feeder"));
        feeder.emplace();
        feeder->impedanceOhm = f.Within("impedance_ohm", kFeederImpedanceOhm, "is in ohm, above 0, at most 10000");
        feeder->velocityFactor = f.Within("velocity_factor", kFeederVelocityFactor, "is from 0.1 to 1");
        feeder->lengthM = f.Within("length_m", kFeederLengthM, "is from 0 to 10000 m");
        feeder->lossDbPer100m = f.Within("loss_db_per_100m", kFeederLossDbPer100m, "is from 0 to 1000 dB per 100 m");
        Keep(record.unknown, f, "feed.feeder");
    }
    if (balun || feeder) record.feed.chain = FeedChain{balun.value_or(1), feeder};
    record.feed.port = ValueOf(kPorts, feed, "port");
    if (record.feed.port == FeedPort::Radio && !record.feed.chain) {
        Refuse(feed.Path("port"), "is \"radio\" without a balun or a feeder to the radio");
    }
    if (const Json* json = feed.Find("band")) {
        Object band(*json, feed.Path("band"));
        BandChoice choice{band.Text("name"), band.Number("from_mhz"), band.Number("to_mhz")};
        if (!(choice.fromMHz > 0 && choice.toMHz > choice.fromMHz && std::isfinite(choice.toMHz))) {
            Refuse(band.Path("to_mhz"), "is not above from_mhz");
        }
        // A name stands for the table's edges, and the report shows both:
        // edges of another band under it (a hand edit, a damaged file) would
        // put a wrong band beside a right name, and neither can be told the
        // right one. An empty name is a range of the builder's own.
        if (!choice.name.empty()) {
            const std::optional<Band> known = FindBand(choice.name);
            if (!known) Refuse(band.Path("name"), "is \"" + choice.name + "\", not a band of the program's table");
            if (known->LowMHz() != choice.fromMHz || known->HighMHz() != choice.toMHz) {
                Refuse(band.Path("name"), "is \"" + choice.name + "\", whose edges are " + std::string(known->low) +
                                              " to " + std::string(known->high) + " MHz, not " +
                                              Shortest(choice.fromMHz) + " to " + Shortest(choice.toMHz) +
                                              ": give its edges, or an empty name for a range of your own");
            }
        }
        record.feed.band = std::move(choice);
        Keep(record.unknown, band, "feed.band");
    }
    record.feed.match = feed.Flag("match");
    record.referenceOhm = feed.Within("reference_ohm", 0, 10000, "is in ohm, above 0, at most 10000");
    Keep(record.unknown, feed, "feed");
}

BuiltLengths ReadLengths(Object& built) {
    const char* rule = "is a length in mm, above 0";
    BuiltLengths lengths{built.Within("height_mm", 0, 1e6, rule), built.Within("side_mm", 0, 1e6, rule),
                         built.Within("gap_mm", 0, 1e6, rule)};
    if (!(lengths.gapMm < lengths.heightMm)) Refuse(built.Path("gap_mm"), "is not shorter than height_mm");
    return lengths;
}

void ReadAsBuilt(Object built, BuildRecord& record) {
    record.asBuilt = ReadLengths(built);
    Keep(record.unknown, built, "as_built");
}

Json LengthsJson(const std::optional<BuiltLengths>& lengths) {
    if (!lengths) return nullptr;
    return {{"height_mm", lengths->heightMm}, {"side_mm", lengths->sideMm}, {"gap_mm", lengths->gapMm}};
}

std::string DateOf(Object& object, std::string_view key) {
    std::string date = object.Text(key);
    if (!IsUtcDate(date)) Refuse(object.Path(key), "\"" + date + "\" is not a date written 2026-12-07T16:30:00Z");
    return date;
}

// The array under `key`, each element an object read by `read`.
template <typename Read>
void ReadArray(Object& top, std::string_view key, Read read) {
    const Json* array = top.Find(key);
    if (!array) return;
    if (!array->is_array()) Refuse(std::string(key), "is not a list");
    for (std::size_t i = 0; i < array->size(); ++i)
        read(Object((*array)[i], Join(std::string(key), std::to_string(i))));
}

// The parser quotes what it read last; of a string cut short that is all
// of it, a whole Touchstone file: its first line at most, and no wider than
// a line of text.
std::string OneLineQuote(const std::string& words) {
    const std::string opening = "last read: '";
    const std::size_t start = words.find(opening);
    const std::size_t end = words.rfind('\'');
    if (start == std::string::npos || end == std::string::npos || end < start + opening.size()) return words;
    const std::size_t from = start + opening.size();
    std::string quoted = words.substr(from, end - from);
    std::size_t cut = std::min<std::size_t>(quoted.size(), 60);
    for (const char* stop : {"\\n", "\\r", "<U+000A>", "<U+000D>", "\n", "\r"}) {
        cut = std::min(cut, quoted.find(stop));
    }
    // Never within a character of several bytes.
    while (cut > 0 && cut < quoted.size() && (static_cast<unsigned char>(quoted[cut]) & 0xC0) == 0x80) --cut;
    if (cut < quoted.size()) quoted = quoted.substr(0, cut) + "\u2026";
    return words.substr(0, from) + quoted + words.substr(end);
}

// `asBuilt` the lengths a measurement without its own was cut to: a record
// of format 1 kept them once for all.
RecordMeasurement ReadMeasurement(Object object, const std::optional<BuiltLengths>& asBuilt) {
    RecordMeasurement m;
    const bool own = object.Has("as_built");
    if (const Json* built = object.Find("as_built")) {
        Object lengths(*built, object.Path("as_built"));
        m.asBuilt = ReadLengths(lengths);
        m.builtUnknown = lengths.Rest();
    } else if (!own) {
        m.asBuilt = asBuilt;
    }
    m.file = object.Text("file");
    m.loaded = DateOf(object, "loaded");
    m.note = object.Text("note");
    m.touchstone = object.Text("touchstone");
    try {
        ReadTouchstone(m.touchstone);
    } catch (const Failure& failure) {
        Refuse(object.Path("touchstone"), "\"" + m.file + "\" does not read: " + failure.what());
    }
    m.unknown = object.Rest();
    return m;
}

RecordChange ReadChange(Object object) {
    RecordChange change;
    change.date = DateOf(object, "date");
    const Json& what = object.Need("what");
    if (!what.is_array()) Refuse(object.Path("what"), "is not a list");
    for (const Json& part : what) {
        if (!part.is_string()) Refuse(object.Path("what"), "holds something that is not a text");
        change.what.push_back(part.get<std::string>());
    }
    change.unknown = object.Rest();
    return change;
}

// The first key an object of the text holds twice, by its path
// ("feed.balun", "measurements.0.note"); none when every key is once.
// The parser keeps the last of two silently, so a second "freq" typed into
// a record would make another design without a word.
class RepeatedKeys : public nlohmann::json_sax<Json> {
public:
    std::optional<std::string> found;

    bool null() override { return Value(); }
    bool boolean(bool) override { return Value(); }
    bool number_integer(number_integer_t) override { return Value(); }
    bool number_unsigned(number_unsigned_t) override { return Value(); }
    bool number_float(number_float_t, const string_t&) override { return Value(); }
    bool string(string_t&) override { return Value(); }
    bool binary(binary_t&) override { return Value(); }
    bool start_object(std::size_t) override { return Open(true); }
    bool end_object() override { return Close(); }
    bool start_array(std::size_t) override { return Open(false); }
    bool end_array() override { return Close(); }
    bool key(string_t& key) override {
        Frame& frame = frames_.back();
        if (!frame.keys.insert(key).second) {
            found = Join(frame.path, key);
            return false;
        }
        frame.key = key;
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

private:
    struct Frame {
        bool object = false;
        std::string path;
        std::set<std::string> keys;
        std::string key;
        std::size_t index = 0;
    };
    std::vector<Frame> frames_;

    std::string Here() const {
        if (frames_.empty()) return "";
        const Frame& frame = frames_.back();
        return Join(frame.path, frame.object ? frame.key : std::to_string(frame.index));
    }
    bool Value() {
        if (!frames_.empty() && !frames_.back().object) ++frames_.back().index;
        return true;
    }
    bool Open(bool object) {
        frames_.push_back({object, Here(), {}, {}, 0});
        return true;
    }
    bool Close() {
        frames_.pop_back();
        return Value();
    }
};

std::optional<std::string> RepeatedKey(std::string_view text) {
    RepeatedKeys keys;
    Json::sax_parse(text.begin(), text.end(), &keys);
    return keys.found;
}

// The record's own members, without those it does not know.
Json KnownJson(const BuildRecord& r) {
    Json design = {{"frequency", r.design.frequency}, {"sides", r.design.sides == SideChoice::Three ? 3 : 4}};
    design["conductor"] = r.design.size
                              ? Json{{"unit", NameOf(kUnits, r.design.size->unit)}, {"text", r.design.size->text}}
                              : Json(nullptr);
    Json placement = {{"ground", NameOf(kGrounds, r.placement.ground)}};
    placement["height_m"] = r.placement.ground == Ground::Free ? Json(nullptr) : Json(r.placement.heightM);
    Json lines = {{"impedance_ohm", r.lineImpedanceOhm}, {"velocity_factor", r.velocityFactor}};
    lines["length_mm"] = r.lineLengthMm ? Json(*r.lineLengthMm) : Json(nullptr);
    // Written where it holds, so that a record of a fitted velocity factor
    // reads as records always have.
    if (r.velocityFactorMeasured) lines["velocity_factor_measured"] = true;
    Json feed = {{"lines", lines}};
    feed["balun"] = r.feed.chain ? Json(r.feed.chain->balunRatio) : Json(nullptr);
    feed["feeder"] = nullptr;
    if (r.feed.chain && r.feed.chain->feeder) {
        const Feeder& f = *r.feed.chain->feeder;
        feed["feeder"] = Json{{"impedance_ohm", f.impedanceOhm},
                              {"velocity_factor", f.velocityFactor},
                              {"length_m", f.lengthM},
                              {"loss_db_per_100m", f.lossDbPer100m}};
    }
    feed["port"] = NameOf(kPorts, r.feed.port);
    feed["band"] =
        r.feed.band
            ? Json{{"name", r.feed.band->name}, {"from_mhz", r.feed.band->fromMHz}, {"to_mhz", r.feed.band->toMHz}}
            : Json(nullptr);
    feed["match"] = r.feed.match;
    feed["reference_ohm"] = r.referenceOhm;
    const Json built = LengthsJson(r.asBuilt);
    Json measurements = Json::array();
    for (const RecordMeasurement& m : r.measurements) {
        Json one = {{"file", m.file},
                    {"loaded", m.loaded},
                    {"note", m.note},
                    {"touchstone", m.touchstone},
                    {"as_built", LengthsJson(m.asBuilt)}};
        if (m.asBuilt) one["as_built"].update(m.builtUnknown);
        one.update(m.unknown);
        measurements.push_back(std::move(one));
    }
    Json changes = Json::array();
    for (const RecordChange& c : r.changes) {
        Json one = {{"date", c.date}, {"what", c.what}};
        one.update(c.unknown);
        changes.push_back(std::move(one));
    }
    return {{"version", kRecordVersion}, {"design", design},
            {"placement", placement},    {"feed", feed},
            {"as_built", built},         {"measurements", measurements},
            {"changes", changes}};
}

// The parts a change names, in the record's order.
constexpr std::string_view kParts[] = {"design", "placement", "feed", "as_built", "measurements"};

}  // namespace

Json RecordJson(const BuildRecord& record) {
    Json json = KnownJson(record);
    // Each object's unknown members after its known ones; those of an
    // object no longer held (a feeder taken away) go with it.
    for (const auto& [path, members] : record.unknown.items()) {
        Json* object = &json;
        std::size_t start = 0;
        while (object && !path.empty() && start <= path.size()) {
            const std::size_t dot = std::min(path.find('.', start), path.size());
            const std::string key = path.substr(start, dot - start);
            object = object->is_object() && object->contains(key) ? &(*object)[key] : nullptr;
            start = dot + 1;
        }
        if (!object || !object->is_object()) continue;
        for (const auto& [key, value] : members.items()) {
            if (!object->contains(key)) (*object)[key] = value;
        }
    }
    return json;
}

std::string RecordText(const BuildRecord& record) { return JsonText(RecordJson(record)); }

BuildRecord ReadRecord(std::string_view text) {
    Json json;
    try {
        json = Json::parse(text.begin(), text.end());
    } catch (const Json::parse_error& error) {
        FailureFacts facts;
        facts.kind = FailureKind::Record;
        const std::size_t end = std::min<std::size_t>(error.byte == 0 ? 0 : error.byte - 1, text.size());
        facts.line = 1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + end, '\n'));
        // nlohmann's own words after its position: "syntax error while parsing ...".
        std::string words = error.what();
        if (const std::size_t column = words.find("column "); column != std::string::npos) {
            if (const std::size_t colon = words.find(": ", column); colon != std::string::npos) {
                words = words.substr(colon + 2);
            }
        }
        facts.detail = "the record is not JSON: " + OneLineQuote(words);
        throw Failure(std::move(facts));
    } catch (const Json::exception& error) {
        // A number beyond a double ("1e400"): nlohmann names the number
        // but not where it stands, so it is looked for in the text.
        FailureFacts facts;
        facts.kind = FailureKind::Record;
        std::string words = error.what();
        if (const std::size_t start = words.find("parsing '"); start != std::string::npos) {
            const std::string number = words.substr(start + 9, words.rfind('\'') - start - 9);
            if (const std::size_t at = text.find(number); !number.empty() && at != std::string_view::npos) {
                facts.line = 1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + at, '\n'));
            }
            words = words.substr(words.find(']') + 2);
        }
        facts.detail = "the record is not JSON: " + OneLineQuote(words);
        throw Failure(std::move(facts));
    }
    if (const std::optional<std::string> twice = RepeatedKey(text)) {
        FailureFacts facts;
        facts.kind = FailureKind::Record;
        facts.detail = *twice + " appears twice; a record holds each field once";
        throw Failure(std::move(facts));
    }
    Object top(json, "");
    const Json& version = top.Need("version");
    const bool whole = version.is_number_unsigned() ? version.get<unsigned long long>() >= 1
                                                    : version.is_number_integer() && version.get<long long>() >= 1;
    if (!whole) Refuse("version", "is not a whole number from 1");
    // Unsigned first: a version past the largest signed number is still a
    // version, newer than this one.
    if (version.is_number_unsigned() ? version.get<unsigned long long>() > kRecordVersion
                                     : version.get<long long>() > kRecordVersion) {
        FailureFacts facts;
        facts.kind = FailureKind::RecordNewer;
        facts.text = version.dump();  // the number as written, however large
        facts.most = kRecordVersion;
        throw Failure(std::move(facts));
    }
    BuildRecord record;
    ReadDesign(Object(top.Need("design"), "design"), record);
    ReadPlacement(Object(top.Need("placement"), "placement"), record);
    ReadFeed(Object(top.Need("feed"), "feed"), record);
    if (const Json* built = top.Find("as_built")) ReadAsBuilt(Object(*built, "as_built"), record);
    ReadArray(top, "measurements",
              [&](Object o) { record.measurements.push_back(ReadMeasurement(std::move(o), record.asBuilt)); });
    ReadArray(top, "changes", [&](Object o) { record.changes.push_back(ReadChange(std::move(o))); });
    Keep(record.unknown, top, "");
    return record;
}

std::vector<std::string> ChangedParts(const BuildRecord& next, const std::optional<BuildRecord>& before) {
    const Json now = KnownJson(next);
    const Json was = KnownJson(before.value_or(BuildRecord{}));
    std::vector<std::string> parts;
    for (std::string_view part : kParts) {
        if (!before || now[std::string(part)] != was[std::string(part)]) {
            if (!before && (now[std::string(part)].is_null() || now[std::string(part)] == Json::array())) continue;
            parts.emplace_back(part);
        }
    }
    return parts;
}

BuildRecord Stamped(BuildRecord next, const std::optional<BuildRecord>& before, const std::string& date) {
    std::vector<std::string> parts = ChangedParts(next, before);
    if (!parts.empty()) next.changes.push_back(RecordChange{date, std::move(parts), Json::object()});
    return next;
}

std::string UtcNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

CheckOptions RecordCheckOptions(const BuildRecord& record, CheckOptions base) {
    base.Setup() = record.Setup();
    return base;
}

std::optional<OnePortSweep> LastMeasurement(const BuildRecord& record) {
    if (record.measurements.empty()) return std::nullopt;
    return ReadTouchstone(record.measurements.back().touchstone);
}

}  // namespace corvanta::nec
