#include "core/nmea/NmeaCatalog.h"
#include "core/table/PickSearch.h"

#include <gtest/gtest.h>

using Table::PickSearch;

namespace {

constexpr int kInterval = 400;

struct Typed {
    const char* text;
    qint64 at;           // milliseconds
    const char* selects; // "" when nothing matches
};

struct SearchCase {
    const char* name;
    QStringList entries;
    std::vector<Typed> keys;
};

const QStringList kSentences = {"GGA", "GLL", "THS", "HDG", "HDT", "HDM", "VTG"};
const QStringList kFields = {"Altitude, Meters", "Latitude, Degrees", "Latitude, Minutes", "Longitude"};
const QStringList kCourses = {"Course over ground, degrees True, Number [floating point]",
                              "Course over ground, degrees Magnetic, Number [floating point]",
                              "Magnetic variation, degrees, Number [floating point]", "Mode indicator"};

class PickSearchCases : public testing::TestWithParam<SearchCase> {};

TEST_P(PickSearchCases, EachKeySelectsTheFirstEntryStartingWithTheTypedText) {
    PickSearch search;
    for (const Typed& key : GetParam().keys) {
        SCOPED_TRACE(testing::Message() << "'" << key.text << "' at " << key.at);
        const int found = search.type(GetParam().entries, QString::fromUtf8(key.text), key.at, kInterval);
        EXPECT_EQ(found < 0 ? QString() : GetParam().entries[found], QString::fromUtf8(key.selects));
    }
}

INSTANTIATE_TEST_SUITE_P(
    , PickSearchCases,
    testing::Values(
        SearchCase{"AllLettersCount", kSentences, {{"H", 0, "HDG"}, {"D", 50, "HDG"}, {"T", 100, "HDT"}}},
        SearchCase{"IgnoresCase", kSentences, {{"h", 0, "HDG"}, {"d", 10, "HDG"}, {"m", 20, "HDM"}}},
        SearchCase{"BlanksAndCommasBelongToTheText",
                   kFields,
                   {{"L", 0, "Latitude, Degrees"},
                    {"atitude", 100, "Latitude, Degrees"},
                    {",", 200, "Latitude, Degrees"},
                    {" ", 300, "Latitude, Degrees"},
                    {"M", 400, "Latitude, Minutes"}}},
        SearchCase{"OnlyTheStartOfAnEntryCounts", kFields, {{"titude", 0, ""}}},
        SearchCase{
            "PauseStartsANewSearch", kSentences, {{"H", 0, "HDG"}, {"D", 300, "HDG"}, {"T", 701, "THS"}}},
        SearchCase{"KeyExactlyAtTheIntervalStillContinues", kSentences, {{"G", 0, "GGA"}, {"L", 400, "GLL"}}},
        SearchCase{"NoMatchKeepsTheTextUntilAPause",
                   kSentences,
                   {{"H", 0, "HDG"}, {"X", 100, ""}, {"T", 200, ""}, {"V", 700, "VTG"}}},
        SearchCase{"EmptyList", QStringList{}, {{"A", 0, ""}}},
        // Text no entry starts with finds a word inside an entry; a start is found first.
        SearchCase{"AWordInsideAnEntry",
                   kCourses,
                   {{"t", 0, "Course over ground, degrees True, Number [floating point]"},
                    {"r", 50, "Course over ground, degrees True, Number [floating point]"},
                    {"M", 500, "Magnetic variation, degrees, Number [floating point]"},
                    {"o", 550, "Mode indicator"},
                    {"g", 1100, "Course over ground, degrees True, Number [floating point]"},
                    {"ro", 1150, "Course over ground, degrees True, Number [floating point]"},
                    {"degrees M", 1700, "Course over ground, degrees Magnetic, Number [floating point]"},
                    {"[floating", 2300, "Course over ground, degrees True, Number [floating point]"}}},
        SearchCase{"AWordStartsAfterALetterOrDigitOnly", kFields, {{"eters", 0, ""}, {"inutes", 600, ""}}}),
    [](const testing::TestParamInfo<SearchCase>& info) { return std::string(info.param.name); });

// The catalog's own lists: the first field of a sentence that starts with a typed text.
TEST(PickSearch, FindsSentencesOfTheCatalogByTheirWholeName) {
    const QStringList names = Nmea::supportedNames();
    for (const char* name : {"HDT", "GGA", "XDR", "$PJELA", "$VTHS0"}) {
        SCOPED_TRACE(name);
        PickSearch search;
        int found = -1;
        for (const QChar ch : QString::fromLatin1(name))
            found = search.type(names, QString(ch), 0, kInterval);
        ASSERT_GE(found, 0);
        EXPECT_EQ(names[found], QString::fromLatin1(name));
    }
}

} // namespace
