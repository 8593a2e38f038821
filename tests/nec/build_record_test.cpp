// The build record: written and read back to the same inputs and the same
// model, damaged records refused with the field or the line, a newer format
// refused as such, and members this program does not know kept.

#include "nec/build_record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "nec/model_check.h"

namespace corvanta::nec {
namespace {

const char* const kSweep = "! analyser export\n# MHz S RI R 50\n145 0.31 -0.42\n146 0.05 0.02\n147 0.30 0.40\n";

// A record with every part set, none at its default.
BuildRecord Full() {
    BuildRecord r;
    r.design = {"146,00", SideChoice::Four, SizeInput{SizeUnit::Mm, "2.5"}};
    r.placement = {Ground::Average, 10.25};
    r.lineImpedanceOhm = 450;
    r.velocityFactor = 0.91;
    r.lineLengthMm = 398.5;
    r.feed.chain = FeedChain{4, Feeder{50, 0.66, 12.5, 6.1}};
    r.feed.port = FeedPort::Radio;
    r.feed.band = BandChoice{"", 144.5, 145.75};
    r.feed.match = true;
    r.referenceOhm = 75;
    r.asBuilt = BuiltLengths{680.1, 390.2, 15.1};
    r.measurements = {{"first.s1p", "2026-12-01T09:00:00Z", "before the trim", kSweep, Json::object()},
                      {"second.s1p", "2026-12-02T10:30:00Z", "Trimmed 3 mm — »gut«", kSweep, Json::object()}};
    r.measurements[0].asBuilt = BuiltLengths{692.4, 397.1, 15.1};
    r.measurements[1].asBuilt = r.asBuilt;
    r.changes = {{"2026-12-01T09:00:00Z", {"design", "feed"}, Json::object()}};
    return r;
}

// A record of a design alone, everything else at its default.
BuildRecord Bare() {
    BuildRecord r;
    r.design = {"146", SideChoice::Three, std::nullopt};
    return r;
}

TEST(BuildRecord, WrittenAndReadBackTheSame) {
    for (const BuildRecord& written : {Full(), Bare()}) {
        const std::string text = RecordText(written);
        SCOPED_TRACE(text);
        const BuildRecord read = ReadRecord(text);
        EXPECT_EQ(RecordText(read), text);
        EXPECT_EQ(read.design.frequency, written.design.frequency);
        EXPECT_EQ(read.design.size.has_value(), written.design.size.has_value());
        EXPECT_EQ(read.placement.heightM, written.placement.heightM);
        EXPECT_EQ(read.lineLengthMm, written.lineLengthMm);
        EXPECT_EQ(read.measurements.size(), written.measurements.size());
        EXPECT_TRUE(ChangedParts(read, written).empty());
        EXPECT_EQ(Json::parse(text).begin().key(), "version");
    }
}

// The model the record's check runs is the one its inputs were given for,
// card for card.
TEST(BuildRecord, TheSameModelAfterReading) {
    BuildRecord written = Full();
    written.design.frequency = "146";  // the library reads the point
    const BuildRecord read = ReadRecord(RecordText(written));
    const Design design = RunDesign(read.design);
    EXPECT_EQ(FullDeck(PlanCheck(design, RecordCheckOptions(read))),
              FullDeck(PlanCheck(RunDesign(written.design), RecordCheckOptions(written))));
    const CheckOptions options = RecordCheckOptions(read);
    EXPECT_EQ(options.feed.chain->feeder->lengthM, 12.5);
    EXPECT_EQ(options.feed.port, FeedPort::Radio);
    EXPECT_EQ(options.referenceOhm, 75);
    EXPECT_EQ(options.velocityFactor, 0.91);
    EXPECT_EQ(LastMeasurement(read)->mhz.size(), 3U);
}

struct Damage {
    const char* name;
    std::function<void(Json&)> change;  // of the full record's document
    const char* message;
};

// Format 2 keeps each measurement's lengths as cut; format 1 kept one set
// at the top, which then holds for every measurement.
TEST(BuildRecord, EachMeasurementKeepsItsOwnLengths) {
    const BuildRecord read = ReadRecord(RecordText(Full()));
    ASSERT_EQ(read.measurements.size(), 2u);
    ASSERT_TRUE(read.measurements[0].asBuilt && read.measurements[1].asBuilt);
    EXPECT_EQ(read.measurements[0].asBuilt->heightMm, 692.4);
    EXPECT_EQ(read.measurements[0].asBuilt->sideMm, 397.1);
    EXPECT_EQ(read.measurements[1].asBuilt->heightMm, 680.1);

    Json first = RecordJson(Full());
    first["version"] = 1;
    for (Json& m : first["measurements"]) m.erase("as_built");
    const BuildRecord old = ReadRecord(JsonText(first));
    for (const RecordMeasurement& m : old.measurements) {
        ASSERT_TRUE(m.asBuilt);
        EXPECT_EQ(m.asBuilt->heightMm, 680.1);
        EXPECT_EQ(m.asBuilt->gapMm, 15.1);
    }
    // Written again as format 2, each with the lengths it was read with.
    const Json again = RecordJson(old);
    EXPECT_EQ(again["version"], 2);
    EXPECT_EQ(again["measurements"][0]["as_built"]["height_mm"], 680.1);

    // A measurement of the design's own lengths, beside lengths at the top.
    Json own = RecordJson(Full());
    own["measurements"][0]["as_built"] = nullptr;
    own["measurements"][0]["as_built"] = nullptr;
    const BuildRecord designs = ReadRecord(JsonText(own));
    EXPECT_FALSE(designs.measurements[0].asBuilt);
    EXPECT_TRUE(designs.measurements[1].asBuilt);
    // What it does not know in a measurement's lengths is kept.
    Json later = RecordJson(Full());
    later["measurements"][1]["as_built"]["saw"] = "kerf 1 mm";
    EXPECT_EQ(RecordJson(ReadRecord(JsonText(later)))["measurements"][1]["as_built"]["saw"], "kerf 1 mm");
}

TEST(BuildRecord, DamagedRecordsAreRefusedWithTheFieldOrTheLine) {
    const auto set = [](const char* pointer, Json value) {
        return [=](Json& json) { json[Json::json_pointer(pointer)] = value; };
    };
    const auto erase = [](const char* parent, const char* key) {
        return [=](Json& json) { json[Json::json_pointer(parent)].erase(key); };
    };
    // One row a line, as the table reads.
    // clang-format off
    const Damage cases[] = {
        {"velocity factor as text", set("/feed/feeder/velocity_factor", "0,66"), "feed.feeder.velocity_factor: is not a number"},
        {"velocity factor missing", erase("/feed/feeder", "velocity_factor"), "feed.feeder.velocity_factor: is missing"},
        {"velocity factor too big", set("/feed/feeder/velocity_factor", 1.5), "feed.feeder.velocity_factor: is from 0.1 to 1"},
        {"velocity factor all but 0", set("/feed/feeder/velocity_factor", 1e-300), "feed.feeder.velocity_factor: is from 0.1 to 1"},
        {"lines' velocity factor all but 0", set("/feed/lines/velocity_factor", 0.05), "feed.lines.velocity_factor: is from 0.1 to 1"},
        {"height 1e300", set("/placement/height_m", 1e300),
         "placement.height_m: is the height of the loop's centre in metres, above 0, at most 100000"},
        {"height 0", set("/placement/height_m", 0),
         "placement.height_m: is the height of the loop's centre in metres, above 0, at most 100000"},
        {"a band's name over another band's edges", set("/feed/band", Json{{"name", "2m"}, {"from_mhz", 50}, {"to_mhz", 54}}),
         "feed.band.name: is \"2m\", whose edges are 144 to 148 MHz, not 50 to 54: give its edges, or an empty name for a range of your own"},
        {"a band's name not in the table", set("/feed/band", Json{{"name", "5m"}, {"from_mhz", 60}, {"to_mhz", 61}}),
         "feed.band.name: is \"5m\", not a band of the program's table"},
        {"five sides", set("/design/sides", 5), "design.sides: is 3 or 4"},
        {"frequency a number", set("/design/frequency", 146), "design.frequency: is not a text"},
        {"unit unknown", set("/design/conductor/unit", "swg"), "design.conductor.unit: is \"swg\", not awg, inch or mm"},
        {"ground unknown", set("/placement/ground", "wet"), "placement.ground: is \"wet\", not free, average or perfect"},
        {"height missing", erase("/placement", "height_m"), "placement.height_m: is missing"},
        {"feed not an object", set("/feed", Json::array()), "feed: is not an object"},
        {"radio without chain", [](Json& j) { j["feed"]["balun"] = nullptr; j["feed"]["feeder"] = nullptr; },
         "feed.port: is \"radio\" without a balun or a feeder to the radio"},
        {"gap too long", set("/as_built/gap_mm", 700), "as_built.gap_mm: is not shorter than height_mm"},
        {"match as text", set("/feed/match", "yes"), "feed.match: is not true or false"},
        {"measurements an object", set("/measurements", Json::object()), "measurements: is not a list"},
        {"date in another form", set("/measurements/1/loaded", "2.12.2026"),
         "measurements.1.loaded: \"2.12.2026\" is not a date written 2026-12-07T16:30:00Z"},
        {"measurement does not read", set("/measurements/1/touchstone", "# MHz S RI R 50\n146 0.1 0.2\n147 0.1 oops\n"),
         "measurements.1.touchstone: \"second.s1p\" does not read: line 3: a number does not read: \"147 0.1 oops\""},
        {"measurement empty", set("/measurements/0/touchstone", ""),
         "measurements.0.touchstone: \"first.s1p\" does not read: the Touchstone file has no data lines"},
        {"version missing", [](Json& j) { j.erase("version"); }, "version: is missing"},
        {"version as text", set("/version", "1"), "version: is not a whole number from 1"},
        {"version 0", set("/version", 0), "version: is not a whole number from 1"},
        {"version -1", set("/version", -1), "version: is not a whole number from 1"},
        {"version 1.5", set("/version", 1.5), "version: is not a whole number from 1"},
        {"version newer", set("/version", 3), "the record was made by a newer corvanta (format 3; this one reads format 2 and older)"},
        {"version past 32 bits", set("/version", 4294967297LL),
         "the record was made by a newer corvanta (format 4294967297; this one reads format 2 and older)"},
        {"version past 63 bits", set("/version", 18446744073709551615ULL),
         "the record was made by a newer corvanta (format 18446744073709551615; this one reads format 2 and older)"},
        {"a measurement's gap as long as its height", set("/measurements/1/as_built/gap_mm", 700.0),
         "measurements.1.as_built.gap_mm: is not shorter than height_mm"},
        {"a measurement's lengths not an object", set("/measurements/0/as_built", 5),
         "measurements.0.as_built: is not an object"},
        {"a measurement's side missing", [](Json& j) { j["measurements"][0]["as_built"].erase("side_mm"); },
         "measurements.0.as_built.side_mm: is missing"},
        {"not an object", [](Json& j) { j = Json::array({1}); }, "the record: is not an object"},
    };
    // clang-format on
    for (const Damage& c : cases) {
        SCOPED_TRACE(c.name);
        Json json = RecordJson(Full());
        c.change(json);
        try {
            ReadRecord(JsonText(json));
            ADD_FAILURE() << "read";
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.what(), std::string(c.message));
            EXPECT_TRUE(failure.Kind() == FailureKind::Record || failure.Kind() == FailureKind::RecordNewer);
        }
    }
}

// The JSON parser keeps the last of two equal keys; a record must not: a
// second "frequency" would make another design without a word.
TEST(BuildRecord, AKeyTwiceIsRefusedWithItsPath) {
    const std::string record = JsonText(RecordJson(Full()));
    const auto twice = [&](const std::string& after, const std::string& member) {
        std::string text = record;
        const std::size_t at = text.find(after);
        EXPECT_NE(at, std::string::npos) << after;
        return text.insert(at + after.size(), member);
    };
    const struct {
        const char* name;
        std::string text;
        const char* message;
    } cases[] = {
        {"a second balun", twice("\"balun\": 4.0,", "\"balun\": 9,"),
         "feed.balun appears twice; a record holds each field once"},
        {"a second frequency", twice("\"design\": {", "\"frequency\": \"50\","),
         "design.frequency appears twice; a record holds each field once"},
        {"at the top", twice("{", "\"version\": 1,"), "version appears twice; a record holds each field once"},
        {"in a list's object", twice("\"note\": \"before the trim\",", "\"note\": \"again\","),
         "measurements.0.note appears twice; a record holds each field once"},
        {"in the list's second object", twice("\"file\": \"second.s1p\",", "\"file\": \"x\","),
         "measurements.1.file appears twice; a record holds each field once"},
        {"in a member this version does not know", twice("{", "\"later\": {\"a\": 1, \"a\": 2},"),
         "later.a appears twice; a record holds each field once"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            ReadRecord(c.text);
            ADD_FAILURE() << "read";
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.what(), std::string(c.message));
            EXPECT_EQ(failure.Kind(), FailureKind::Record);
        }
    }
    // Equal keys in different objects are no repeat.
    EXPECT_NO_THROW(ReadRecord(record));
}

TEST(BuildRecord, TextThatIsNotJsonNamesItsLine) {
    const std::string text = RecordText(Full());
    const struct {
        std::string text;
        std::size_t line;
    } cases[] = {
        {text.substr(0, text.size() / 2), 0},  // truncated: the last line it reached
        {"", 1},
        {"{\n  \"version\": 1,\n  \"design\": {,\n}", 3},
        {"\xEF\xBB\xBF{\"version\": 1}\n garbage", 2},
        {"{\"version\": 1,\n\"design\": 1e400}", 2},  // a number beyond a double
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        try {
            ReadRecord(c.text);
            ADD_FAILURE() << "read";
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.Kind(), FailureKind::Record);
            const std::size_t expected =
                c.line != 0 ? c.line : static_cast<std::size_t>(std::count(c.text.begin(), c.text.end(), '\n')) + 1;
            EXPECT_EQ(failure.Facts().line, expected);
            EXPECT_TRUE(std::string(failure.what())
                            .starts_with("line " + std::to_string(expected) + ": the record is not JSON: "))
                << failure.what();
        }
    }
}

// A record cut short inside a measurement's Touchstone text: the message
// quotes at most one line of it, however long the text.
TEST(BuildRecord, ACutShortRecordIsQuotedOneLineAtMost) {
    BuildRecord record = Full();
    std::string many;
    for (int i = 0; i < 40; ++i) many += "! a line of the analyser's header, long enough to fill a window\n";
    record.measurements[0].touchstone = many + record.measurements[0].touchstone;
    const std::string text = RecordText(record);
    const std::size_t inside = text.find("\"touchstone\"");
    ASSERT_NE(inside, std::string::npos);
    for (const std::size_t length : {std::size_t{30}, std::size_t{500}, std::size_t{2000}}) {
        SCOPED_TRACE(length);
        try {
            ReadRecord(text.substr(0, inside + length));
            ADD_FAILURE() << "read";
        } catch (const Failure& failure) {
            const std::string what = failure.what();
            EXPECT_TRUE(what.find("the record is not JSON: ") != std::string::npos) << what;
            for (const char* line : {"\n", "\\n", "<U+000A>"}) EXPECT_EQ(what.find(line), std::string::npos) << what;
            EXPECT_LT(what.size(), std::size_t{220}) << what;
        }
    }
}

TEST(BuildRecord, MembersItDoesNotKnowAreKept) {
    Json json = RecordJson(Full());
    json["workshop"] = {{"bench", 2}};
    json["design"]["conductor"]["alloy"] = "CuAg";
    json["feed"]["feeder"]["brand_note"] = "RG-58, old";
    json["measurements"][1]["analyser"] = "made in a shed";
    json["changes"][0]["by"] = "DL1ABC";
    BuildRecord read = ReadRecord(JsonText(json));
    read.feed.match = false;  // a change of this program's
    Json again = RecordJson(read);
    EXPECT_EQ(again["workshop"], json["workshop"]);
    EXPECT_EQ(again["design"]["conductor"]["alloy"], "CuAg");
    EXPECT_EQ(again["feed"]["feeder"]["brand_note"], "RG-58, old");
    EXPECT_EQ(again["measurements"][1]["analyser"], "made in a shed");
    EXPECT_EQ(again["changes"][0]["by"], "DL1ABC");
    EXPECT_EQ(again["feed"]["match"], false);
    // Known members first, in their order; the unknown after them.
    EXPECT_EQ(std::prev(again.end()).key(), "workshop");

    // The feeder taken away takes its unknown members with it.
    read.feed.chain->feeder.reset();
    const Json without = RecordJson(read);
    EXPECT_TRUE(without["feed"]["feeder"].is_null());
    EXPECT_NO_THROW(ReadRecord(JsonText(without)));
}

TEST(BuildRecord, ChangesNameTheirParts) {
    const BuildRecord before = Full();
    const struct {
        const char* name;
        std::function<void(BuildRecord&)> change;
        std::vector<std::string> parts;
    } cases[] = {
        {"nothing", [](BuildRecord&) {}, {}},
        {"frequency", [](BuildRecord& r) { r.design.frequency = "145"; }, {"design"}},
        {"height", [](BuildRecord& r) { r.placement.heightM = 8; }, {"placement"}},
        {"feeder and cut",
         [](BuildRecord& r) {
             r.feed.chain->feeder->lengthM = 10;
             r.asBuilt->sideMm = 389;
         },
         {"feed", "as_built"}},
        {"a note", [](BuildRecord& r) { r.measurements[0].note = "wet day"; }, {"measurements"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BuildRecord next = before;
        c.change(next);
        EXPECT_EQ(ChangedParts(next, before), c.parts);
        const BuildRecord stamped = Stamped(next, before, "2026-12-07T16:30:00Z");
        EXPECT_EQ(stamped.changes.size(), before.changes.size() + (c.parts.empty() ? 0 : 1));
    }
    // A new record names what it holds.
    const BuildRecord bare = Bare();
    EXPECT_EQ(ChangedParts(bare, std::nullopt), (std::vector<std::string>{"design", "placement", "feed"}));
    EXPECT_EQ(ChangedParts(Full(), std::nullopt),
              (std::vector<std::string>{"design", "placement", "feed", "as_built", "measurements"}));
    const std::string now = UtcNow();
    EXPECT_NO_THROW(ReadRecord(RecordText(Stamped(bare, std::nullopt, now)))) << now;
}

}  // namespace
}  // namespace corvanta::nec
