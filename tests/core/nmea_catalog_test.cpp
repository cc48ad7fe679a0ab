#include "core/nmea/NmeaCatalog.h"
#include "core/util/TextRules.h"

#include <gtest/gtest.h>

namespace {

QString upperField(int sentence, int field) {
    return trimText(upperAscii(Nmea::fieldText(sentence, field)));
}

// The sentence table as the device knows it: name, supported, number of fields.
struct SentenceRow {
    const char* name;
    bool supported;
    int fields;
};
const SentenceRow kExpectedSentences[Nmea::SentenceCount] = {
    {"ZDA", true, 9},    {"BWC", false, 0},      {"BWR", false, 0},   {"DBT", true, 6},
    {"DPT", true, 3},    {"DSC", false, 0},      {"GGA", true, 19},   {"GLL", true, 12},
    {"GSA", true, 18},   {"GSV", true, 8},       {"HDG", true, 5},    {"HDM", false, 0},
    {"HDT", true, 2},    {"HSC", false, 0},      {"MDA", true, 20},   {"MTW", true, 2},
    {"MWD", true, 8},    {"MWV", true, 5},       {"RMB", false, 0},   {"RMC", true, 20},
    {"ROT", true, 2},    {"RPM", false, 0},      {"RSA", true, 4},    {"VBW", true, 10},
    {"VDM", false, 0},   {"VDO", false, 0},      {"VDR", false, 0},   {"VHW", true, 8},
    {"VLW", false, 0},   {"VTG", true, 9},       {"VWR", true, 8},    {"XTE", true, 6},
    {"THS", true, 2},    {"XDR", true, 4},       {"$PJELA", true, 1}, {"DBK", true, 6},
    {"DBS", true, 6},    {"DTM", true, 8},       {"VWT", true, 8},    {"$PJELC", true, 6},
    {"$VTHA0", true, 1}, {"$VTHA1", true, 1},    {"$VTHA2", true, 1}, {"$VTHA3", true, 1},
    {"$VTHA4", true, 1}, {"$VTHA5", true, 1},    {"$VTHS0", true, 1}, {"$VTHC0", true, 8},
    {"$VTHC1", true, 3}, {"$VTHF0", true, 11},   {"$VTHF1", true, 8}, {"$PSTKTSX5", true, 4},
    {"$PRDID", true, 3}, {"$PSONCMS", true, 14}, {"$PRRS", true, 12}, {"$PVTM0", true, 12},
    {"$PVRS", true, 6},  {"$POBSVIS", true, 9},
};

TEST(NmeaCatalog, SentenceTableKeepsOrderFlagsAndFieldCounts) {
    QStringList supported;
    for (int i = 1; i <= Nmea::SentenceCount; ++i) {
        const SentenceRow& row = kExpectedSentences[i - 1];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Nmea::sentenceName(i), QString::fromUtf8(row.name));
        EXPECT_EQ(Nmea::isSupported(i), row.supported);
        EXPECT_EQ(Nmea::fieldCount(i), row.fields);
        EXPECT_EQ(Nmea::fieldsOf(i).size(), row.fields);
        if (row.supported)
            supported << QString::fromUtf8(row.name);
    }
    EXPECT_EQ(supported.size(), 47);
    EXPECT_EQ(Nmea::supportedNames(), supported);
    for (int outside : {0, 59, -1}) {
        EXPECT_TRUE(Nmea::sentenceName(outside).isEmpty());
        EXPECT_FALSE(Nmea::isSupported(outside));
        EXPECT_TRUE(Nmea::fieldsOf(outside).isEmpty());
    }
}

TEST(NmeaCatalog, IrregularTextsAreKeptByteForByte) {
    EXPECT_EQ(Nmea::fieldText(1, 0), "hour [decimal]");
    EXPECT_EQ(Nmea::fieldText(7, 0), "UTC of position, Hours [decimal]");
    EXPECT_EQ(Nmea::fieldText(7, 1), "UTC of position, Minutes  [decimal]");
    EXPECT_EQ(Nmea::fieldText(7, 2), "UTC of position, Seconds  [decimal]");
    EXPECT_EQ(Nmea::fieldText(9, 16), "VDOP  [floating point]");
    EXPECT_TRUE(Nmea::fieldText(28, 0).contains("Degress"));
    EXPECT_TRUE(Nmea::fieldText(28, 1).contains("Degress"));
    EXPECT_EQ(Nmea::fieldText(39, 0),
              QString::fromUtf8("Calculated wind angle relative to the vessel, 0 to 180\u00B0, Number "
                                "[floating point]"));
    EXPECT_TRUE(Nmea::fieldText(34, 3).endsWith("[character string] (20 characters)"));
    for (const QString& text : Nmea::fieldsOf(17))
        EXPECT_FALSE(text.contains('[')) << text.toStdString(); // MWD texts carry no note
}

TEST(NmeaCatalog, SizesOtherThanOneTwoFourAreTheDatumCodesAndTheTransducerId) {
    QStringList odd;
    for (int s = 1; s <= Nmea::SentenceCount; ++s) {
        for (int f = 0; f < Nmea::fieldCount(s); ++f) {
            const qint32 size = Nmea::fieldSize(s, f);
            if (size != 1 && size != 2 && size != 4)
                odd << QStringLiteral("%1.%2=%3").arg(s).arg(f).arg(size);
        }
    }
    EXPECT_EQ(odd, QStringList({"34.3=20", "38.0=3", "38.7=3"}));
    EXPECT_EQ(Nmea::fieldSize(7, 6), 4);
    EXPECT_EQ(Nmea::fieldSize(1, 3), 2);
    // Out of range gives nothing rather than reading past a table.
    EXPECT_EQ(Nmea::fieldSize(7, 19), 0);
    EXPECT_EQ(Nmea::fieldSize(7, -1), 0);
    EXPECT_EQ(Nmea::fieldSize(2, 0), 0);
    EXPECT_EQ(Nmea::fieldSize(59, 0), 0);
    EXPECT_TRUE(Nmea::fieldText(7, 19).isEmpty());
    EXPECT_TRUE(Nmea::fieldText(0, 0).isEmpty());
}

TEST(NmeaCatalog, FindSentenceMatchesExactlyAndIgnoresSupport) {
    const struct {
        const char* text;
        int index;
    } cases[] = {
        {"GGA", 7}, {"gga", -1}, {" GGA", -1},     {"GGA ", -1},    {"BWC", 2},
        {"", -1},   {"ZDA", 1},  {"$POBSVIS", 58}, {"POBSVIS", -1}, {"$PJELA", 35},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Nmea::Find_Sentence(QString::fromUtf8(c.text)), c.index) << c.text;
}

TEST(NmeaCatalog, GetIndexDataFieldComparesWithTheUpperCasedCatalogText) {
    const QString latitude = upperAscii("Latitude, Minutes [floating point]");
    const struct {
        int sentence;
        QString text;
        int field;
    } cases[] = {
        {7, upperField(7, 1), 1},
        {7, "UTC OF POSITION, MINUTES [DECIMAL]", -1}, // one blank where the catalog has two
        {8, latitude, 0},
        {7, latitude, 6},
        {1, "hour [decimal]", -1},
        {1, "HOUR [DECIMAL]", 0},
        {39, upperAscii(Nmea::fieldText(39, 0)), 0}, // the degree sign is not case-folded
        {2, "", -1},
        {2, "HOUR [DECIMAL]", -1},
        {0, "HOUR [DECIMAL]", -1},
        {59, "HOUR [DECIMAL]", -1},
        {1, "", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Nmea::GetIndexDataField(c.sentence, c.text), c.field)
            << c.sentence << " " << c.text.toStdString();
}

TEST(NmeaCatalog, PostOperationsKeepTheirCodes) {
    EXPECT_EQ(Nmea::postOperationLabels(), QStringList({"None", ": 10", ": 100", ": 1000", ": 10000", "x 10",
                                                        "x 100", "x 1000", "x 10000"}));
    const struct {
        const char* label;
        int code;
    } cases[] = {{"x 100", 6},   {"None", 0}, {"", 0},       {"X 100", 0},
                 {": 10000", 4}, {":10", 0},  {"x 10000", 8}};
    for (const auto& c : cases)
        EXPECT_EQ(Nmea::GetIndexPostOperation(QString::fromUtf8(c.label)), c.code) << c.label;
}

TEST(NmeaCatalog, IndexRulesFollowTheIndexedSentences) {
    const struct {
        int sentence;
        int field;
        bool takes;
        bool required;
        int max;
        int slot;
    } cases[] = {
        {10, 0, true, false, 0, 0},    {10, 1, true, true, 9, 1045},  {10, 2, true, false, 0, 0},
        {10, 3, true, true, 36, 1044}, {10, 6, true, true, 36, 1044}, {10, 7, true, false, 0, 0},
        {10, -1, true, false, 0, 0},   {34, 3, true, true, 10, 1042}, {34, -1, true, true, 10, 1042},
        {35, 0, true, true, 50, 1043}, {41, 0, true, true, 32, 1046}, {47, 0, true, true, 32, 1046},
        {40, 0, false, false, 0, 0},   {48, 0, false, false, 0, 0},   {7, 0, false, false, 0, 0},
        {-1, 0, false, false, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sentence << "/" << c.field);
        EXPECT_EQ(Nmea::takesIndex(c.sentence), c.takes);
        const Nmea::IndexRule rule = Nmea::indexRule(c.sentence, c.field);
        EXPECT_EQ(rule.required, c.required);
        if (c.required) {
            EXPECT_EQ(rule.min, 1);
            EXPECT_EQ(rule.max, c.max);
            EXPECT_EQ(rule.messageSlot, c.slot);
        }
    }
}

} // namespace
