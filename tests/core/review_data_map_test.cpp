#include "core/comm/ParGen.h"
#include "core/review/DataMap.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

struct Rule {
    const char* sentence;
    const char* field;
    const char* position;
    const char* mnemonic;
    const char* index = "";
};

QList<Review::MapEntry> mapOf(const std::vector<Rule>& rules) {
    Nmea::RuleTable table{};
    for (size_t i = 0; i < rules.size(); ++i) {
        Nmea::AccessRule& rule = table[i];
        rule.Serial_Channel = QStringLiteral("RS232");
        rule.Sentence = QString::fromUtf8(rules[i].sentence);
        rule.DataField = QString::fromUtf8(rules[i].field);
        rule.PortOperation = QStringLiteral("None");
        rule.Position = QString::fromUtf8(rules[i].position);
        rule.Mnemonic = QString::fromUtf8(rules[i].mnemonic);
        rule.Index = QString::fromUtf8(rules[i].index);
    }
    return Review::dataMap(Review::reviewTable(table, ParGenSet()));
}

// Gaps before, between and after nothing; mnemonics blank, duplicate (in letter case too),
// starting with a digit, accented, a keyword, and one that takes a gap's name.
const std::vector<Rule> kOddRules{
    {"GGA", "Latitude, Minutes [floating point]", "10", ""},
    {"GGA", "Number of satellites in use [decimal]", "4", "2nd GPS"},
    {"HDT", "Heading, degrees True, Number [floating point]", "20", "Température °C"},
    {"XDR", "Transducer ID [character string] (20 characters)", "24", "temperature c", "1"},
    {"GGA", "UTC of position, decimal-fraction of seconds [decimal]", "44", "Gap_0"},
    {"GSV", "Azimuth, degrees True, 000 to 359 [decimal]", "46", "real", "3"},
    {"HDT", "Heading, degrees True [character]", "48", "温度"},
};

TEST(DataMap, StructuredTextKeepsEveryByteAtItsOffset) {
    const Review::StructuredText st = Review::mapStructuredText(mapOf(kOddRules), QStringLiteral("T_Ship 1"));
    ASSERT_TRUE(st.error.isEmpty()) << st.error.toStdString();
    EXPECT_EQ(
        st.text.toStdString(),
        "(* The converter's data array, bytes 0 to 48: 7 rules. *)\n"
        "{attribute 'pack_mode' := '1'}\n"
        "TYPE T_Ship_1 :\n"
        "STRUCT\n"
        "    Gap_0 : ARRAY [0..3] OF BYTE; (* bytes 0 to 3, no rule *)\n"
        "    R_2nd_GPS : USINT; (* byte 4, rule 2: GGA \"Number of satellites in use [decimal]\" *)\n"
        "    Gap_5 : ARRAY [0..4] OF BYTE; (* bytes 5 to 9, no rule *)\n"
        "    Rule_1 : UDINT; (* bytes 10 to 13, rule 1: GGA \"Latitude, Minutes [floating point]\" *)\n"
        "    Gap_14 : ARRAY [0..5] OF BYTE; (* bytes 14 to 19, no rule *)\n"
        "    Temperature_C : UDINT; (* bytes 20 to 23, rule 3: HDT \"Heading, degrees True, Number "
        "[floating point]\" *)\n"
        "    temperature_c_2 : ARRAY [0..19] OF BYTE; (* bytes 24 to 43, rule 4: XDR \"Transducer ID "
        "[character string] (20 characters)\" *)\n"
        "    Gap_0_2 : UINT; (* bytes 44 to 45, rule 5: GGA \"UTC of position, decimal-fraction of seconds "
        "[decimal]\" *)\n"
        "    R_real : UINT; (* bytes 46 to 47, rule 6: GSV \"Azimuth, degrees True, 000 to 359 [decimal]\" "
        "*)\n"
        "    Rule_7 : USINT; (* byte 48, rule 7: HDT \"Heading, degrees True [character]\" *)\n"
        "END_STRUCT\n"
        "END_TYPE\n");
}

TEST(DataMap, StructuredTextRefusesOverlapsAndAnEmptyLayout) {
    std::vector<Rule> rules = kOddRules;
    rules.push_back({"GGA", "GPS Quality indicator [decimal]", "47", "late"});
    Review::StructuredText st = Review::mapStructuredText(mapOf(rules), QStringLiteral("T"));
    EXPECT_TRUE(st.text.isEmpty());
    EXPECT_TRUE(st.error.startsWith("Rules 6 and 8 share byte 47 of the data array"))
        << st.error.toStdString();

    // A rule inside a longer one that ended before the rule just above it.
    st = Review::mapStructuredText(
        mapOf({{"XDR", "Transducer ID [character string] (20 characters)", "0", "a", "1"},
               {"GGA", "GPS Quality indicator [decimal]", "2", "b"},
               {"GGA", "Number of satellites in use [decimal]", "5", "c"}}),
        QStringLiteral("T"));
    EXPECT_TRUE(st.error.startsWith("Rules 1 and 2 share byte 2")) << st.error.toStdString();

    st = Review::mapStructuredText({}, QStringLiteral("T"));
    EXPECT_TRUE(st.text.isEmpty());
    EXPECT_FALSE(st.error.isEmpty());
}

TEST(DataMap, CsvAndJsonByPosition) {
    const QList<Review::MapEntry> entries = mapOf({
        {"GGA", "Latitude, Minutes [floating point]", "10", "say \"hi\""},
        {"GGA", "Number of satellites in use [decimal]", "4", "Sats"},
    });
    EXPECT_EQ(Review::mapCsv(entries).toStdString(),
              "rule,mnemonic,channel,sentence,field,index,post_operation,swaps,first_byte,size,last_byte\n"
              "2,Sats,RS232,GGA,Number of satellites in use [decimal],0,None,none,4,1,4\n"
              "1,\"say \"\"hi\"\"\",RS232,GGA,\"Latitude, Minutes [floating point]\",0,None,none,10,4,13\n");

    const QJsonArray rules = QJsonDocument::fromJson(Review::mapJson(entries).toUtf8())["rules"].toArray();
    ASSERT_EQ(rules.size(), 2);
    const QJsonObject first = rules[0].toObject();
    EXPECT_EQ(first["rule"].toInt(), 2);
    EXPECT_EQ(first["firstByte"].toInt(), 4);
    EXPECT_EQ(first["lastByte"].toInt(), 4);
    EXPECT_EQ(first["size"].toInt(), 1);
    EXPECT_EQ(rules[1].toObject()["mnemonic"].toString(), "say \"hi\"");
    EXPECT_EQ(rules[1].toObject()["swapAll"].toBool(), false);
}

TEST(DataMap, PlcIdentifiers) {
    const struct {
        const char* text;
        const char* identifier;
    } cases[]{
        {"Speed", "Speed"},
        {"  wind  speed  ", "wind_speed"},
        {"a__b", "a_b"},
        {"_x_", "x"},
        {"3D fix", "R_3D_fix"},
        {"Ångström", "Angstrom"},
        {"°C", "C"},
        {"温度", ""},
        {"", ""},
        {"STRUCT", "R_STRUCT"},
        {"udint", "R_udint"},
        {"Depth (m)", "Depth_m"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Review::plcIdentifier(QString::fromUtf8(c.text)).toStdString(), c.identifier) << c.text;
}

} // namespace
