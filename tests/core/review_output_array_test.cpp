#include "core/image/BankImage.h"
#include "core/language/MessageCatalog.h"
#include "core/nmea/NmeaCatalog.h"
#include "core/nmea/NmeaMonitor.h"
#include "core/review/DataMap.h"
#include "core/review/OutputArray.h"
#include "core/review/PlcDecoder.h"
#include "core/review/PlcExport.h"

#include <QDomDocument>
#include <QRegularExpression>
#include <QSet>
#include <cmath>
#include <gtest/gtest.h>
#include <map>

namespace {

using Review::ValueKind;
constexpr quint8 All = BankLayout::SwapAllBit;
constexpr quint8 W16 = BankLayout::Swap16Bit;

// A compiled rule of catalog field text in sentence at position.
Review::CompiledRule compiled(int rule, const char* sentence, const char* field, int position,
                              int postOperation = 0, quint8 swaps = 0, const char* mnemonic = "") {
    const int s = Nmea::Find_Sentence(QString::fromLatin1(sentence));
    const int f = Nmea::fieldsOf(s).indexOf(QString::fromUtf8(field));
    EXPECT_GE(f, 0) << field;
    Review::CompiledRule c;
    c.rule = rule;
    c.record.sentence = quint16(s);
    c.record.field = quint8(f);
    c.record.position = quint16(position);
    c.record.postOperation = quint8(postOperation);
    c.record.swaps = swaps;
    c.size = Nmea::fieldSize(s, f);
    c.mnemonic = QString::fromUtf8(mnemonic);
    return c;
}

Review::Result resultOf(const QList<Review::CompiledRule>& rules, quint32 outputBytes) {
    Review::Result result;
    result.compiled = rules;
    result.outputBytes = outputBytes;
    result.inputBytes = 8;
    result.imageChecksum = 1234;
    return result;
}

const char* const kHeading = "Heading, degrees True, Number [floating point]"; // HDT, 4 bytes
const char* const kSatellites = "Number of satellites in use [decimal]";       // GGA, 1 byte
const char* const kFraction = "UTC of position, decimal-fraction of seconds [decimal]";
const char* const kDatum = "Local datum code [string of 3 characters]"; // DTM, 3 bytes
const char* const kZone = "local zone hours [decimal +/-]";             // ZDA, 1 byte

QString hex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' '));
}

TEST(OutputArray, ByteOrderOfEverySwapSetting) {
    EXPECT_EQ(Review::byteOrderText(4, 0), "no swap on 4 bytes: b0 b1 b2 b3");
    EXPECT_EQ(Review::byteOrderText(4, All), "Swap All on 4 bytes: b3 b2 b1 b0");
    EXPECT_EQ(Review::byteOrderText(4, W16), "Swap 16 on 4 bytes: b2 b3 b0 b1");
    EXPECT_EQ(Review::byteOrderText(4, All | W16), "Swap All and Swap 16 on 4 bytes: b1 b0 b3 b2");
    EXPECT_EQ(Review::byteOrderText(2, W16), "Swap 16 on 2 bytes: b0 b1"); // no whole word pair
    EXPECT_EQ(Review::byteOrderText(1, All), "Swap All on 1 byte: b0");
    EXPECT_EQ(Review::byteOrderText(3, All | W16), "Swap All and Swap 16 on 3 bytes: b2 b1 b0");
}

// The bytes one rule places for a received text, and what does not fit: the type from the catalog,
// the post operation, the swaps and the pad.
TEST(OutputArray, PlacesEveryTypeSwapPadAndOverflow) {
    const struct {
        const char* sentence;
        const char* field;
        int postOperation;
        quint8 swaps;
        const char* text;
        quint8 pad;
        const char* bytes;
        const char* overflow; // "why typeName limit placed", empty for none
    } cases[]{
        {"HDT", kHeading, 0, 0, "1.5", 0, "00 00 c0 3f", ""},
        {"HDT", kHeading, 0, All, "1.5", 0, "3f c0 00 00", ""},
        {"HDT", kHeading, 0, W16, "1.5", 0, "c0 3f 00 00", ""},
        {"HDT", kHeading, 0, All | W16, "1.5", 0, "00 00 3f c0", ""},
        {"HDT", kHeading, 5, 0, "-0.25", 0, "00 00 20 c0", ""}, // x 10: -2.5
        {"HDT", kHeading, 8, 0, "1e36", 0, "00 00 80 7f", "0 REAL 3.40282346639e+38 +inf"},
        {"GGA", kSatellites, 0, 0, "12", 0, "0c", ""},
        {"GGA", kSatellites, 0, All | W16, "12", 0, "0c", ""},        // nothing to reorder
        {"GGA", kSatellites, 0, 0, "-3", 0, "fd", "1 USINT 0 253"},   // negative in an unsigned type
        {"GGA", kSatellites, 0, 0, "300", 0, "2c", "0 USINT 255 44"}, // wraps as a conversion does
        {"GGA", kSatellites, 0, 0, "12.5", 0, "0c", "2 USINT  12"},   // the fraction goes unseen
        {"GGA", kSatellites, 1, 0, "125", 0, "0c", ""},               // : 10 drops it on purpose
        {"GGA", kSatellites, 0, 0, "abc", 0, "00", "3 USINT  0"},
        {"GGA", kFraction, 6, 0, "700.5", 0, "a2 11", "0 UINT 65535 4514"}, // x 100: 70050
        {"GGA", kFraction, 0, All, "4660", 0, "12 34", ""},
        {"GGA", kFraction, 0, W16, "4660", 0, "34 12", ""},
        {"ZDA", kZone, 0, 0, "-2", 0, "fe", ""},
        {"ZDA", kZone, 0, 0, "-129", 0, "7f", "1 SINT -128 127"},
        {"DTM", kDatum, 0, 0, "WG", 0, "57 47 00", ""},
        {"DTM", kDatum, 0, 0, "WG", ' ', "57 47 20", ""},
        {"DTM", kDatum, 0, All, "W84", 0, "34 38 57", ""},
        {"DTM", kDatum, 0, 0, "WGS84", 0, "57 47 53", "4 ARRAY [0..2] OF BYTE 3 WGS"},
    };
    for (const auto& c : cases) {
        const Review::OutputRule rule =
            Review::outputRule(compiled(1, c.sentence, c.field, 0, c.postOperation, c.swaps));
        const Review::Placement placed = Review::placeValue(rule, QString::fromLatin1(c.text), c.pad);
        const QString what =
            QStringLiteral("%1 %2 swaps %3 post %4").arg(c.field, c.text).arg(c.swaps).arg(c.postOperation);
        EXPECT_EQ(hex(placed.bytes).toStdString(), c.bytes) << what.toStdString();
        const QString overflow = placed.overflow ? QStringLiteral("%1 %2 %3 %4")
                                                       .arg(int(placed.overflow->why))
                                                       .arg(placed.overflow->typeName, placed.overflow->limit,
                                                            placed.overflow->placed)
                                                 : QString();
        EXPECT_EQ(overflow.toStdString(), c.overflow) << what.toStdString();
    }
}

TEST(OutputArray, KeepsTheArrayRuleByRuleAndSaysWhatDoesNotFit) {
    // Rule 5 at byte 2 (UINT x 100), rule 2 at 4 (REAL), rule 3 at 9: a 3-character datum
    // reaching past the 11-byte array.
    Review::OutputArray array({compiled(5, "GGA", kFraction, 2, 6, 0, "Depth"),
                               compiled(2, "HDT", kHeading, 4), compiled(3, "DTM", kDatum, 9, 0, 0, " ")},
                              11);
    EXPECT_EQ(hex(array.bytes()).toStdString(), "00 00 00 00 00 00 00 00 00 00 00"); // no value yet
    array.place(5, QStringLiteral("700.5"));
    array.place(2, QStringLiteral("1.5"));
    array.place(3, QStringLiteral("ABC"));
    array.place(7, QStringLiteral("1")); // not compiled: nothing
    EXPECT_EQ(hex(array.bytes()).toStdString(), "00 00 a2 11 00 00 c0 3f 00 41 42");
    EXPECT_EQ(array.ruleAt(3), 5);
    EXPECT_EQ(array.ruleAt(8), 0);
    EXPECT_EQ(array.ruleAt(10), 3);

    const QList<Nmea::MonitorFinding> findings = Review::overflowFindings(array, MessageCatalog());
    ASSERT_EQ(findings.size(), 1);
    EXPECT_EQ(findings[0].rule, 5);
    EXPECT_EQ(findings[0].kind, "overflow");
    EXPECT_EQ(findings[0].message.toStdString(),
              "Rule 5 Depth: 700.5 × 100 = 70050 does not fit UINT (at most 65535): the PLC reads 4514, as "
              "this program assumes the converter places it");

    // A value that fits again ends the finding; the monitor's rules place their last texts.
    Nmea::RuleFeed feed;
    feed.rule = 5;
    feed.decoded = true;
    feed.hits = 1;
    feed.last = QStringLiteral("1.5");
    array.placeFeeds({feed});
    EXPECT_EQ(hex(array.bytes().mid(2, 2)).toStdString(), "96 00");
    EXPECT_TRUE(Review::overflowFindings(array, MessageCatalog()).isEmpty());
    array.clear();
    EXPECT_EQ(array.bytes(), QByteArray(11, '\0'));

    // Overlapping rules: the later one in image order keeps the shared bytes.
    Review::OutputArray overlap({compiled(1, "HDT", kHeading, 0), compiled(2, "GGA", kSatellites, 3)}, 4);
    overlap.place(2, QStringLiteral("7"));
    overlap.place(1, QStringLiteral("1.5"));
    EXPECT_EQ(hex(overlap.bytes()).toStdString(), "00 00 c0 07");

    EXPECT_EQ(Review::hexLines(QByteArray(18, '\x01')).join(u'|').toStdString(),
              "0000: 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01|0010: 01 01");
}

// One catalog field of every type the catalog has.
struct CatalogType {
    QString sentence;
    QString field;
    Review::PlcValueType type;
};
std::vector<CatalogType> everyCatalogType() {
    std::map<std::pair<ValueKind, int>, CatalogType> found;
    for (int sentence = 1; sentence <= Nmea::SentenceCount; ++sentence) {
        if (!Nmea::isSupported(sentence))
            continue;
        const QStringList fields = Nmea::fieldsOf(sentence);
        for (int field = 0; field < fields.size(); ++field) {
            const Review::PlcValueType type =
                Review::valueType(fields[field], Nmea::fieldSize(sentence, field));
            found.try_emplace({type.kind, type.size},
                              CatalogType{Nmea::sentenceName(sentence), fields[field], type});
        }
    }
    std::vector<CatalogType> types;
    for (const auto& [key, type] : found)
        types.push_back(type);
    return types;
}

// A value the type holds after the post operation, as the text a sentence would carry, and the
// number it stands for.
struct Sample {
    QString text;
    double number = 0;
};
Sample sampleFor(const Review::PlcValueType& type, const Review::PostScaling& scaling) {
    if (type.kind == ValueKind::Characters || type.kind == ValueKind::Raw) {
        const QString text = QStringLiteral("W$'(*X7").left(type.size);
        return {text, 0};
    }
    // What goes into the array: a pattern in every byte, negative for signed types.
    double placed = 0;
    if (type.kind == ValueKind::Real)
        placed = -1234.5;
    else if (type.kind == ValueKind::Unsigned)
        placed = type.size == 1 ? 201 : type.size == 2 ? 51234 : 305419896;
    else
        placed = type.size == 1 ? -100 : type.size == 2 ? -20000 : -305419896;
    const double number = scaling.multiplied ? placed / scaling.factor : placed * scaling.factor;
    return {QString::number(number, 'g', 17), number};
}

// The round trip a PLC engineer relies on: for every catalog type, swap setting and post operation,
// the value the model places decodes, through the twin of the generated function block, to the
// value the sentence carried, within the resolution the post operation leaves.
TEST(PlcDecoder, TwinDecodesWhatTheModelPlacesForEveryTypeSwapAndPostOperation) {
    const std::vector<CatalogType> types = everyCatalogType();
    ASSERT_EQ(types.size(), 10u); // REAL, USINT, UINT, UDINT, SINT, 1, 3, 20 characters, 1 and 4 raw
    int checked = 0;
    for (const CatalogType& t : types) {
        for (quint8 swaps : {quint8(0), All, W16, quint8(All | W16)}) {
            for (int post = 0; post <= 8; ++post) {
                const Review::CompiledRule rule =
                    compiled(7, t.sentence.toLatin1().constData(), t.field.toUtf8().constData(), 3, post,
                             swaps, "Value");
                const Review::Result review = resultOf({rule}, 32);
                const QList<Review::MapEntry> entries = Review::dataMap(review);
                const Review::MapHeader header = Review::mapHeader(review, QStringLiteral("Ship"));
                const Review::DecoderDescription decoder = Review::decoderDescription(
                    entries, Review::memberNames(entries, header), QStringLiteral("T_Ship"), 32);
                ASSERT_EQ(decoder.steps.size(), 1);

                const Review::PostScaling scaling = Review::postScaling(post);
                const Sample sample = sampleFor(t.type, scaling);
                Review::OutputArray array(review.compiled, 32);
                array.place(7, sample.text);
                const Review::DecodedValue decoded = Review::decodeTwin(decoder, array.bytes())[0];
                const QString what = QStringLiteral("%1 swaps %2 post %3: %4")
                                         .arg(t.field)
                                         .arg(swaps)
                                         .arg(post)
                                         .arg(sample.text);
                if (t.type.kind == ValueKind::Characters || t.type.kind == ValueKind::Raw) {
                    EXPECT_EQ(decoded.text, sample.text) << what.toStdString();
                } else {
                    // An integer keeps whole units of the scaled value; a REAL is single precision.
                    const double resolution = t.type.kind == ValueKind::Real ? 0
                                              : scaling.multiplied           ? 1.0 / scaling.factor
                                                                             : double(scaling.factor - 1);
                    const double tolerance = resolution + std::abs(sample.number) * std::ldexp(1.0, -22);
                    EXPECT_NEAR(decoded.number, sample.number, tolerance) << what.toStdString();
                }
                ++checked;
            }
        }
    }
    EXPECT_EQ(checked, 10 * 4 * 9);
}

// The function block's text, read back: each rule's bytes in the order of the description, the
// outputs typed as it says, and no function but the standard ones and its own.
TEST(PlcDecoder, GeneratedTextFollowsTheDescriptionWithStandardFunctionsOnly) {
    const Review::Result review = resultOf(
        {compiled(1, "HDT", kHeading, 0, 0, All, "Heading"), compiled(2, "GGA", kFraction, 4, 6, W16, "Bits"),
         compiled(3, "ZDA", kZone, 6, 1, 0, "Zone"), compiled(4, "DTM", kDatum, 7, 0, All, "Datum"),
         compiled(5, "GGA", kSatellites, 10, 0, 0, "Image")},
        12);
    const QList<Review::MapEntry> entries = Review::dataMap(review);
    const Review::MapHeader header = Review::mapHeader(review, QStringLiteral("Ship"));
    const Review::DecoderDescription d = Review::decoderDescription(
        entries, Review::memberNames(entries, header), QStringLiteral("T_Ship"), 12);
    // The block's own names step aside for rules named like them.
    EXPECT_EQ(d.input, "Image_2");
    EXPECT_EQ(d.bits, "Bits_2");
    const QString text = Review::decoderText(d, {QStringLiteral("header")});

    EXPECT_TRUE(text.startsWith("TYPE T_Ship_Image : ARRAY [0..11] OF BYTE;\nEND_TYPE\n"));
    EXPECT_EQ(text.count("END_FUNCTION\n"), 2);
    EXPECT_EQ(text.count(QRegularExpression("\\bIF\\b")), text.count("END_IF;"));
    const QString outputs =
        text.section(QStringLiteral("VAR_OUTPUT\n"), 1).section(QStringLiteral("END_VAR"), 0, 0);
    EXPECT_EQ(outputs.toStdString(), "    Heading : REAL; (* rule 1 *)\n"
                                     "    Bits : REAL; (* rule 2 *)\n"
                                     "    Zone : REAL; (* rule 3 *)\n"
                                     "    Datum : STRING[3]; (* rule 4 *)\n"
                                     "    Image : USINT; (* rule 5 *)\n");

    // Each step's bytes, as its statements read them, least significant first.
    const QString body = text.section(QStringLiteral("END_VAR\nVAR\n"), -1);
    for (const Review::DecodeStep& s : d.steps) {
        const QString step = body.section(QStringLiteral("(* rule %1,").arg(s.rule), 1)
                                 .section(QStringLiteral("(* rule "), 0, 0);
        QList<int> read;
        const QRegularExpression index(QStringLiteral("Image_2\\[(\\d+)\\]"));
        for (auto it = index.globalMatch(step); it.hasNext();)
            read << it.next().captured(1).toInt();
        EXPECT_EQ(read, s.byteAt) << "rule " << s.rule;
        EXPECT_TRUE(step.contains(QStringLiteral("%1 :=").arg(s.output))) << "rule " << s.rule;
    }
    EXPECT_TRUE(body.contains("Heading := F_Ship_Real(Bits_2);"));
    EXPECT_TRUE(body.contains("Bits := UDINT_TO_REAL(Bits_2) / 100.0;"));
    EXPECT_TRUE(body.contains("Zone := DINT_TO_REAL(Whole) * 10.0;"));

    // Every call is a standard function or one of the block's own.
    const QSet<QString> allowed{"BYTE_TO_UDINT", "BYTE_TO_INT",   "UDINT_TO_REAL",  "UDINT_TO_INT",
                                "UDINT_TO_DINT", "UDINT_TO_UINT", "UDINT_TO_USINT", "DINT_TO_REAL",
                                "DINT_TO_INT",   "DINT_TO_SINT",  "EXPT",           "MID",
                                "CONCAT",        "F_Ship_Real",   "F_Ship_Char"};
    const QRegularExpression call(QStringLiteral("\\b([A-Za-z_][A-Za-z0-9_]*)\\("));
    for (auto it = call.globalMatch(text); it.hasNext();) {
        const QString name = it.next().captured(1);
        EXPECT_TRUE(allowed.contains(name)) << name.toStdString();
    }
}

} // namespace
