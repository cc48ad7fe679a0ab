#include "core/comm/ParGen.h"
#include "core/nmea/NmeaCatalog.h"
#include "core/review/DataMap.h"
#include "core/review/OutputArray.h"
#include "core/review/PlcExport.h"
#include "core/review/PlcNames.h"

#include <QDomDocument>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTimeZone>
#include <cstring>
#include <gtest/gtest.h>
#include <map>

namespace {

using Review::MapFormat;
using Review::ValueKind;

struct Rule {
    const char* sentence;
    const char* field;
    const char* position;
    const char* mnemonic;
    const char* index = "";
    const char* postOperation = "None";
    bool swapAll = false;
    bool swap16 = false;
};

struct Configuration {
    std::vector<Rule> rules;
    int outputBytes = 496;
};

Review::Result reviewOf(const Configuration& configuration) {
    Nmea::RuleTable table{};
    for (size_t i = 0; i < configuration.rules.size(); ++i) {
        const Rule& r = configuration.rules[i];
        Nmea::AccessRule& rule = table[i];
        rule.Serial_Channel = QStringLiteral("RS232");
        rule.Sentence = QString::fromUtf8(r.sentence);
        rule.DataField = QString::fromUtf8(r.field);
        rule.PortOperation = QString::fromUtf8(r.postOperation);
        rule.Position = QString::fromUtf8(r.position);
        rule.Mnemonic = QString::fromUtf8(r.mnemonic);
        rule.Index = QString::fromUtf8(r.index);
        rule.SwapAll = r.swapAll;
        rule.Swap16 = r.swap16;
    }
    ParGenSet parameters;
    parameters.EtherNetIP_NB_Output = QString::number(configuration.outputBytes);
    parameters.EtherNetIP_NB_Input = QStringLiteral("8");
    return Review::reviewTable(table, parameters);
}

Review::MapHeader headerOf(const Review::Result& review) {
    Review::MapHeader header = Review::mapHeader(review, QStringLiteral("Ship 1"));
    header.created = QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7), QTimeZone::utc());
    return header;
}

const char* const kLatitude = "Latitude, Minutes [floating point]";                     // GGA, 4 bytes
const char* const kSatellites = "Number of satellites in use [decimal]";                // GGA, 1 byte
const char* const kFraction = "UTC of position, decimal-fraction of seconds [decimal]"; // GGA, 2 bytes
const char* const kHeading = "Heading, degrees True, Number [floating point]";          // HDT, 4 bytes
const char* const kTransducer = "Transducer ID [character string] (20 characters)";     // XDR, 20 bytes
const char* const kDatum = "Local datum code [string of 3 characters]";                 // DTM, 3 bytes
const char* const kZone = "local zone hours [decimal +/-]";                             // ZDA, 1 byte
const char* const kWind = "Wind direction, 0 to 359 degrees True, Number"; // MWD, 4 bytes, no note

// Gaps before and between, odd sizes, a swap that reorders and one that changes nothing, text,
// a field without a note, and mnemonics blank, duplicate in letter case, starting with a digit,
// accented, reserved, and one that reads like padding.
const Configuration kOdd{{
                             {"GGA", kLatitude, "10", ""},
                             {"GGA", kSatellites, "4", "2nd GPS", "", ": 10"},
                             {"HDT", kHeading, "20", "Température °C", "", "x 10", false, true},
                             {"XDR", kTransducer, "24", "temperature c", "1"},
                             {"GGA", kFraction, "44", "Gap_0", "", "None", false, true},
                             {"DTM", kDatum, "46", "real"},
                             {"MWD", kWind, "49", "Max"},
                             {"ZDA", kZone, "53", "温度", "", "None", true},
                         },
                         56};

TEST(PlcTypes, EveryCatalogFieldTakesTheTypeOfItsNoteAndSize) {
    // How the catalog's 322 fields type: a changed text or Dimension moves a field between rows.
    std::map<std::pair<ValueKind, int>, int> counts;
    for (int sentence = 1; sentence <= Nmea::SentenceCount; ++sentence) {
        const QStringList fields = Nmea::fieldsOf(sentence);
        for (int field = 0; field < fields.size(); ++field) {
            const int size = Nmea::fieldSize(sentence, field);
            const Review::PlcValueType type = Review::valueType(fields[field], size);
            EXPECT_EQ(type.size, size) << fields[field].toStdString();
            ++counts[{type.kind, size}];
        }
    }
    const std::map<std::pair<ValueKind, int>, int> expected{
        {{ValueKind::Real, 4}, 125},     {{ValueKind::Unsigned, 1}, 79},   {{ValueKind::Unsigned, 2}, 20},
        {{ValueKind::Unsigned, 4}, 1},   {{ValueKind::Signed, 1}, 1},      {{ValueKind::Characters, 1}, 85},
        {{ValueKind::Characters, 3}, 2}, {{ValueKind::Characters, 20}, 1}, {{ValueKind::Raw, 1}, 4},
        {{ValueKind::Raw, 4}, 4},
    };
    EXPECT_EQ(counts, expected);

    const struct {
        const char* text;
        int size;
        quint8 swaps;
        const char* type;
    } cases[]{
        {kLatitude, 4, 0, "REAL"},
        {kSatellites, 1, 0, "USINT"},
        {kFraction, 2, 0, "UINT"},
        {"Some count [decimal]", 4, 0, "UDINT"},
        {kZone, 1, 0, "SINT"},
        {"Offset [decimal +/-]", 2, 0, "INT"},
        {"Offset [decimal +/-]", 4, 0, "DINT"},
        {"Status [character]", 1, 0, "BYTE"},
        {"Selftest [char]", 1, 0, "BYTE"},
        {kDatum, 3, 0, "ARRAY [0..2] OF BYTE"},
        {kTransducer, 20, 0, "ARRAY [0..19] OF BYTE"},
        {kWind, 4, 0, "ARRAY [0..3] OF BYTE"},
        {"Odd [floating point]", 2, 0, "ARRAY [0..1] OF BYTE"}, // a size the note does not allow
        {"Odd [decimal]", 3, 0, "ARRAY [0..2] OF BYTE"},
        // Swaps that reorder bytes leave raw bytes; those that change nothing keep the type.
        {kLatitude, 4, BankLayout::SwapAllBit, "ARRAY [0..3] OF BYTE"},
        {kLatitude, 4, BankLayout::Swap16Bit, "ARRAY [0..3] OF BYTE"},
        {kFraction, 2, BankLayout::SwapAllBit, "ARRAY [0..1] OF BYTE"},
        {kFraction, 2, BankLayout::Swap16Bit, "UINT"},
        {kSatellites, 1, BankLayout::SwapAllBit | BankLayout::Swap16Bit, "USINT"},
    };
    for (const auto& c : cases) {
        const auto type = Review::memberType(Review::valueType(QString::fromUtf8(c.text), c.size), c.swaps);
        EXPECT_EQ(Review::iecTypeName(type).toStdString(), c.type) << c.text << " swaps " << int(c.swaps);
    }
}

TEST(PlcTypes, PostOperationMeaning) {
    EXPECT_EQ(Review::postOperationMeaning(0), "as sent");
    EXPECT_EQ(Review::postOperationMeaning(1), "value / 10: multiply by 10 for the value sent");
    EXPECT_EQ(Review::postOperationMeaning(4), "value / 10000: multiply by 10000 for the value sent");
    EXPECT_EQ(Review::postOperationMeaning(5), "value x 10: divide by 10 for the value sent");
    EXPECT_EQ(Review::postOperationMeaning(8), "value x 10000: divide by 10000 for the value sent");
    EXPECT_EQ(Review::postOperationMeaning(9), "as sent");
}

TEST(PlcNames, IdentifiersAreValidAndNeverReserved) {
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
        // Standard functions, blocks, operators, generic types, conversions, vendor words.
        {"ANY_NUM", "R_ANY_NUM"},
        {"any", "R_any"},
        {"Log", "R_Log"},
        {"Max", "R_Max"},
        {"min", "R_min"},
        {"S", "R_S"},
        {"R", "R_R"},
        {"LT", "R_LT"},
        {"Sin", "R_Sin"},
        {"PERSISTENT", "R_PERSISTENT"},
        {"Int to Real", "R_Int_to_Real"},
        {"to int", "R_to_int"},
        {"R TRIG", "R_R_TRIG"},
        {"TON", "R_TON"},
        {"Dist to WP", "Dist_to_WP"},
        {"bcd to int", "R_bcd_to_int"},
        {"Real to anything", "R_Real_to_anything"},
        {"Distance to waypoint", "Distance_to_waypoint"},
        // The keywords and standard blocks a strict compiler rejects as names, typed variants too.
        {"Non retain", "R_Non_retain"},
        {"INITIAL STEP", "R_INITIAL_STEP"},
        {"Priority", "R_Priority"},
        {"CTU", "R_CTU"},
        {"ctu dint", "R_ctu_dint"},
        {"TON LTIME", "R_TON_LTIME"},
        {"R_TRIG", "R_R_TRIG"},
        {"SR", "R_SR"},
        {"Add time", "R_Add_time"},
        {"SUB DT DT", "R_SUB_DT_DT"},
        {"concat date tod", "R_concat_date_tod"},
        {"Day of week", "R_Day_of_week"},
        {"Add timer", "Add_timer"},
        {"CTU count", "CTU_count"},
        // Names that read like padding members.
        {"Gap 4", "R_Gap_4"},
        {"gap_12_2", "R_gap_12_2"},
        {"Gap", "Gap"},
        {"Gap A", "Gap_A"},
        // At most 31 characters, with no underscore left at the cut.
        {"Altitude above mean sea level in metres", "Altitude_above_mean_sea_level_i"},
        {"Altitude above mean sea level x", "Altitude_above_mean_sea_level_x"},
        {"Altitude above mean sea_ level", "Altitude_above_mean_sea_level"},
        {"1 Altitude above mean sea level", "R_1_Altitude_above_mean_sea_lev"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Review::plcIdentifier(QString::fromUtf8(c.text)).toStdString(), c.identifier) << c.text;

    Review::PlcNames names;
    EXPECT_EQ(names.take("Speed"), "Speed");
    EXPECT_EQ(names.take("SPEED"), "SPEED_2");
    EXPECT_EQ(names.take("speed"), "speed_3");
    const QString longName = QStringLiteral("Altitude_above_mean_sea_level_i");
    EXPECT_EQ(names.take(longName), longName);
    EXPECT_EQ(names.take(longName), "Altitude_above_mean_sea_level_2");
}

// The members of a structured-text type: name, type, first byte and last byte from the comment.
struct Member {
    QString name;
    QString type;
    int first = 0;
    int last = 0;
};
QList<Member> stMembers(const QString& text) {
    static const QRegularExpression line(
        QStringLiteral(R"(^    (\w+) : ([^;]+); \(\* .*(?:byte (\d+)|bytes (\d+) to (\d+)) \*\)$)"),
        QRegularExpression::MultilineOption);
    QList<Member> members;
    for (const QRegularExpressionMatch& m : line.globalMatch(text)) {
        const bool one = !m.captured(3).isEmpty();
        members << Member{m.captured(1), m.captured(2), (one ? m.captured(3) : m.captured(4)).toInt(),
                          (one ? m.captured(3) : m.captured(5)).toInt()};
    }
    return members;
}

int typeSize(const QString& type) {
    static const QMap<QString, int> sizes{{"BYTE", 1}, {"USINT", 1}, {"SINT", 1}, {"UINT", 2},
                                          {"INT", 2},  {"UDINT", 4}, {"DINT", 4}, {"REAL", 4}};
    static const QRegularExpression array(QStringLiteral(R"(^ARRAY \[0\.\.(\d+)\] OF BYTE$)"));
    const QRegularExpressionMatch m = array.match(type);
    return m.hasMatch() ? m.captured(1).toInt() + 1 : sizes.value(type, -1);
}

// Whatever the configuration, the type is the output array byte for byte, and its names are fit.
void expectTrueLayout(const QList<Member>& members, int outputBytes) {
    int next = 0;
    QSet<QString> names;
    for (const Member& m : members) {
        SCOPED_TRACE(m.name.toStdString());
        EXPECT_EQ(m.first, next);
        EXPECT_EQ(typeSize(m.type), m.last - m.first + 1) << m.type.toStdString();
        EXPECT_LE(m.name.size(), Review::MaxIdentifierLength);
        EXPECT_FALSE(Review::isReservedPlcName(m.name));
        EXPECT_TRUE(
            QRegularExpression(QStringLiteral("^[A-Za-z](_?[A-Za-z0-9])*$")).match(m.name).hasMatch());
        EXPECT_FALSE(names.contains(m.name.toUpper()));
        names.insert(m.name.toUpper());
        next = m.last + 1;
    }
    EXPECT_EQ(next, outputBytes);
}

TEST(PlcExport, StructuredTextIsTypedPackedAndAsLongAsTheOutputArray) {
    const Review::Result review = reviewOf(kOdd);
    const QList<Review::MapEntry> entries = Review::dataMap(review);
    const Review::MapExport st = Review::exportMap(entries, headerOf(review), MapFormat::St);
    ASSERT_TRUE(st.error.isEmpty()) << st.error.toStdString();
    const QString checksum = QString::number(*review.imageChecksum);
    // The typed structure first; the byte image and its decoder follow (PlcDecoder's tests).
    const qsizetype image = st.text.indexOf(QStringLiteral("\nTYPE T_Ship_1_Image : ARRAY [0..55] OF BYTE;"));
    ASSERT_GT(image, 0);
    EXPECT_TRUE(st.text.endsWith("END_FUNCTION_BLOCK\n"));
    EXPECT_EQ(
        st.text.left(image).toStdString(),
        QStringLiteral(
            "(*\n"
            "   T_Ship_1 of configuration \"Ship 1\": the data array as the PLC receives it, written by "
            "Tessellor SW73052 1.000.\n"
            "   Connection sizes: output 56 bytes (converter to PLC, the size of this type), input 8 bytes "
            "(PLC "
            "to converter).\n"
            "   Image checksum %1 (0x%2). Values are little-endian, the byte order of EtherNet/IP.\n"
            "   Values are placed as this program assumes the converter places them (the type of the field, "
            "little-endian, the post operation applied, then the swaps); check against the converter's "
            "manual.\n"
            "   From the PLC's side: its input is the converter's Output array, 56 bytes; its output is the "
            "converter's Input array, 8 bytes; the connection carries both as bytes (SINT).\n"
            "   Byte order in the array, b0 being a number's least significant byte or a text's first "
            "character: Swap 16 on 4 bytes: b2 b3 b0 b1.\n"
            "   From the converter's manual, to fill in: Output array assembly instance ____, Input array "
            "assembly instance ____, configuration assembly instance ____, RPI ____ ms.\n"
            "   The structure is packed (pack_mode 1): every member starts at the byte its comment names.\n"
            "   FB_Ship_1_Decode takes the bytes as T_Ship_1_Image (ARRAY [0..55] OF BYTE) and gives each "
            "rule's value in engineering units: swaps and post operation undone, REAL where scaled or "
            "floating point, characters as STRING.\n"
            "*)\n"
            "{attribute 'pack_mode' := '1'}\n"
            "TYPE T_Ship_1 :\n"
            "STRUCT\n"
            "    Gap_0 : ARRAY [0..3] OF BYTE; (* no rule, bytes 0 to 3 *)\n"
            "    R_2nd_GPS : USINT; (* rule 2, RS232, GGA \"Number of satellites in use [decimal]\", value / "
            "10: multiply by 10 for the value sent, no swap, byte 4 *)\n"
            "    Gap_5 : ARRAY [0..4] OF BYTE; (* no rule, bytes 5 to 9 *)\n"
            "    Rule_1 : REAL; (* rule 1, RS232, GGA \"Latitude, Minutes [floating point]\", as sent, no "
            "swap, "
            "bytes 10 to 13 *)\n"
            "    Gap_14 : ARRAY [0..5] OF BYTE; (* no rule, bytes 14 to 19 *)\n"
            "    Temperature_C : ARRAY [0..3] OF BYTE; (* rule 3, RS232, HDT \"Heading, degrees True, Number "
            "[floating point]\", value x 10: divide by 10 for the value sent, Swap 16: its 16-bit words are "
            "swapped, read as raw bytes in the order b2 b3 b0 b1, bytes 20 to 23 *)\n"
            "    temperature_c_2 : ARRAY [0..19] OF BYTE; (* rule 4, RS232, XDR Index 1 \"Transducer ID "
            "[character string] (20 characters)\", as sent, no swap, bytes 24 to 43 *)\n"
            "    R_Gap_0 : UINT; (* rule 5, RS232, GGA \"UTC of position, decimal-fraction of seconds "
            "[decimal]\", as sent, Swap 16 changes nothing on 2 bytes, bytes 44 to 45 *)\n"
            "    R_real : ARRAY [0..2] OF BYTE; (* rule 6, RS232, DTM \"Local datum code [string of 3 "
            "characters]\", as sent, no swap, bytes 46 to 48 *)\n"
            "    R_Max : ARRAY [0..3] OF BYTE; (* rule 7, RS232, MWD \"Wind direction, 0 to 359 degrees "
            "True, "
            "Number\", as sent, no swap, bytes 49 to 52 *)\n"
            "    Rule_8 : SINT; (* rule 8, RS232, ZDA \"local zone hours [decimal +/-]\", as sent, Swap All "
            "changes nothing on 1 byte, byte 53 *)\n"
            "    Gap_54 : ARRAY [0..1] OF BYTE; (* no rule, bytes 54 to 55 *)\n"
            "END_STRUCT\n"
            "END_TYPE\n")
            .arg(checksum, QString::number(*review.imageChecksum, 16).toUpper().rightJustified(8, u'0'))
            .toStdString());

    // A standard compiler would move the REAL at 10, and everything after it: the strict form
    // writes no typed structure, says why and points to the decoder; --strict-layout refuses.
    const Review::MapExport iec = Review::exportMap(entries, headerOf(review), MapFormat::Iec);
    EXPECT_FALSE(iec.text.contains("attribute"));
    EXPECT_FALSE(iec.text.contains("STRUCT"));
    EXPECT_TRUE(
        iec.text.contains("   No typed structure is written: a standard compiler aligns INT and UINT on 2 "
                          "bytes, DINT, UDINT and REAL on 4, and would read these members at other "
                          "bytes. Read the values through FB_Ship_1_Decode below.\n"
                          "   Rule 1 (Rule_1, REAL) at byte 10: the nearest position a standard compiler "
                          "reads is byte 12.\n"));
    EXPECT_TRUE(iec.text.endsWith("END_FUNCTION_BLOCK\n"));
    const Review::MapExport strict = Review::exportMap(entries, headerOf(review), MapFormat::Iec, true);
    EXPECT_TRUE(strict.text.isEmpty());
    EXPECT_EQ(strict.misaligned.size(), 1);

    // Where every member sits at its natural alignment, the strict form keeps the typed structure.
    const Review::Result aligned = reviewOf(
        {{{"GGA", kLatitude, "0", "Lat"}, {"GGA", kFraction, "4", "Frac"}, {"GGA", kSatellites, "6", "Sats"}},
         8});
    const Review::MapExport typed =
        Review::exportMap(Review::dataMap(aligned), headerOf(aligned), MapFormat::Iec, true);
    EXPECT_TRUE(typed.text.contains("Every member sits at its natural alignment"))
        << typed.text.toStdString();
    EXPECT_TRUE(typed.text.contains("END_STRUCT;\nEND_TYPE\n"));
    EXPECT_EQ(stMembers(typed.text).size(), 4);
}

// Configurations the PLC engineer meets: each format writes a true layout or says why it cannot.
TEST(PlcExport, EveryFormatOverRepresentativeConfigurations) {
    std::vector<Rule> many;
    static std::vector<QByteArray> positions;
    positions.clear();
    for (int k = 0; k < 100; ++k)
        positions.push_back(QByteArray::number(k * 4));
    for (int k = 0; k < 100; ++k)
        many.push_back({"HDT", kHeading, positions[k].constData(), "Heading"});
    const struct {
        const char* name;
        Configuration configuration;
        const char* refusal;    // of the data types; empty when written
        const char* l5xRefusal; // with --strict-layout; without, the fallback routine
        const char* iecRefusal; // with --strict-layout; without, no typed structure
    } cases[]{
        {"odd", kOdd, "", "Rule 1 (Rule_1, REAL) at byte 10: the nearest position Logix reads is byte 12.",
         "Rule 1 (Rule_1, REAL) at byte 10: the nearest position a standard compiler reads is byte 12."},
        {"aligned",
         {{{"GGA", kLatitude, "0", "Lat"},
           {"GGA", kFraction, "4", "Frac"},
           {"GGA", kSatellites, "7", "Sats"},
           {"XDR", kTransducer, "8", "Id", "2"},
           {"DTM", kDatum, "28", "Datum"}},
          33},
         "",
         "",
         "A standard compiler makes the type a multiple of 4 bytes, 36 in place of 33."},
        {"many", {many, 400}, "", "", ""},
        {"output cut",
         {{{"GGA", kLatitude, "0", "a"}, {"GGA", kLatitude, "5", "b"}, {"GGA", kLatitude, "9", "c"}}, 8},
         "Rules 2, 3 end past the output array of 8 bytes",
         "",
         ""},
        {"overlap",
         {{{"GGA", kLatitude, "0", "a"}, {"GGA", kSatellites, "3", "b"}}},
         "Rules 1 and 2 share byte 3",
         "",
         ""},
        {"array rounded",
         {{{"DTM", kDatum, "0", "Datum"}, {"GGA", kSatellites, "3", "Sats"}}, 4},
         "",
         "Rule 2 (Sats, SINT) at byte 3: the nearest position Logix reads is byte 4.",
         ""},
        {"none", {{}, 16}, "No rule is compiled", "", ""},
        {"output past the data array",
         {{{"GGA", kLatitude, "0", "a"}}, 2001},
         "longer than the data array",
         "",
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Review::Result review = reviewOf(c.configuration);
        const QList<Review::MapEntry> entries = Review::dataMap(review);
        const Review::MapHeader header = headerOf(review);
        for (const MapFormat format : {MapFormat::St, MapFormat::Iec, MapFormat::PlcOpen, MapFormat::L5x}) {
            for (const bool strict : {false, true}) {
                SCOPED_TRACE(Review::formatName(format).toStdString() + (strict ? " strict" : ""));
                const Review::MapExport exported = Review::exportMap(entries, header, format, strict);
                const char* layoutRefusal = !strict                    ? ""
                                            : format == MapFormat::L5x ? c.l5xRefusal
                                            : format == MapFormat::Iec ? c.iecRefusal
                                                                       : "";
                const QString refusal = QString::fromUtf8(*c.refusal ? c.refusal : layoutRefusal);
                if (!refusal.isEmpty()) {
                    EXPECT_TRUE(exported.text.isEmpty());
                    EXPECT_TRUE(exported.error.contains(refusal)) << exported.error.toStdString();
                    continue;
                }
                ASSERT_TRUE(exported.error.isEmpty()) << exported.error.toStdString();
                // The typed structure where it is true; the decoder in every structured text.
                const bool typed = format == MapFormat::St || (format == MapFormat::Iec && !*c.iecRefusal);
                if (typed)
                    expectTrueLayout(stMembers(exported.text), c.configuration.outputBytes);
                if (format == MapFormat::Iec && !typed) {
                    EXPECT_FALSE(exported.text.contains("STRUCT"));
                }
                if (format == MapFormat::St || format == MapFormat::Iec) {
                    EXPECT_TRUE(exported.text.contains("END_FUNCTION_BLOCK\n"));
                }
                if (format == MapFormat::L5x) {
                    EXPECT_TRUE(exported.text.contains(*c.l5xRefusal ? "TargetType=\"Routine\""
                                                                     : "TargetType=\"DataType\""));
                }
            }
        }
        // The lists always list.
        EXPECT_EQ(Review::mapCsv(entries, header).count(u'\n'), entries.size() + 1);
    }
}

TEST(PlcExport, L5xPlacesEveryMemberWhereLogixReadsIt) {
    const Configuration aligned{{{"GGA", kSatellites, "1", "Sats"},
                                 {"GGA", kFraction, "2", "Frac", "", ": 100"},
                                 {"GGA", kLatitude, "8", "Lat"},
                                 {"XDR", kTransducer, "12", "Id", "1"},
                                 {"DTM", kDatum, "36", "Datum"}},
                                43};
    const Review::Result review = reviewOf(aligned);
    const QList<Review::MapEntry> entries = Review::dataMap(review);
    const Review::MapExport l5x = Review::exportMap(entries, headerOf(review), MapFormat::L5x);
    ASSERT_TRUE(l5x.error.isEmpty()) << l5x.error.toStdString();
    QDomDocument document;
    ASSERT_TRUE(document.setContent(l5x.text));
    const QDomElement root = document.documentElement();
    EXPECT_EQ(root.tagName(), "RSLogix5000Content");
    EXPECT_EQ(root.attribute("TargetType"), "DataType");
    const QDomElement type =
        root.firstChildElement("Controller").firstChildElement("DataTypes").firstChildElement("DataType");
    EXPECT_EQ(type.attribute("Name"), "T_Ship_1");
    EXPECT_TRUE(type.firstChildElement("Description")
                    .text()
                    .contains("Logix makes this type 44 bytes long; "
                              "the connection carries 43."));
    // Name, type and dimension of each member in order; padding fills up to Logix's alignment
    // with single SINTs so that Logix moves none of it, and the 3-byte array takes a whole word.
    QStringList members;
    for (QDomElement m = type.firstChildElement("Members").firstChildElement("Member"); !m.isNull();
         m = m.nextSiblingElement("Member"))
        members << QStringLiteral("%1:%2[%3]")
                       .arg(m.attribute("Name"), m.attribute("DataType"), m.attribute("Dimension"));
    EXPECT_EQ(members.join(u' ').toStdString(), "Gap_0:SINT[0] Sats:SINT[0] Frac:INT[0] Gap_4:SINT[4] "
                                                "Lat:REAL[0] Id:SINT[20] Gap_32:SINT[4] Datum:SINT[3]"
                                                " Gap_40:SINT[0] Gap_41:SINT[0] Gap_42:SINT[0]");
    EXPECT_TRUE(l5x.text.contains("value / 100: multiply by 100 for the value sent, no swap, bytes 2 to 3, "
                                  "unsigned in the device: values past the signed range read negative"));

    // Each misplaced member with where it could go: a REAL at 5 goes to 4, an INT at 7 to 8
    // (6 would be inside the member before), an array at 13 to 12.
    const Review::Result misplaced = reviewOf({{{"GGA", kSatellites, "0", "a"},
                                                {"GGA", kLatitude, "5", "b"},
                                                {"GGA", kSatellites, "9", "c"},
                                                {"GGA", kFraction, "11", "d"},
                                                {"XDR", kTransducer, "14", "e", "1"}},
                                               40});
    const Review::MapExport refused =
        Review::exportMap(Review::dataMap(misplaced), headerOf(misplaced), MapFormat::L5x);
    QStringList found;
    for (const Review::Misaligned& m : refused.misaligned)
        found << QStringLiteral("%1 %2 %3->%4").arg(m.rule).arg(m.logixType).arg(m.firstByte).arg(m.nearest);
    EXPECT_EQ(found.join(u','), "2 REAL 5->4,4 INT 11->12,5 SINT[20] 14->16");
}

// Where Logix would move members, the L5X brings the bytes into a SINT array and a routine moves
// each rule's bytes into its typed member: the routine, read back and run over an Output array
// the model filled, leaves every member holding its value.
TEST(PlcExport, L5xFallbackMovesEveryRulesBytesIntoItsTypedMember) {
    const Review::Result review = reviewOf({{{"GGA", kSatellites, "0", "Sats"},
                                             {"GGA", kLatitude, "5", "Lat", "", "None", true},
                                             {"GGA", kFraction, "11", "Frac"},
                                             {"HDT", kHeading, "13", "Head", "", "x 10", true, true},
                                             {"XDR", kTransducer, "17", "Id", "1", "None", true}},
                                            40});
    const QList<Review::MapEntry> entries = Review::dataMap(review);
    const Review::MapExport l5x = Review::exportMap(entries, headerOf(review), MapFormat::L5x);
    ASSERT_TRUE(l5x.error.isEmpty()) << l5x.error.toStdString();
    QDomDocument document;
    ASSERT_TRUE(document.setContent(l5x.text));
    const QDomElement root = document.documentElement();
    EXPECT_EQ(root.attribute("TargetType"), "Routine");
    EXPECT_EQ(root.attribute("TargetName"), "R_Ship_1_Decode");
    const QDomElement controller = root.firstChildElement("Controller");
    const QDomElement type = controller.firstChildElement("DataTypes").firstChildElement("DataType");
    const QString description = type.firstChildElement("Description").text();
    for (const char* line :
         {"Rule 2 (Lat, SINT[4]) at byte 5: the nearest position Logix reads is byte 4.",
          "Rule 3 (Frac, INT) at byte 11: the nearest position Logix reads is byte 12.",
          "Copy step: COP(<module>:I.Data[0], Ship_1_Image[0], 40); its length counts SINT "
          "elements, the 40 bytes of the Output array."})
        EXPECT_TRUE(description.contains(QLatin1String(line))) << line << "\n" << description.toStdString();
    QStringList members;
    QMap<QString, int> sizes;
    for (QDomElement m = type.firstChildElement("Members").firstChildElement("Member"); !m.isNull();
         m = m.nextSiblingElement("Member")) {
        members << m.attribute("Name") + u':' + m.attribute("DataType") + u'[' + m.attribute("Dimension") +
                       u']';
        const QString t = m.attribute("DataType");
        sizes[m.attribute("Name")] = t == u"REAL" || t == u"DINT" ? 4 : t == u"INT" ? 2 : 1;
    }
    EXPECT_EQ(members.join(u' ').toStdString(),
              "Sats:SINT[0] Lat:REAL[0] Frac:INT[0] Head:REAL[0] Id:SINT[20]");
    QStringList tags;
    for (QDomElement t = controller.firstChildElement("Tags").firstChildElement("Tag"); !t.isNull();
         t = t.nextSiblingElement("Tag"))
        tags << t.attribute("Name") + u':' + t.attribute("DataType") + u'[' + t.attribute("Dimensions") +
                    u']';
    EXPECT_EQ(tags.join(u' ').toStdString(),
              "Ship_1_Image:SINT[40] Ship_1_Data:T_Ship_1[] Ship_1_Bytes:SINT[4]");
    const QDomElement routine = controller.firstChildElement("Programs")
                                    .firstChildElement("Program")
                                    .firstChildElement("Routines")
                                    .firstChildElement("Routine");
    EXPECT_EQ(routine.attribute("Type"), "ST");

    // The bytes as the converter sends them, then the routine's lines run over them.
    Review::OutputArray array(review.compiled, 40);
    array.place(1, QStringLiteral("12"));
    array.place(2, QStringLiteral("4807.038"));
    array.place(3, QStringLiteral("65000"));
    array.place(4, QStringLiteral("123.4"));
    array.place(5, QStringLiteral("AIRTEMP"));
    const QByteArray image = array.bytes();
    QMap<QString, QByteArray> values;
    QByteArray scratch(4, '\0');
    static const QRegularExpression toMember(
        QStringLiteral(R"(^Ship_1_Data\.(\w+)\[(\d+)\] := Ship_1_Image\[(\d+)\];$)"));
    static const QRegularExpression toScratch(
        QStringLiteral(R"(^Ship_1_Bytes\[(\d+)\] := Ship_1_Image\[(\d+)\];$)"));
    static const QRegularExpression copy(
        QStringLiteral(R"(^COP\(Ship_1_Bytes\[0\], Ship_1_Data\.(\w+), 1\);$)"));
    for (QDomElement l = routine.firstChildElement("STContent").firstChildElement("Line"); !l.isNull();
         l = l.nextSiblingElement("Line")) {
        const QString line = l.text();
        QRegularExpressionMatch m;
        if (line.startsWith(QStringLiteral("(*")) && line.endsWith(QStringLiteral("*)")))
            continue;
        if ((m = toMember.match(line)).hasMatch()) {
            QByteArray& member = values[m.captured(1)];
            member.resize(std::max<qsizetype>(member.size(), m.captured(2).toInt() + 1));
            member[m.captured(2).toInt()] = image[m.captured(3).toInt()];
        } else if ((m = toScratch.match(line)).hasMatch()) {
            scratch[m.captured(1).toInt()] = image[m.captured(2).toInt()];
        } else if ((m = copy.match(line)).hasMatch()) {
            values[m.captured(1)] = scratch.left(sizes.value(m.captured(1)));
        } else {
            ADD_FAILURE() << "a line the routine should not hold: " << line.toStdString();
        }
    }
    const auto real = [&values](const char* name) {
        float value = 0;
        std::memcpy(&value, values.value(QLatin1String(name)).constData(), 4);
        return value;
    };
    EXPECT_EQ(quint8(values.value("Sats").at(0)), 12);
    EXPECT_FLOAT_EQ(real("Lat"), 4807.038f);
    EXPECT_EQ(quint16(quint8(values.value("Frac")[0]) | quint8(values.value("Frac")[1]) << 8), 65000);
    EXPECT_FLOAT_EQ(real("Head"), 1234.0f);
    EXPECT_EQ(values.value("Id").left(7), "AIRTEMP");

    // Where Logix reads every member in place, the type stays, with the copy step.
    const Review::Result aligned = reviewOf({{{"GGA", kLatitude, "0", "Lat"}}, 4});
    const Review::MapExport typed =
        Review::exportMap(Review::dataMap(aligned), headerOf(aligned), MapFormat::L5x);
    EXPECT_TRUE(
        typed.text.contains("Copy step: COP(<module>:I.Data[0], <tag>, 1); its length counts whole T_Ship_1 "
                            "structures of 4 bytes, so 1 copies them all."));
}

TEST(PlcExport, PlcOpenFollowsTheTc6Schema) {
    const Review::Result review = reviewOf(kOdd);
    const Review::MapExport exported =
        Review::exportMap(Review::dataMap(review), headerOf(review), MapFormat::PlcOpen);
    QDomDocument document;
    ASSERT_TRUE(document.setContent(exported.text, true)) << exported.text.toStdString();
    const QString tc6 = QStringLiteral("http://www.plcopen.org/xml/tc6_0201");
    const auto children = [](const QDomElement& parent) {
        QStringList names;
        for (QDomElement e = parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
            names << e.localName();
        return names;
    };
    const QDomElement project = document.documentElement();
    EXPECT_EQ(project.localName(), "project");
    EXPECT_EQ(project.namespaceURI(), tc6);
    // The schema's sequences, in their order, with their required attributes.
    EXPECT_EQ(children(project), (QStringList{"fileHeader", "contentHeader", "types", "instances"}));
    const QDomElement fileHeader = project.firstChildElement("fileHeader");
    for (const char* attribute : {"companyName", "productName", "productVersion", "creationDateTime"})
        EXPECT_FALSE(fileHeader.attribute(attribute).isEmpty()) << attribute;
    EXPECT_EQ(fileHeader.attribute("creationDateTime"), "2026-03-04T05:06:07Z");
    const QDomElement contentHeader = project.firstChildElement("contentHeader");
    EXPECT_EQ(contentHeader.attribute("name"), "Ship 1");
    const QDomElement coordinates = contentHeader.firstChildElement("coordinateInfo");
    EXPECT_EQ(children(coordinates), (QStringList{"fbd", "ld", "sfc"}));
    for (const QString& language : children(coordinates))
        EXPECT_EQ(children(coordinates.firstChildElement(language)), QStringList{"scaling"});
    const QDomElement types = project.firstChildElement("types");
    EXPECT_EQ(children(types), (QStringList{"dataTypes", "pous"}));
    EXPECT_EQ(children(project.firstChildElement("instances")), QStringList{"configurations"});
    const QDomElement dataType = types.firstChildElement("dataTypes").firstChildElement("dataType");
    EXPECT_EQ(dataType.attribute("name"), "T_Ship_1");
    EXPECT_EQ(children(dataType), (QStringList{"baseType", "addData", "documentation"}));
    EXPECT_EQ(dataType.firstChildElement("documentation").firstChildElement().namespaceURI(),
              "http://www.w3.org/1999/xhtml");

    // Each variable: a type, then its documentation; the types read back give the same layout as
    // the structured text.
    const QSet<QString> elementary{"BYTE", "USINT", "UINT", "UDINT", "SINT", "INT", "DINT", "REAL"};
    QList<Member> members;
    int next = 0;
    const QDomElement structure = dataType.firstChildElement("baseType").firstChildElement("struct");
    for (QDomElement v = structure.firstChildElement(); !v.isNull(); v = v.nextSiblingElement()) {
        EXPECT_EQ(v.localName(), "variable");
        EXPECT_EQ(children(v), (QStringList{"type", "documentation"}));
        const QDomElement type = v.firstChildElement("type").firstChildElement();
        QString name = type.localName();
        if (name == u"array") {
            EXPECT_EQ(children(type), (QStringList{"dimension", "baseType"}));
            const QDomElement dimension = type.firstChildElement("dimension");
            EXPECT_EQ(dimension.attribute("lower"), "0");
            EXPECT_EQ(children(type.firstChildElement("baseType")), QStringList{"BYTE"});
            name = QStringLiteral("ARRAY [0..%1] OF BYTE").arg(dimension.attribute("upper"));
        } else {
            EXPECT_TRUE(elementary.contains(name)) << name.toStdString();
        }
        members << Member{v.attribute("name"), name, next, next + typeSize(name) - 1};
        next += typeSize(name);
    }
    expectTrueLayout(members, kOdd.outputBytes);
    const QList<Member> st =
        stMembers(Review::exportMap(Review::dataMap(review), headerOf(review), MapFormat::St).text);
    ASSERT_EQ(st.size(), members.size());
    for (qsizetype k = 0; k < st.size(); ++k) {
        EXPECT_EQ(st[k].name, members[k].name);
        EXPECT_EQ(st[k].type, members[k].type);
    }
}

// A reader of the comma-separated values as a spreadsheet reads them.
QList<QStringList> csvRows(const QString& text) {
    QList<QStringList> rows{{}};
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"')
                field += text[++i];
            else if (c == u'"')
                quoted = false;
            else
                field += c;
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            rows.last() << field;
            field.clear();
        } else if (c == u'\n') {
            rows.last() << field;
            field.clear();
            rows << QStringList{};
        } else {
            field += c;
        }
    }
    rows.removeLast();
    return rows;
}

TEST(DataMap, CsvAndJsonReadBackWithTypesMeaningsAndConnectionSizes) {
    const Review::Result review = reviewOf({{{"GGA", kLatitude, "10", "say \"hi\", twice", "", "x 100"},
                                             {"GGA", kSatellites, "4", "Sats"},
                                             {"HDT", kHeading, "20", "swapped", "", "None", true}},
                                            64});
    const QList<Review::MapEntry> entries = Review::dataMap(review);
    const QList<QStringList> rows = csvRows(Review::mapCsv(entries, headerOf(review)));
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(
        rows[0].join(u',').toStdString(),
        "rule,mnemonic,channel,sentence,field,index,post_operation,swaps,first_byte,size,last_byte,type,"
        "meaning,output_bytes,input_bytes,member,byte_order");
    EXPECT_EQ(rows[1], (QStringList{"2", "Sats", "RS232", "GGA", kSatellites, "0", "None", "none", "4", "1",
                                    "4", "USINT", "as sent", "64", "8", "Sats", "no swap on 1 byte: b0"}));
    EXPECT_EQ(rows[2], (QStringList{"1", "say \"hi\", twice", "RS232", "GGA", kLatitude, "0", "x 100", "none",
                                    "10", "4", "13", "REAL", "value x 100: divide by 100 for the value sent",
                                    "64", "8", "say_hi_twice", "no swap on 4 bytes: b0 b1 b2 b3"}));
    EXPECT_EQ(rows[3][11], "ARRAY [0..3] OF BYTE");
    EXPECT_EQ(rows[3][16], "Swap All on 4 bytes: b3 b2 b1 b0");

    const QJsonObject json =
        QJsonDocument::fromJson(Review::mapJson(entries, headerOf(review)).toUtf8()).object();
    EXPECT_EQ(json["configuration"], "Ship 1");
    EXPECT_EQ(json["program"], "Tessellor SW73052 1.000");
    EXPECT_EQ(json["imageChecksum"].toInteger(), qint64(*review.imageChecksum));
    EXPECT_EQ(json["byteOrder"], "little-endian");
    EXPECT_EQ(json["outputBytes"], 64);
    EXPECT_EQ(json["inputBytes"], 8);
    const QJsonArray rules = json["rules"].toArray();
    ASSERT_EQ(rules.size(), 3);
    EXPECT_EQ(rules[1].toObject()["mnemonic"], "say \"hi\", twice");
    EXPECT_EQ(rules[1].toObject()["type"], "REAL");
    EXPECT_EQ(rules[1].toObject()["meaning"], "value x 100: divide by 100 for the value sent");
    EXPECT_EQ(rules[2].toObject()["swapAll"], true);
    // The name the exported types give the rule, and where its bytes go.
    EXPECT_EQ(rules[1].toObject()["member"], "say_hi_twice");
    EXPECT_EQ(rules[2].toObject()["member"], "swapped");
    EXPECT_EQ(rules[2].toObject()["byteOrder"], "Swap All on 4 bytes: b3 b2 b1 b0");
    // What every export's header says: the model, the connection from the PLC's side, the blanks.
    const QJsonArray notes = json["notes"].toArray();
    ASSERT_EQ(notes.size(), 4);
    EXPECT_TRUE(notes[0].toString().contains("check against the converter's manual"));
    EXPECT_TRUE(
        notes[1].toString().startsWith("From the PLC's side: its input is the converter's Output array, 64"));
    EXPECT_TRUE(notes[3].toString().contains("RPI ____ ms"));
}

} // namespace
