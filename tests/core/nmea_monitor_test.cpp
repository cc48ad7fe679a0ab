#include "NmeaSamples.h"

#include "core/language/MessageCatalog.h"
#include "core/nmea/NmeaCatalog.h"
#include "core/nmea/NmeaMonitor.h"
#include "core/nmea/SentenceLayout.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QStringList>

#include <functional>
#include <vector>

using Nmea::LineKind;
using Nmea::ReaderCounts;
using NmeaSamples::framed;

namespace {

struct Judged {
    LineKind kind;
    QByteArray text;
    bool operator==(const Judged&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Judged& j) {
    return out << int(j.kind) << ":" << j.text.left(60).toStdString();
}

struct ReadResult {
    std::vector<Judged> lines;
    ReaderCounts counts;
};

// Feeds the chunks, then ends the open line as the end of a log does.
ReadResult readChunks(const QList<QByteArray>& chunks) {
    Nmea::SentenceReader reader;
    ReadResult result;
    const auto collect = [&result](const Nmea::ReadLine& line) {
        result.lines.push_back({line.kind, line.text.toByteArray()});
    };
    for (const QByteArray& chunk : chunks)
        reader.feed(chunk, collect);
    reader.finish(collect);
    result.counts = reader.counts();
    return result;
}

struct ReaderCase {
    const char* name;
    QByteArray input;
    std::vector<LineKind> kinds;
    ReaderCounts counts; // lines, sentences, checksumErrors, noChecksum, longLines, badLines
};

const QByteArray kHdt = "$HEHDT,274.07,T*19";

std::vector<ReaderCase> readerCases() {
    const LineKind S = LineKind::Sentence, C = LineKind::ChecksumError, B = LineKind::Bad;
    const QByteArray longBody = "PXYZ," + QByteArray(95, '7');
    return {
        {"CrLf", kHdt + "\r\n", {S}, {1, 1, 0, 0, 0, 0}},
        {"LowerCaseHex",
         framed("GPXTE,A,A,0.67,L,N,A").toLower().replace("gpxte,a,a", "GPXTE,A,A") + "\r\n",
         {C},
         {1, 0, 1, 0, 0, 0}},
        {"LowerCaseChecksumDigits",
         "$WIMWV,045.5,R,12.4,N,A*1f\r\n$GPXTE,A,A,0.67,L,N,A*02\n",
         {C, S},
         {2, 1, 1, 0, 0, 0}},
        {"WrongChecksum", "$HEHDT,274.07,T*18\r\n", {C}, {1, 0, 1, 0, 0, 0}},
        {"NoChecksum", "$HEHDT,274.07,T\r\n", {S}, {1, 1, 0, 1, 0, 0}},
        {"EncapsulatedStart",
         framed("AIVDM,1,1,,A,13aEOK?P00PD2wVMdLDRhgvL289?,0", '!') + "\n",
         {S},
         {1, 1, 0, 0, 0, 0}},
        {"CrOnlyAndLfOnly", kHdt + "\r" + kHdt + "\n" + kHdt + "\n\r\n\n", {S, S, S}, {3, 3, 0, 0, 0, 0}},
        {"EmptyFields", framed("GPGGA,,,,,,0,,,,,,,,") + "\r\n", {S}, {1, 1, 0, 0, 0, 0}},
        {"NoLineEndAtTheEnd", kHdt, {S}, {1, 1, 0, 0, 0, 0}},
        // A last line without its end may have been cut by whoever wrote the log: only a checksum
        // that holds shows that it is whole.
        {"UnfinishedLastLine", kHdt + "\r\n$HEHDT,27", {S, B}, {2, 1, 0, 0, 0, 1}},
        {"LastLineWithoutChecksum", "$HEHDT,274.07,T", {B}, {1, 0, 0, 0, 0, 1}},
        {"LastLineChecksumFails", "$HEHDT,274.07,T*18", {B}, {1, 0, 0, 0, 0, 1}},
        {"Garbage", "hello world\r\n\x01\x02\xff\xfe\r\n" + kHdt + "\r\n", {B, B, S}, {3, 1, 0, 0, 0, 2}},
        {"NulBytes",
         "$HEHDT,27" + QByteArray(1, '\0') + "4.07,T*19\r\n" + kHdt + "\r\n",
         {B, S},
         {2, 1, 0, 0, 0, 1}},
        {"StrayStartMidLine", "$HEHDT,27" + kHdt + "\r\n", {B, S}, {2, 1, 0, 0, 0, 1}},
        {"StrayBangMidLine", "$HEHDT,274.07!T*19\r\n", {B, B}, {2, 0, 0, 0, 0, 2}},
        {"MalformedChecksum",
         "$HEHDT,274.07,T*1\r\n$HEHDT,274.07,T*19x\r\n$HEHDT*19,T*19\r\n",
         {B, B, B},
         {3, 0, 0, 0, 0, 3}},
        {"BadAddress", "$hehdt,274.07,T\r\n$,1,2\r\n$H\r\n$\r\n", {B, B, B, B}, {4, 0, 0, 0, 0, 4}},
        {"OverStandardLength", framed(longBody) + "\r\n", {S}, {1, 1, 0, 0, 1, 0}},
        {"MegabyteWithoutLineEnd",
         QByteArray(1 << 20, 'A') + "\r\n" + kHdt + "\r\n",
         {B, S},
         {2, 1, 0, 0, 0, 1}},
        {"MegabyteSentenceTooLong",
         "$GPXYZ," + QByteArray(1 << 20, '1') + "\n" + kHdt + "\n",
         {B, S},
         {2, 1, 0, 0, 0, 1}},
    };
}

class ReaderTable : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(ReaderTable, JudgesAndCountsWhateverTheChunks) {
    const ReaderCase& c = GetParam();
    const ReadResult whole = readChunks({c.input});
    std::vector<LineKind> kinds;
    for (const Judged& j : whole.lines)
        kinds.push_back(j.kind);
    EXPECT_EQ(kinds, c.kinds);
    EXPECT_EQ(whole.counts, c.counts);
    EXPECT_EQ(whole.counts.lines,
              whole.counts.sentences + whole.counts.checksumErrors + whole.counts.badLines);

    // Split in two at every position (every 4099th for the long inputs), and byte by byte.
    const qsizetype step = c.input.size() > 4096 ? 4099 : 1;
    for (qsizetype at = 0; at <= c.input.size(); at += step) {
        const ReadResult split = readChunks({c.input.left(at), c.input.mid(at)});
        ASSERT_EQ(split.lines, whole.lines) << "split at " << at;
        ASSERT_EQ(split.counts, whole.counts) << "split at " << at;
    }
    if (c.input.size() < 4096) {
        QList<QByteArray> bytes;
        for (const char b : c.input)
            bytes << QByteArray(1, b);
        EXPECT_EQ(readChunks(bytes).lines, whole.lines);
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, ReaderTable, ::testing::ValuesIn(readerCases()),
                         [](const ::testing::TestParamInfo<ReaderCase>& info) { return info.param.name; });

TEST(SentenceReader, KeepsOnlyTheFirstBytesOfAnOverlongLine) {
    const ReadResult result = readChunks({QByteArray(5000, 'A'), QByteArray(5000, 'B') + "\n"});
    ASSERT_EQ(result.lines.size(), 1u);
    EXPECT_EQ(result.lines[0].text, QByteArray(Nmea::SentenceReader::MaxLine, 'A'));
}

// Every catalog field of every decoded standard sentence, from one sentence each: the text the
// rule takes, in catalog field order. GSV rules use Index 1, XDR rules Index 1.
struct Extraction {
    const char* line;
    QStringList texts;
};

const Extraction kExtractions[] = {
    {"$GPZDA,160012.71,11,03,2026,-1,00*7D", {"16", "00", "12", "71", "11", "03", "2026", "-1", "00"}},
    {"$SDDBT,36.2,f,11.03,M,6.03,F*07", {"36.2", "f", "11.03", "M", "6.03", "F"}},
    {"$SDDPT,11.03,-0.5,100.0*7F", {"11.03", "-0.5", "100.0"}},
    {"$GNGGA,092750.00,5321.6802,N,00630.3372,W,1,08,1.03,61.7,M,55.2,M,,*68",
     {"09", "27", "50", "00", "53", "N", "21.6802", "006", "W", "30.3372", "1", "08", "1.03", "61.7", "M",
      "55.2", "M", "", ""}},
    {"$GPGLL,4916.45,N,12311.12,W,225444.5,A,A*47",
     {"16.45", "49", "N", "11.12", "123", "W", "22", "54", "44", "5", "A", "A"}},
    {"$GNGSA,A,3,05,07,13,,,,,,,,,,1.8,1.0,1.5,1*3D",
     {"A", "3", "05", "07", "13", "", "", "", "", "", "", "", "", "", "1.8", "1.0", "1.5", "1"}},
    {"$GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00,1*69",
     {"3", "1", "11", "03", "03", "111", "00", "1"}},
    {"$HCHDG,98.3,0.0,E,12.6,W*57", {"98.3", "0.0", "E", "12.6", "W"}},
    {"$HEHDT,274.07,T*19", {"274.07", "T"}},
    {"$WIMDA,30.1,I,1.0193,B,18.4,C,,C,62.0,,10.9,C,215.0,T,213.2,M,7.3,N,3.8,M*18",
     {"30.1", "I", "1.0193", "B", "18.4",  "C", "",    "C", "62.0", "",
      "10.9", "C", "215.0",  "T", "213.2", "M", "7.3", "N", "3.8",  "M"}},
    {"$YXMTW,17.9,C*1D", {"17.9", "C"}},
    {"$WIMWD,215.0,T,213.2,M,7.3,N,3.8,M*51", {"215.0", "T", "213.2", "M", "7.3", "N", "3.8", "M"}},
    {"$WIMWV,045.5,R,12.4,N,A*10", {"045.5", "R", "12.4", "N", "A"}},
    {"$GPRMC,225446.33,A,4916.45,N,12311.12,W,000.5,054.7,191126,020.3,E,A,V*58",
     {"22",    "54",    "46",    "33", "A",  "49", "N",     "16.45", "123", "W",
      "11.12", "000.5", "054.7", "19", "11", "26", "020.3", "E",     "A",   "V"}},
    {"$TIROT,-3.5,A*10", {"-3.5", "A"}},
    {"$AGRSA,-2.4,A,,V*54", {"-2.4", "A", "", "V"}},
    {"$VDVBW,12.3,0.1,A,12.5,0.2,A,0.05,A,0.06,A*57",
     {"12.3", "0.1", "A", "12.5", "0.2", "A", "0.05", "A", "0.06", "A"}},
    {"$VWVHW,274.1,T,272.3,M,12.3,N,22.8,K*58", {"274.1", "T", "272.3", "M", "12.3", "N", "22.8", "K"}},
    {"$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K,D*20",
     {"054.7", "T", "034.4", "M", "005.5", "N", "010.2", "K", "D"}},
    {"$WIVWR,75.0,L,12.4,N,6.4,M,23.0,K*7F", {"75.0", "L", "12.4", "N", "6.4", "M", "23.0", "K"}},
    {"$GPXTE,A,A,0.67,L,N,A*02", {"A", "A", "0.67", "L", "N", "A"}},
    {"$HETHS,274.07,A*1B", {"274.07", "A"}},
    {"$IIXDR,C,19.5,C,AIRTEMP,P,1.0212,B,BARO*19", {"C", "19.5", "C", "AIRTEMP"}},
    {"$SDDBK,35.9,f,10.94,M,5.98,F*1E", {"35.9", "f", "10.94", "M", "5.98", "F"}},
    {"$SDDBS,42.6,f,12.98,M,7.10,F*05", {"42.6", "f", "12.98", "M", "7.10", "F"}},
    {"$GPDTM,W84,,0.0,N,0.0,E,0.0,W84*6F", {"W84", "", "0.0", "N", "0.0", "E", "0.0", "W84"}},
    {"$WIVWT,030.0,R,10.1,N,5.2,M,18.7,K*5B", {"030.0", "R", "10.1", "N", "5.2", "M", "18.7", "K"}},
};

// The catalog name of a sample line: the formatter after "$" and a two-letter talker.
QString formatterOf(const char* line) {
    return QString::fromLatin1(line).mid(3, 3);
}

TEST(SentenceLayouts, CoverEveryCatalogFieldOfTheDecodedSentences) {
    int decoded = 0;
    for (int s = 1; s <= Nmea::SentenceCount; ++s) {
        const Nmea::SentenceLayout* layout = Nmea::sentenceLayout(s);
        if (!layout)
            continue;
        ++decoded;
        EXPECT_EQ(QString::fromLatin1(layout->Name), Nmea::sentenceName(s));
        EXPECT_TRUE(Nmea::isSupported(s)) << layout->Name;
        EXPECT_EQ(layout->SourceCount, Nmea::fieldCount(s)) << layout->Name;
        EXPECT_FALSE(Nmea::sentenceName(s).startsWith(u'$')) << "proprietary layouts are not public";
        bool sampled = false;
        for (const Extraction& e : kExtractions)
            sampled |= formatterOf(e.line) == Nmea::sentenceName(s);
        EXPECT_TRUE(sampled) << "no sample sentence for " << layout->Name;
    }
    EXPECT_EQ(decoded, 27);
}

TEST(RuleFeeding, TakesEveryFieldOfEveryStandardSentence) {
    for (const Extraction& e : kExtractions) {
        const QString sentence = formatterOf(e.line);
        const int index = Nmea::Find_Sentence(sentence);
        ASSERT_EQ(Nmea::fieldCount(index), e.texts.size()) << qPrintable(sentence);
        for (int f = 0; f < e.texts.size(); ++f) {
            const QByteArray field = Nmea::fieldText(index, f).toUtf8();
            const QByteArray name = sentence.toUtf8();
            const bool indexed = Nmea::indexRule(index, f).required;
            Nmea::Monitor monitor(
                NmeaSamples::table({{name.constData(), field.constData(), indexed ? "1" : ""}}));
            monitor.feed(QByteArray(e.line) + "\r\n");
            ASSERT_EQ(monitor.rules().size(), 1u);
            const Nmea::RuleFeed& rule = monitor.rules()[0];
            SCOPED_TRACE(qPrintable(sentence + QStringLiteral(" / ") + rule.field));
            EXPECT_EQ(rule.hits, e.texts[f].isEmpty() ? 0 : 1);
            EXPECT_EQ(rule.empty, e.texts[f].isEmpty() ? 1 : 0);
            EXPECT_EQ(rule.last, e.texts[f]);
            bool isNumber = false;
            const double number = e.texts[f].toDouble(&isNumber);
            if (rule.numeric && isNumber)
                EXPECT_EQ(rule.value, number);
            else
                EXPECT_EQ(rule.value, std::nullopt); // empty and letters are no value, not zero
        }
    }
}

TEST(RuleFeeding, FieldsOfOlderRevisionsAreEmpty) {
    // GLL and RMC before the mode indicator, GSV before the signal ID.
    Nmea::Monitor monitor(NmeaSamples::table({
        {"GLL", "Mode Indicator [character]"},
        {"RMC", "Navigational status [character]"},
        {"RMC", "Date, Year [decimal]"},
        {"GSV", "Signal ID [decimal]"},
        {"GSV", "Satellite ID number [decimal]", "4"},
    }));
    monitor.feed(framed("GPGLL,4916.45,N,12311.12,W,225444,A") + "\r\n" +
                 framed("GPRMC,225446,A,4916.45,N,12311.12,W,000.5,054.7,191194,020.3,E") + "\r\n" +
                 framed("GPGSV,1,1,04,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00") + "\r\n");
    const auto& rules = monitor.rules();
    for (int r : {0, 1, 3}) {
        EXPECT_EQ(rules[r].hits, 0) << r;
        EXPECT_EQ(rules[r].empty, 1) << r;
        EXPECT_EQ(rules[r].last, QString()) << r;
        EXPECT_EQ(rules[r].value, std::nullopt) << r;
    }
    EXPECT_EQ(rules[2].last, u"94");
    EXPECT_EQ(rules[4].last, u"13");
}

TEST(RuleFeeding, GsvIndexCountsSatellitesAcrossTheSentencesOfAGroup) {
    Nmea::Monitor monitor(NmeaSamples::table({
        {"GSV", "Satellite ID number [decimal]", "1"},
        {"GSV", "Satellite ID number [decimal]", "5"},
        {"GSV", "Azimuth, degrees True, 000 to 359 [decimal]", "6"},
        {"GSV", "SNR (C/No) 00-99 dB-Hz, null when not tracking [decimal]", "11"},
        {"GSV", "Satellite ID number [decimal]", "12"},          // past the satellites in view
        {"GSV", "Sentence number [decimal]", "3"},               // the third sentence of a group
        {"GSV", "Total number of satellites in view [decimal]"}, // every sentence
    }));
    const QByteArray gps = "$GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00,1*69\r\n"
                           "$GPGSV,3,2,11,14,25,170,00,16,57,208,39,18,67,296,40,19,40,246,00,1*69\r\n"
                           "$GPGSV,3,3,11,22,42,067,42,24,14,311,43,27,05,244,00,1*50\r\n";
    monitor.feed(gps);
    const auto& rules = monitor.rules();
    EXPECT_EQ(rules[0].last, u"03");
    EXPECT_EQ(rules[1].last, u"14");
    EXPECT_EQ(rules[2].last, u"208");
    EXPECT_EQ(rules[3].last, u"00");
    EXPECT_EQ(rules[4].hits, 0);
    EXPECT_EQ(rules[5].hits, 1);
    EXPECT_EQ(rules[5].last, u"3");
    EXPECT_EQ(rules[6].hits, 3);
    for (int r : {0, 1, 2, 3})
        EXPECT_EQ(rules[r].hits, 1) << r;

    // A second constellation's group: satellite 5 is in its second sentence; its SNR may be null.
    monitor.feed("$GLGSV,2,1,05,65,22,045,30,66,64,320,35,72,20,155,28,74,11,020,,1*77\r\n"
                 "$GLGSV,2,2,05,81,45,210,33*5B\r\n");
    EXPECT_EQ(rules[0].last, u"65");
    EXPECT_EQ(rules[1].last, u"81");
    EXPECT_EQ(rules[1].hits, 2);
    EXPECT_EQ(rules[3].hits, 1) << "GLONASS has no eleventh satellite";
}

TEST(RuleFeeding, XdrIndexSelectsTheQuadruple) {
    Nmea::Monitor monitor(NmeaSamples::table({
        {"XDR", "Measurement data [floating point]", "1"},
        {"XDR", "Measurement data [floating point]", "2", "x 1000"},
        {"XDR", "Transducer ID [character string] (20 characters)", "2"},
    }));
    monitor.feed("$IIXDR,C,19.5,C,AIRTEMP,P,1.0212,B,BARO*19\r\n$WIXDR,C,21.0,C,WATERTEMP*14\r\n");
    const auto& rules = monitor.rules();
    EXPECT_EQ(rules[0].hits, 2);
    EXPECT_EQ(rules[0].last, u"21.0");
    EXPECT_EQ(rules[1].hits, 1) << "the second sentence has one quadruple";
    EXPECT_EQ(rules[1].last, u"1.0212");
    EXPECT_DOUBLE_EQ(rules[1].value.value_or(0), 1021.2);
    EXPECT_EQ(rules[2].last, u"BARO");
}

TEST(RuleFeeding, PostOperationsScaleNumbersOnly) {
    EXPECT_DOUBLE_EQ(Nmea::applyPostOperation(274.07, QStringLiteral(": 10")), 27.407);
    EXPECT_DOUBLE_EQ(Nmea::applyPostOperation(274.07, QStringLiteral(": 10000")), 0.027407);
    EXPECT_DOUBLE_EQ(Nmea::applyPostOperation(274.07, QStringLiteral("x 100")), 27407);
    EXPECT_DOUBLE_EQ(Nmea::applyPostOperation(-3.5, QStringLiteral("x 10")), -35);
    EXPECT_DOUBLE_EQ(Nmea::applyPostOperation(274.07, QStringLiteral("None")), 274.07);

    Nmea::Monitor monitor(NmeaSamples::table({
        {"HDT", "Heading, degrees True, Number [floating point]", "", "x 100"},
        {"HDT", "Heading, degrees True [character]", "", "x 100"},
        {"ROT", "Rate of turn, degrees/minute, Number [floating point]", "", ": 10"},
    }));
    monitor.feed("$HEHDT,274.07,T*19\r\n" + framed("TIROT,,V") + "\r\n");
    const auto& rules = monitor.rules();
    EXPECT_DOUBLE_EQ(rules[0].value.value_or(0), 27407);
    EXPECT_EQ(rules[1].last, u"T");
    EXPECT_EQ(rules[1].value, std::nullopt);
    EXPECT_EQ(rules[2].empty, 1);
    EXPECT_EQ(rules[2].value, std::nullopt) << "an empty field is not zero";
}

TEST(RuleFeeding, ValuesReadWithTwelveSignificantDigits) {
    const std::pair<double, const char*> cases[] = {
        {200.04 * 10, "2000.4"}, // 2000.3999999999999 in binary
        {4.35 * 100, "435"},     // 434.99999999999994
        {0.1 + 0.2, "0.3"},      {-35, "-35"}, {0.027407, "0.027407"}, {123456.789012, "123456.789012"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(Nmea::valueText(value), QString::fromLatin1(text)) << text;
}

// A hit is a sentence that delivered a value. Sentences that came with the field empty are counted
// apart and leave the last value, and its time, as they were.
TEST(RuleFeeding, HitsCountValuesAndEmptyFieldsApart) {
    Nmea::Monitor monitor(NmeaSamples::table({{"HDT", "Heading, degrees True, Number [floating point]"}}));
    monitor.feed(framed("HEHDT,274.07,T") + "\r\n", 10);
    for (int i = 0; i < 4; ++i)
        monitor.feed(framed("HEHDT,,T") + "\r\n", 20);
    const Nmea::RuleFeed& rule = monitor.rules()[0];
    EXPECT_EQ(rule.hits, 1);
    EXPECT_EQ(rule.empty, 4);
    EXPECT_EQ(rule.last, u"274.07");
    EXPECT_EQ(rule.value, 274.07);
    EXPECT_EQ(rule.lastAt, 10);

    monitor.clear();
    EXPECT_EQ(monitor.rules()[0].empty, 0);
}

TEST(Monitor, FeedsOnlyTheRulesOfTheChannelFromGoodSentences) {
    const Nmea::RuleTable table = NmeaSamples::table({
        {"HDT", "Heading, degrees True, Number [floating point]", "", "None", "RS232"},
        {"HDT", "Heading, degrees True, Number [floating point]", "", "None", "RS485 / RS422"},
        {"HDT", "Heading, degrees True, Number [floating point]", "", "None", "RS232", false},
        {"GGA", "Number of satellites in use [decimal]", "", "None", "RS485 2"},
        {"$PJELA", "Alarm [character]", "3", "None", "RS232"},
        {"GGA", "No such field", "", "None", "RS232"},
    });
    const QByteArray log = "$HEHDT,274.07,T*19\r\n"
                           "$HEHDT,999.99,T*00\r\n" // checksum fails: feeds nothing
                           "$INHDT,275.10,T\r\n"    // no checksum, another talker
                           "$GNGGA,092750.00,5321.6802,N,00630.3372,W,1,08,1.03,61.7,M,55.2,M,,*68\r\n"
                           "$PJELA,1,A*22\r\n"
                           "$AIVDM,1,1,,A,13aEOK?P00PD2wVMdLDRhgvL289?,0*00\r\n"
                           "$GPZDA,160012.71,11,03,2026,-1,00*7D\r\n"
                           "$GPZDA,160013.71,11,03,2026,-1,00*7C\r\n";

    Nmea::Monitor rs232(table, QStringLiteral("RS232"));
    rs232.feed(log, 1000);
    ASSERT_EQ(rs232.rules().size(), 2u);
    EXPECT_EQ(rs232.rules()[0].rule, 1);
    EXPECT_EQ(rs232.rules()[0].hits, 2);
    EXPECT_EQ(rs232.rules()[0].last, u"275.10");
    EXPECT_EQ(rs232.rules()[0].lastAt, 1000);
    EXPECT_EQ(rs232.rules()[1].sentence, u"$PJELA");
    EXPECT_FALSE(rs232.rules()[1].decoded);
    EXPECT_EQ(rs232.rules()[1].hits, 1);
    EXPECT_EQ(rs232.rules()[1].last, QString());
    const QMap<QString, qint64> unused{{"GNGGA", 1}, {"GPZDA", 2}};
    EXPECT_EQ(rs232.unused(), unused) << "checksum failures and bad lines are not listed";
    EXPECT_EQ(rs232.counts().sentences, 6);
    EXPECT_EQ(rs232.counts().checksumErrors, 2);
    EXPECT_EQ(rs232.counts().noChecksum, 1);

    Nmea::Monitor rs485(table, QStringLiteral("RS485 1"));
    rs485.feed(log);
    ASSERT_EQ(rs485.rules().size(), 1u);
    EXPECT_EQ(rs485.rules()[0].rule, 2);
    EXPECT_EQ(rs485.unused().value("GNGGA"), 1);
    EXPECT_EQ(rs485.unused().value("PJELA"), 1);

    Nmea::Monitor every(table);
    EXPECT_EQ(every.rules().size(), 4u);
    every.feed(log);
    EXPECT_EQ(every.rules()[2].last, u"08");
    EXPECT_EQ(every.rules()[2].value, 8);
}

// Rules edited while the monitor listens: the rule that reads as before keeps its values under its
// new number, a changed one starts afresh, and an address a rule now takes leaves the unused list.
TEST(Monitor, EditedRulesKeepWhatTheyStillReceive) {
    const char* heading = "Heading, degrees True, Number [floating point]";
    const char* satellites = "Number of satellites in use [decimal]";
    Nmea::Monitor monitor(NmeaSamples::table({{"HDT", heading, "", "None", "RS232"},
                                              {"GGA", satellites, "", "None", "RS232"},
                                              {"HDT", heading, "", "None", "RS485 2"}}),
                          QStringLiteral("RS232"));
    const QByteArray log = "$HEHDT,274.07,T*19\r\n"
                           "$GNGGA,092750.00,5321.6802,N,00630.3372,W,1,08,1.03,61.7,M,55.2,M,,*68\r\n"
                           "$GPZDA,160012.71,11,03,2026,-1,00*7D\r\n";
    monitor.feed(log, 1000);
    const quint64 before = monitor.revision();

    monitor.setRules(NmeaSamples::table({{"ZDA", "year [decimal]", "", "None", "RS232"},
                                         {"HDT", heading, "", "None", "RS232"},
                                         {"GGA", satellites, "", "x 10", "RS232"}}));
    EXPECT_GT(monitor.revision(), before);
    ASSERT_EQ(monitor.rules().size(), 3u);
    const Nmea::RuleFeed& year = monitor.rules()[0];
    const Nmea::RuleFeed& kept = monitor.rules()[1];
    const Nmea::RuleFeed& changed = monitor.rules()[2];
    EXPECT_EQ(year.hits, 0);
    EXPECT_EQ(kept.rule, 2);
    EXPECT_EQ(kept.hits, 1);
    EXPECT_EQ(kept.last, u"274.07");
    EXPECT_EQ(kept.lastAt, 1000);
    EXPECT_EQ(changed.hits, 0);
    EXPECT_FALSE(changed.value);
    EXPECT_EQ(monitor.counts().sentences, 3) << "the reader's counts stay";
    EXPECT_EQ(monitor.unused(), (QMap<QString, qint64>{})) << "ZDA feeds a rule now, GGA still does";
    EXPECT_EQ(monitor.recentLines().size(), 3);

    monitor.feed("$GPZDA,160013.71,11,03,2026,-1,00*7C\r\n" + log.sliced(0, 20), 2000);
    EXPECT_EQ(monitor.rules()[0].last, u"2026");
    EXPECT_EQ(monitor.rules()[1].hits, 2);

    monitor.setRules({});
    EXPECT_TRUE(monitor.rules().empty());
    monitor.feed(log, 3000);
    EXPECT_EQ(monitor.unused(), (QMap<QString, qint64>{{"HEHDT", 1}, {"GNGGA", 1}, {"GPZDA", 1}}))
        << "addresses no rule takes any more count from now on";
}

TEST(Monitor, RemembersTheLastLinesAndTheTimeOfChange) {
    Nmea::Monitor monitor(NmeaSamples::table({{"HDT", "Heading, degrees True, Number [floating point]"}}));
    monitor.setHistory(3);
    monitor.feed("$HEHDT,274.07,T*19\r\n", 10);
    monitor.feed("$HEHDT,274.07,T*19\r\n", 20);
    const quint64 before = monitor.revision();
    monitor.feed(QByteArray("junk\0\r\n", 7) + "$HEHDT,274.07,T*18\r\n" + framed("HEHDT,275.00,T") + "\r\n",
                 30);
    EXPECT_GT(monitor.revision(), before);
    const Nmea::RuleFeed& rule = monitor.rules()[0];
    EXPECT_EQ(rule.hits, 3);
    EXPECT_EQ(rule.lastAt, 30);
    EXPECT_EQ(rule.changedAt, 30);

    const QList<Nmea::RecentLine> lines = monitor.recentLines();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0].kind, LineKind::Bad);
    EXPECT_EQ(Nmea::displayText(lines[0].text), u"junk\\x00");
    EXPECT_EQ(lines[1].kind, LineKind::ChecksumError);
    EXPECT_EQ(lines[2].kind, LineKind::Sentence);
    EXPECT_EQ(lines[2].text, framed("HEHDT,275.00,T"));

    monitor.clear();
    EXPECT_EQ(monitor.rules()[0].hits, 0);
    EXPECT_EQ(monitor.counts(), ReaderCounts{});
    EXPECT_TRUE(monitor.recentLines().isEmpty());
}

// How the line still open ends decides whether it feeds a rule: the end of a log, the end of a
// datagram, a connection that broke off.
struct OpenLineCase {
    const char* name;
    std::function<void(Nmea::Monitor&)> receive;
    const char* last;
    qint64 hits;
    qint64 badLines;
};

void PrintTo(const OpenLineCase& c, std::ostream* out) {
    *out << c.name;
}

class OpenLineEnds : public ::testing::TestWithParam<OpenLineCase> {};

TEST_P(OpenLineEnds, FeedOnlyWholeSentences) {
    const OpenLineCase& c = GetParam();
    Nmea::Monitor monitor(NmeaSamples::table({{"HDT", "Heading, degrees True, Number [floating point]"}}));
    c.receive(monitor);
    EXPECT_EQ(monitor.rules()[0].last, QString::fromLatin1(c.last));
    EXPECT_EQ(monitor.rules()[0].hits, c.hits);
    EXPECT_EQ(monitor.counts().badLines, c.badLines);
}

INSTANTIATE_TEST_SUITE_P(
    Monitor, OpenLineEnds,
    ::testing::Values(
        OpenLineCase{"LogEndsInACutLine",
                     [](Nmea::Monitor& m) {
                         m.feed(kHdt + "\r\n$HEHDT,27");
                         m.finish();
                     },
                     "274.07", 1, 1},
        OpenLineCase{"LogEndsInAWholeSentence",
                     [](Nmea::Monitor& m) {
                         m.feed(kHdt + "\r\n$HEHDT,275.10,T*1E");
                         m.finish();
                     },
                     "275.10", 2, 0},
        // The rest of a line that began over another connection.
        OpenLineCase{"ConnectionBrokeOff",
                     [](Nmea::Monitor& m) {
                         m.feed(kHdt + "\r\n$HEHDT,9");
                         m.cutOpenLine();
                         m.cutOpenLine(); // nothing open: nothing more to count
                         m.feed("1.5,T\r\n");
                     },
                     "274.07", 1, 2},
        // A datagram is a whole message: it ends its last line, and the next one continues none.
        OpenLineCase{"DatagramWithoutLineEnd", [](Nmea::Monitor& m) { m.feedMessage("$HEHDT,275.10,T*1E"); },
                     "275.10", 1, 0},
        OpenLineCase{"DatagramsAreNotJoined",
                     [](Nmea::Monitor& m) {
                         m.feedMessage(kHdt + "\r\n$HEHDT,275.10,T*");
                         m.feedMessage("1E\r\n");
                     },
                     "274.07", 1, 2}),
    [](const ::testing::TestParamInfo<OpenLineCase>& info) { return info.param.name; });

TEST(Monitor, NoiseCannotGrowTheAddressTable) {
    Nmea::Monitor monitor(NmeaSamples::table({}));
    QByteArray noise;
    for (int i = 0; i < Nmea::Monitor::MaxAddresses + 500; ++i)
        noise += "$Q" + QByteArray::number(i) + ",1\n";
    monitor.feed(noise);
    EXPECT_EQ(monitor.unused().size(), Nmea::Monitor::MaxAddresses);
    EXPECT_EQ(monitor.unusedOverflow(), 500);
}

} // namespace

// Why a bad line was not taken, and when it came, as the last-lines pane shows it.
TEST(Monitor, TellsEachBadLineItsFaultAndTime) {
    using Nmea::LineFault;
    Nmea::Monitor monitor(NmeaSamples::table({}));
    const std::pair<QByteArray, LineFault> lines[] = {
        {kHdt + "\r\n", LineFault::None},
        {"$HEHDT,274.07,T*18\r\n", LineFault::Checksum},
        {"$HEHDT,274.07,T*1\r\n", LineFault::Checksum},
        {"$HEHDT,27" + kHdt + "\r\n", LineFault::Cut}, // and the sentence after it
        {"$HEHDT,27\x01,T\r\n", LineFault::NotPrintable},
        {"$GPXYZ," + QByteArray(2000, '1') + "\r\n", LineFault::TooLong},
        {"hello world\r\n", LineFault::NoAddress},
        {"$hehdt,274.07,T\r\n", LineFault::NoAddress},
    };
    qint64 at = 100;
    for (const auto& [line, fault] : lines)
        monitor.feed(line, at++);
    monitor.feed("$HEHDT,2", at);
    monitor.finish(at);

    const QList<Nmea::RecentLine> kept = monitor.recentLines();
    const std::vector<std::pair<LineFault, qint64>> expected = {
        {LineFault::None, 100},    {LineFault::Checksum, 101},  {LineFault::Checksum, 102},
        {LineFault::Cut, 103},     {LineFault::None, 103},      {LineFault::NotPrintable, 104},
        {LineFault::TooLong, 105}, {LineFault::NoAddress, 106}, {LineFault::NoAddress, 107},
        {LineFault::Cut, 108},
    };
    ASSERT_EQ(kept.size(), static_cast<qsizetype>(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(kept[i].fault, expected[i].first) << i;
        EXPECT_EQ(kept[i].at, expected[i].second) << i;
        EXPECT_EQ(kept[i].kind == LineKind::Sentence, expected[i].first == LineFault::None) << i;
    }
    EXPECT_EQ(Nmea::lineFaultName(LineFault::NotPrintable), u"not printable");
    EXPECT_EQ(Nmea::lineFaultName(LineFault::None), QString());
}

// The traps: every sentence is good, and still the PLC reads nonsense. Each case is a small log,
// a line a time in milliseconds, and the findings expected at the end.
struct TrapCase {
    const char* name;
    std::vector<NmeaSamples::Rule> rules;
    std::vector<std::pair<qint64, QByteArray>> log;
    qint64 now;
    std::vector<std::pair<int, const char*>> findings; // rule, kind
    const char* message = "";                          // a part of the first finding's message
};

void PrintTo(const TrapCase& c, std::ostream* out) {
    *out << c.name;
}

std::vector<TrapCase> trapCases() {
    using namespace Nmea::FindingKind;
    const NmeaSamples::Rule gsv{"GSV", "Satellite ID number [decimal]", "1"};
    const NmeaSamples::Rule windAngle{"MWV", "wind angle [floating point]"};
    const NmeaSamples::Rule heading{"HDT", "Heading, degrees True, Number [floating point]"};
    const NmeaSamples::Rule latitude{"RMC", "Latitude, Degrees [decimal]"};
    const QByteArray rmcGood = framed("GPRMC,225446,A,4916.45,N,12311.12,W,000.5,054.7,191126,020.3,E,A");
    const QByteArray rmcVoid = framed("GPRMC,225447,V,4916.45,N,12311.12,W,000.5,054.7,191126,020.3,E,N");
    std::vector<std::pair<qint64, QByteArray>> everySecond;
    for (qint64 t = 0; t <= 20000; t += 1000)
        everySecond.push_back({t, framed("HEHDT,274.07,T")});
    std::vector<std::pair<qint64, QByteArray>> everyTenSeconds;
    for (qint64 t = 0; t <= 100000; t += 10000)
        everyTenSeconds.push_back({t, framed("HEHDT,274.07,T")});
    return {
        {"Clean",
         {gsv, windAngle, heading},
         {{0, framed("GPGSV,1,1,01,03,03,111,00")},
          {0, framed("WIMWV,045.5,R,12.4,N,A")},
          {0, framed("HEHDT,1.0,T")}},
         0,
         {}},
        {"TwoConstellationsInOneSatelliteRule",
         {heading, gsv},
         {{0, framed("GPGSV,1,1,01,03,03,111,00")},
          {0, framed("GLGSV,1,1,01,65,22,045,30")},
          {0, framed("GPGSV,1,1,01,03,03,111,00")}},
         0,
         {{2, MixedTalkers}},
         "Rule 2 is fed by sentences of the talkers GP, GL:"},
        {"TwoHeadingSources",
         {heading},
         {{0, framed("HEHDT,274.07,T")}, {0, framed("INHDT,275.10,T")}},
         0,
         {{1, MixedTalkers}},
         "HE, IN"},
        {"RelativeAndTrueWind",
         {windAngle, {"MWV", "wind speed [floating point]"}},
         {{0, framed("WIMWV,045.5,R,12.4,N,A")}, {0, framed("WIMWV,030.0,T,10.1,N,A")}},
         0,
         {{1, MixedReference}, {2, MixedReference}},
         "Rule 1 is fed by MWV sentences with different references (R, T)"},
        {"TwoTransducersInOneGroup",
         {{"XDR", "Measurement data [floating point]", "1"}},
         {{0, framed("IIXDR,C,19.5,C,AIRTEMP")}, {0, framed("IIXDR,P,1.0212,B,BARO")}},
         0,
         {{1, MixedReference}},
         "(AIRTEMP, BARO)"},
        {"VoidFixes",
         {latitude, {"GGA", "Latitude, Degrees [decimal]"}},
         {{0, rmcGood},
          {0, rmcVoid},
          {0, rmcGood},
          {0, rmcGood},
          {0, framed("GPGGA,092750.00,5321.6802,N,00630.3372,W,0,00,,,M,,M,,")}},
         0,
         {{1, InvalidStatus}, {2, InvalidStatus}},
         "Rule 1: 25% of its 4 sentences (RMC) say their own data is not valid"},
        {"ModeNotValid",
         {{"VTG", "Speed over ground, knots, Number [floating point]"},
          {"MWV", "wind speed [floating point]"}},
         {{0, framed("GPVTG,054.7,T,034.4,M,005.5,N,010.2,K,N")}, {0, framed("WIMWV,045.5,R,12.4,N,V")}},
         0,
         {{1, InvalidStatus}, {2, InvalidStatus}},
         "100%"},
        // GLL and RMC before the mode indicator: an absent mode says nothing.
        {"OlderRevisionWithoutMode",
         {latitude},
         {{0, framed("GPRMC,225446,A,4916.45,N,12311.12,W,000.5,054.7,191126,020.3,E")}},
         0,
         {}},
        {"SilentForLessThanFiveSeconds", {heading}, everySecond, 24999, {}},
        {"SilentForMoreThanFiveSeconds",
         {heading},
         everySecond,
         25001,
         {{1, Stale}},
         "Rule 1 has had no value for 5 s"},
        {"SilentForLessThanThreeIntervals", {heading}, everyTenSeconds, 129000, {}},
        {"SilentForMoreThanThreeIntervals", {heading}, everyTenSeconds, 130001, {{1, Stale}}},
        {"NeverFedIsNotStale", {heading, latitude}, {{0, framed("HEHDT,274.07,T")}}, 6000, {{1, Stale}}},
    };
}

class Traps : public ::testing::TestWithParam<TrapCase> {};

TEST_P(Traps, AreFoundFromTheSentencesTheRulesReceive) {
    const TrapCase& c = GetParam();
    Nmea::RuleTable table{};
    for (size_t i = 0; i < c.rules.size(); ++i) {
        const NmeaSamples::Rule& r = c.rules[i];
        table[static_cast<int>(i)] = NmeaSamples::table({r})[0];
    }
    Nmea::Monitor monitor(table);
    for (const auto& [at, line] : c.log)
        monitor.feed(line + "\r\n", at);
    const MessageCatalog texts;
    const QList<Nmea::MonitorFinding> found = monitor.findings(c.now, texts);
    std::vector<std::pair<int, QString>> kinds;
    for (const Nmea::MonitorFinding& f : found)
        kinds.push_back({f.rule, f.kind});
    std::vector<std::pair<int, QString>> expected;
    for (const auto& [rule, kind] : c.findings)
        expected.push_back({rule, QString::fromLatin1(kind)});
    EXPECT_EQ(kinds, expected);
    if (!found.isEmpty()) {
        EXPECT_TRUE(found[0].message.contains(QString::fromUtf8(c.message))) << qPrintable(found[0].message);
        EXPECT_FALSE(found[0].message.contains(QRegularExpression(QStringLiteral("%\\d"))))
            << qPrintable(found[0].message);
    }
}

INSTANTIATE_TEST_SUITE_P(Monitor, Traps, ::testing::ValuesIn(trapCases()),
                         [](const ::testing::TestParamInfo<TrapCase>& info) { return info.param.name; });

// A value from a sentence that calls its data invalid is still shown, and marked; the next valid
// one clears the mark. Talkers and references are kept to a few whatever arrives.
TEST(Monitor, MarksInvalidValuesAndKeepsTheTrapStateSmall) {
    Nmea::Monitor monitor(NmeaSamples::table({{"MWV", "wind angle [floating point]"}}));
    monitor.feed(framed("WIMWV,045.5,R,12.4,N,V") + "\r\n");
    EXPECT_EQ(monitor.rules()[0].last, u"045.5");
    EXPECT_TRUE(monitor.rules()[0].lastInvalid);
    monitor.feed(framed("WIMWV,046.0,R,12.4,N,A") + "\r\n");
    EXPECT_FALSE(monitor.rules()[0].lastInvalid);
    EXPECT_EQ(monitor.rules()[0].invalid, 1);

    for (int i = 0; i < 100; ++i)
        monitor.feed(framed("W" + QByteArray(1, char('A' + i % 26)) + "MWV,045.5," +
                            QByteArray(1, char('A' + i % 26)) + ",12.4,N,A") +
                     "\r\n");
    EXPECT_EQ(monitor.rules()[0].talkers.size(), Nmea::RuleFeed::MaxKept);
    EXPECT_EQ(monitor.rules()[0].references.size(), Nmea::RuleFeed::MaxKept);
    monitor.clear();
    EXPECT_TRUE(monitor.findings(0, MessageCatalog()).isEmpty());
}

TEST(Monitor, RatesOfUsedAndUnusedAddresses) {
    Nmea::Monitor monitor(NmeaSamples::table({{"HDT", "Heading, degrees True, Number [floating point]"}}));
    // HDT ten times a second, ZDA once a second, for 30 s from an arbitrary start.
    const qint64 start = 1'765'400'000'000;
    for (qint64 t = 0; t < 30000; t += 100) {
        monitor.feed(framed("HEHDT,274.07,T") + "\r\n", start + t);
        if (t % 1000 == 0)
            monitor.feed(framed("GPZDA,160012.71,11,03,2026,-1,00") + "\r\n", start + t);
    }
    const qint64 now = start + 29950;
    EXPECT_DOUBLE_EQ(monitor.rate(QStringLiteral("HEHDT"), now), 10);
    EXPECT_DOUBLE_EQ(monitor.rate(QStringLiteral("GPZDA"), now), 1);
    EXPECT_EQ(monitor.used(), (QMap<QString, qint64>{{"HEHDT", 300}}));
    EXPECT_EQ(monitor.unused(), (QMap<QString, qint64>{{"GPZDA", 30}}));
    EXPECT_EQ(monitor.rate(QStringLiteral("GPGGA"), now), 0);

    // Silence brings the rate down as the seconds pass, to nothing after the window.
    EXPECT_DOUBLE_EQ(monitor.rate(QStringLiteral("HEHDT"), now + 5000), 6);
    EXPECT_EQ(monitor.rate(QStringLiteral("HEHDT"), now + 60000), 0);

    // A newcomer's rate is over the seconds it has been heard.
    monitor.feed(framed("INHDT,274.07,T") + "\r\n", now);
    monitor.feed(framed("INHDT,274.07,T") + "\r\n", now + 10);
    EXPECT_DOUBLE_EQ(monitor.rate(QStringLiteral("INHDT"), now + 20), 2);
}

TEST(Monitor, WrongBaudIsBadLinesWithoutASentenceForTwoSeconds) {
    const auto counts = [](qint64 sentences, qint64 checksumErrors, qint64 badLines) {
        ReaderCounts c;
        c.sentences = sentences;
        c.checksumErrors = checksumErrors;
        c.badLines = badLines;
        c.lines = sentences + checksumErrors + badLines;
        return c;
    };
    EXPECT_TRUE(Nmea::looksLikeWrongBaud(counts(0, 0, 12), 2000));
    EXPECT_TRUE(Nmea::looksLikeWrongBaud(counts(0, 3, 0), 2500));
    EXPECT_FALSE(Nmea::looksLikeWrongBaud(counts(0, 0, 12), 1999)) << "too soon";
    EXPECT_FALSE(Nmea::looksLikeWrongBaud(counts(1, 0, 12), 5000)) << "a good sentence came";
    EXPECT_FALSE(Nmea::looksLikeWrongBaud(counts(0, 0, 0), 5000)) << "silence is not a wrong rate";
    const Nmea::MonitorFinding finding = Nmea::wrongBaudFinding(2300, MessageCatalog());
    EXPECT_EQ(finding.rule, 0);
    EXPECT_EQ(finding.kind, u"wrong-baud?");
    EXPECT_TRUE(finding.message.contains(u"in 2 s")) << qPrintable(finding.message);
}
