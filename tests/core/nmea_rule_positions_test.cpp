#include "core/nmea/NmeaCatalog.h"
#include "core/nmea/RulePositions.h"

#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

using Nmea::AccessRule;
using Nmea::RuleTable;

struct Placed {
    const char* sentence;
    int field; // -1: a Data Field text that is no field of the sentence
    const char* position;
    bool enable = true;
};

AccessRule placed(const Placed& p) {
    AccessRule rule;
    rule.Enable = p.enable;
    rule.Sentence = QString::fromUtf8(p.sentence);
    rule.DataField = p.field < 0 ? QStringLiteral("no such field")
                                 : Nmea::fieldText(Nmea::Find_Sentence(rule.Sentence), p.field);
    rule.PortOperation = QStringLiteral("None");
    rule.Position = QString::fromUtf8(p.position);
    return rule;
}

TEST(RulePositions, ProposalFollowsTheNearestTickedRuleAbove) {
    const int maxInt = std::numeric_limits<int>::max();
    const struct {
        const char* name;
        std::vector<Placed> above; // rows 1.. in order; the proposal is for the row below them
        const char* sentence;
        int field;
        int lastPosition;
        int proposal;
    } cases[] = {
        {"first row, 1 byte", {}, "GGA", 0, 0, 1},
        {"first row, 4 bytes", {}, "GGA", 6, 0, 0},
        {"after a 1-byte rule at 1", {{"GGA", 0, "1"}}, "GGA", 6, 2, 2},
        {"after a 4-byte rule at 2", {{"GGA", 0, "1"}, {"GGA", 6, "2"}}, "GGA", 7, 6, 7},
        {"3-byte datum below a rule ending at 10", {{"GGA", 6, "6"}}, "DTM", 0, 10, 11},
        {"20-byte transducer id below a rule ending at 10", {{"GGA", 6, "6"}}, "XDR", 3, 10, 10},
        {"2 bytes below the transducer id", {{"GGA", 6, "6"}, {"XDR", 3, "10"}}, "GGA", 18, 30, 30},
        {"1 byte below the transducer id", {{"GGA", 6, "6"}, {"XDR", 3, "10"}}, "GGA", 0, 30, 31},
        {"an unticked rule is ignored", {{"GGA", 6, "6"}, {"GGA", 6, "100", false}}, "GGA", 6, 10, 10},
        {"all unticked, 4 bytes", {{"GGA", 6, "6", false}}, "GGA", 6, 0, 0},
        {"all unticked, 3 bytes", {{"GGA", 6, "6", false}}, "DTM", 7, 0, 1},
        {"position that is not a number", {{"GGA", 6, "abc"}}, "GGA", 0, 4, 5},
        {"hexadecimal position", {{"GGA", 6, "$10"}}, "GGA", 6, 20, 20},
        {"sentence with a blank is no catalog name", {{"GGA", 6, "6"}, {" GGA", 6, "50"}}, "GGA", 6, 10, 10},
        {"unknown field is skipped", {{"GGA", 6, "6"}, {"GGA", -1, "50"}}, "GGA", 6, 10, 10},
        {"unsupported sentence is skipped", {{"GGA", 6, "6"}, {"BWC", -1, "50"}}, "GGA", 6, 10, 10},
        {"rows without a sentence are skipped",
         {{"GGA", 6, "6"}, {"", -1, "50"}, {"", -1, ""}},
         "GGA",
         6,
         10,
         10},
        {"chosen field unknown: no shift", {{"GGA", 0, "1"}}, "GGA", -1, 2, 2},
        {"largest position does not overflow", {{"GGA", 6, "2147483647"}}, "GGA", 0, maxInt, maxInt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RuleTable table{};
        int row = 1;
        for (const Placed& p : c.above)
            table[row++ - 1] = placed(p);
        table[row] = placed({"GGA", 6, "1500"}); // rows below never count
        const AccessRule chosen = placed({c.sentence, c.field, ""});
        EXPECT_EQ(Nmea::Get_Last_Position(table, row), c.lastPosition);
        EXPECT_EQ(Nmea::proposedPosition(table, row, chosen.Sentence, chosen.DataField), c.proposal);
    }
}

// Aligned for Logix, a value also starts where Logix places its type in a data type, after the
// bytes Logix gives the rule above (an array of SINT takes whole 4-byte words).
TEST(RulePositions, LogixAlignmentPutsTwoAndFourByteValuesOnTheirBoundaries) {
    using Nmea::PositionAlignment;
    const struct {
        const char* name;
        std::vector<Placed> above;
        const char* sentence;
        int field;
        int words; // the proposal without the option
        int logix;
    } cases[] = {
        {"REAL after a byte at 1", {{"GGA", 0, "1"}}, "GGA", 6, 2, 4},
        {"REAL already on 4", {{"GGA", 6, "4"}}, "GGA", 9, 8, 8},
        {"UINT after a byte at 2", {{"GGA", 0, "2"}}, "GGA", 3, 3, 4},
        {"UINT on 2 stays", {{"GGA", 0, "1"}}, "GGA", 3, 2, 2},
        {"one byte anywhere", {{"GGA", 0, "2"}}, "GGA", 0, 4, 4},
        {"3 characters on 4", {{"GGA", 0, "1"}}, "DTM", 0, 3, 4},
        {"20 characters after 3 characters, which Logix gives 4 bytes", {{"DTM", 0, "1"}}, "XDR", 3, 4, 8},
        {"first row", {}, "GGA", 6, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RuleTable table{};
        int row = 1;
        for (const Placed& p : c.above)
            table[row++ - 1] = placed(p);
        const AccessRule chosen = placed({c.sentence, c.field, ""});
        EXPECT_EQ(Nmea::proposedPosition(table, row, chosen.Sentence, chosen.DataField), c.words);
        EXPECT_EQ(
            Nmea::proposedPosition(table, row, chosen.Sentence, chosen.DataField, PositionAlignment::Logix),
            c.logix);
    }
}

TEST(RulePositions, SetPositionWritesTheProposalIntoItsRowOnly) {
    RuleTable table{};
    table[0] = placed({"GGA", 0, "1"});
    table[1] = placed({"GGA", 6, "2"});
    table[2].Position = QStringLiteral("keep");
    table[3].Sentence = QStringLiteral("GGA");
    // A lower-case Data Field still names its field: the match is upper-cased.
    table[1].DataField = table[1].DataField.toLower();
    Nmea::Set_Position(table, 4, QStringLiteral("GGA"), Nmea::fieldText(7, 7));
    EXPECT_EQ(table[3].Position, "7");
    EXPECT_EQ(table[2].Position, "keep");
    EXPECT_EQ(table[1].Position, "2");

    Nmea::Set_Position(table, 1, QStringLiteral("DTM"), Nmea::fieldText(38, 0));
    EXPECT_EQ(table[0].Position, "1");
    Nmea::Set_Position(table, 0, QStringLiteral("GGA"), Nmea::fieldText(7, 0)); // outside the table
    Nmea::Set_Position(table, 101, QStringLiteral("GGA"), Nmea::fieldText(7, 0));
    table[3].DataField = Nmea::fieldText(7, 7);
    EXPECT_EQ(Nmea::Get_Last_Position(table, 101), 7 + 1); // row 4 is the last rule of the table
}

} // namespace
