// tessellor-cli replay, run as the built program on a configuration and logs written here.
#include "CliRun.h"
#include "NmeaSamples.h"

#include "core/comm/ParGen.h"
#include "core/nmea/AccessRules.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ReplayTest : public CliFolderTest {
protected:
    void SetUp() override {
        CliFolderTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(QDir(m_root.path()).mkdir(QStringLiteral("Ship")));
        const Nmea::RuleTable table = NmeaSamples::table({
            {"HDT", "Heading, degrees True, Number [floating point]", "", "x 10", "RS232"},
            {"GGA", "Latitude, Degrees [decimal]", "", "None", "RS232"},
            {"GSV", "Satellite ID number [decimal]", "5", "None", "RS485 2"},
            {"MTW", "Water temperature, Number [floating point]", "", "None", "RS232"},
            {"HDT", "Heading, degrees True, Number [floating point]", "", "None", "RS232", false},
        });
        ASSERT_EQ(Nmea::saveAccessRules(path("Ship/NMEA_0183_Set_Access.xml"), table), QString());
        write("ship.nmea", "$HEHDT,274.07,T*19\r\n"
                           "$GNGGA,092750.00,5321.6802,N,00630.3372,W,1,08,1.03,61.7,M,55.2,M,,*68\r\n"
                           "$GPGSV,3,2,11,14,25,170,00,16,57,208,39,18,67,296,40,19,40,246,00,1*69\r\n"
                           "$HEHDT,274.07,T*18\r\n" // checksum fails
                           "$GPZDA,160012.71,11,03,2026,-1,00*7D\r\n"
                           "$HEHDT,275.50,T\r\n" // no checksum
                           "$HEHDT,,T*01\r\n"    // no heading: no value
                           "\x01\x02 noise\r\n"
                           "$GPZDA,160013.71,11,03,2026,-1,00*7C"); // no line end at the end
    }

    void write(const char* relative, const QByteArray& content) const {
        QFile file(path(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    CliOutcome replay(const QStringList& arguments) const { return run(QStringList{"replay"} + arguments); }
};

TEST_F(ReplayTest, JsonHoldsCountsRulesAndUnusedAddresses) {
    const CliOutcome outcome = replay({"Ship", "ship.nmea", "--json"});
    ASSERT_EQ(outcome.exitCode, 0) << qPrintable(outcome.err);
    QJsonParseError error;
    const QJsonObject o = QJsonDocument::fromJson(outcome.out.toUtf8(), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << outcome.out.toStdString();
    EXPECT_EQ(o["lines"].toInt(), 9);
    EXPECT_EQ(o["sentences"].toInt(), 7);
    EXPECT_EQ(o["checksum_errors"].toInt(), 1);
    EXPECT_EQ(o["no_checksum"].toInt(), 1);
    EXPECT_EQ(o["bad_lines"].toInt(), 1);

    const QJsonArray rules = o["rules"].toArray();
    ASSERT_EQ(rules.size(), 4) << "every enabled rule without --channel";
    const QJsonObject hdt = rules[0].toObject();
    EXPECT_EQ(hdt["rule"].toInt(), 1);
    EXPECT_EQ(hdt["sentence"].toString(), u"HDT");
    EXPECT_EQ(hdt["field"].toString(), u"Heading, degrees True, Number [floating point]");
    EXPECT_TRUE(hdt["index"].isNull());
    EXPECT_EQ(hdt["hits"].toInt(), 2);
    EXPECT_EQ(hdt["empty"].toInt(), 1);
    EXPECT_EQ(hdt["last"].toString(), u"275.50");
    EXPECT_DOUBLE_EQ(hdt["value"].toDouble(), 2755);
    EXPECT_EQ(rules[1].toObject()["last"].toString(), u"53");
    const QJsonObject gsv = rules[2].toObject();
    EXPECT_EQ(gsv["index"].toInt(), 5);
    EXPECT_EQ(gsv["last"].toString(), u"14");
    const QJsonObject mtw = rules[3].toObject();
    EXPECT_EQ(mtw["hits"].toInt(), 0);
    EXPECT_EQ(mtw["empty"].toInt(), 0);
    EXPECT_TRUE(mtw["last"].isNull());
    EXPECT_TRUE(mtw["value"].isNull());

    EXPECT_EQ(o["unused"].toObject(), (QJsonObject{{"GPZDA", 2}}));
}

TEST_F(ReplayTest, ChannelFeedsOnlyItsRules) {
    const CliOutcome outcome = replay({"Ship", "ship.nmea", "--channel", "RS485 2", "--json"});
    ASSERT_EQ(outcome.exitCode, 0) << qPrintable(outcome.err);
    const QJsonObject o = QJsonDocument::fromJson(outcome.out.toUtf8()).object();
    ASSERT_EQ(o["rules"].toArray().size(), 1);
    EXPECT_EQ(o["rules"].toArray()[0].toObject()["rule"].toInt(), 3);
    EXPECT_EQ(o["unused"].toObject(), (QJsonObject{{"GPZDA", 2}, {"HEHDT", 3}, {"GNGGA", 1}}));
}

// A value reads as the window shows it (2000.04 x 10 is 2000.3999999999999 in binary), and a text
// field has its text and no value.
TEST_F(ReplayTest, ValuesReadAsTheWindowShowsThem) {
    ASSERT_TRUE(QDir(m_root.path()).mkdir(QStringLiteral("Deck")));
    const Nmea::RuleTable table = NmeaSamples::table({
        {"HDT", "Heading, degrees True, Number [floating point]", "", "x 10", "RS232"},
        {"HDT", "Heading, degrees True [character]", "", "None", "RS232"},
    });
    ASSERT_EQ(Nmea::saveAccessRules(path("Deck/NMEA_0183_Set_Access.xml"), table), QString());
    write("deck.nmea", "$HEHDT,200.04,T*19\r\n");

    const CliOutcome text = replay({"Deck", "deck.nmea"});
    ASSERT_EQ(text.exitCode, 0) << qPrintable(text.err);
    EXPECT_TRUE(
        text.out.contains(u"Rule 1: HDT / Heading, degrees True, Number [floating point]; hits 1, last "
                          u"\"200.04\", value 2000.4\n"))
        << qPrintable(text.out);
    EXPECT_TRUE(text.out.contains(u"Rule 2: HDT / Heading, degrees True [character]; hits 1, last \"T\"\n"))
        << qPrintable(text.out);

    const CliOutcome json = replay({"Deck", "deck.nmea", "--json"});
    ASSERT_EQ(json.exitCode, 0) << qPrintable(json.err);
    EXPECT_TRUE(json.out.contains(u"\"value\": 2000.4}")) << qPrintable(json.out);
    const QJsonArray rules = QJsonDocument::fromJson(json.out.toUtf8()).object()["rules"].toArray();
    ASSERT_EQ(rules.size(), 2);
    EXPECT_EQ(rules[1].toObject()["last"].toString(), u"T");
    EXPECT_TRUE(rules[1].toObject()["value"].isNull());
}

TEST_F(ReplayTest, TextReportAndExitCodes) {
    const CliOutcome text = replay({"Ship", "ship.nmea"});
    EXPECT_EQ(text.exitCode, 0);
    const QString out = text.out;
    EXPECT_TRUE(
        out.contains(u"Rule 1: HDT / Heading, degrees True, Number [floating point]; hits 2, empty 1, "
                     u"last \"275.50\", value 2755\n"))
        << qPrintable(out);
    EXPECT_TRUE(out.contains(u"Rule 4: MTW / Water temperature, Number [floating point]; hits 0\n"));
    EXPECT_TRUE(out.contains(u"Lines: 9\nSentences: 7\nChecksum failures: 1\nLines without checksum: 1\n"));
    EXPECT_TRUE(out.contains(u"Bad lines: 1\nFeeding no rule: GPZDA (2)\n"));

    const CliCase cases[]{
        {{"--help"}, 0, "", ""},
        {{"Ship"}, 2, "", "missing LOGFILE"},
        {{"Ship", "ship.nmea", "extra"}, 2, "", "unexpected argument extra"},
        {{"Ship", "ship.nmea", "--channel"}, 2, "", "--channel needs a channel name"},
        {{"Ship", "ship.nmea", "--channel", "RS422"}, 2, "", "unknown channel RS422"},
        {{"Ship", "ship.nmea", "--raw"}, 2, "", "unknown option --raw"},
        {{"Nowhere", "ship.nmea"}, 2, "", "no such configuration folder Nowhere"},
        {{"Ship", "missing.nmea"}, 1, "", "cannot read missing.nmea"},
        {{"Ship", "Ship"}, 1, "", "cannot read Ship"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        expectCliCase(replay(c.arguments), c);
    }
    EXPECT_TRUE(replay({"--help"}).out.startsWith("Usage: tessellor-cli replay CONFIG_DIR LOGFILE"));
}

// The Output array the last values make, and the value the PLC would read wrong: a heading x 10 as
// REAL at 0, the satellites x 100 in one byte at 5, a 16-byte array.
TEST_F(ReplayTest, OutputArrayAndOverflow) {
    ASSERT_TRUE(QDir(m_root.path()).mkdir(QStringLiteral("Bridge")));
    Nmea::RuleTable table = NmeaSamples::table({
        {"HDT", "Heading, degrees True, Number [floating point]", "", "x 10", "RS232", true, "0"},
        {"GGA", "Number of satellites in use [decimal]", "", "x 100", "RS232", true, "5"},
    });
    table[1].Mnemonic = QStringLiteral("Sats");
    ASSERT_EQ(Nmea::saveAccessRules(path("Bridge/NMEA_0183_Set_Access.xml"), table), QString());
    ParGenSet parameters;
    parameters.EtherNetIP_NB_Output = QStringLiteral("16");
    QString error;
    ASSERT_TRUE(ParGen::save(path("Bridge/ParGen.xml"), parameters, &error)) << error.toStdString();

    const CliOutcome text = replay({"Bridge", "ship.nmea", "--output-array"});
    ASSERT_EQ(text.exitCode, 0) << qPrintable(text.err);
    EXPECT_TRUE(
        text.out.contains("  overflow: Rule 2 Sats: 8 × 100 = 800 does not fit USINT (at most 255): the PLC "
                          "reads 32, as this program assumes the converter places it\n"))
        << text.out.toStdString();
    EXPECT_TRUE(
        text.out.endsWith("Output array, 16 bytes, as this program assumes the converter places the values:\n"
                          "0000: 00 30 2c 45 00 20 00 00 00 00 00 00 00 00 00 00\n"))
        << text.out.toStdString();

    const CliOutcome json = replay({"Bridge", "ship.nmea", "--json", "--output-array"});
    const QJsonObject o = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(o["output_array"].toString(), u"00302c45002000000000000000000000");
    const QJsonArray findings = o["findings"].toArray();
    ASSERT_EQ(findings.size(), 1);
    EXPECT_EQ(findings[0].toObject()["kind"].toString(), u"overflow");
    EXPECT_EQ(findings[0].toObject()["rule"].toInt(), 2);

    // Without the option, the finding alone; a folder whose parameters cannot be read has no array.
    EXPECT_FALSE(replay({"Bridge", "ship.nmea"}).out.contains("Output array"));
    write("Bridge/ParGen.xml", "<ParGen><broken>");
    const CliOutcome broken = replay({"Bridge", "ship.nmea", "--output-array"});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_TRUE(broken.err.contains("ParGen.xml")) << broken.err.toStdString();
}

} // namespace
