#include "CliRun.h"
#include "core/comm/ParGen.h"
#include "core/image/BankCompiler.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray rules(const QByteArray& rows) {
    return "<NMEA_0183><NMEA_Listener>" + rows + "</NMEA_Listener></NMEA_0183>";
}

QByteArray row(const char* channel, const char* sentence, const char* field, int position,
               const char* mnemonic = "") {
    return QStringLiteral(
               "<row Enable=\"Y\" Serial_Channel=\"%1\" Sentence=\"%2\" Index=\"\" DataField=\"%3\" "
               "PortOperation=\"None\" SwapAll=\"N\" Swap16=\"N\" Position=\"%4\" Mnemonic=\"%5\"/>")
        .arg(QLatin1String(channel), QLatin1String(sentence), QLatin1String(field))
        .arg(position)
        .arg(QString::fromUtf8(mnemonic))
        .toUtf8();
}

const char* const kHeading = "Heading, degrees True, Number [floating point]"; // 4 bytes
const char* const kSatellites = "Number of satellites in use [decimal]";       // 1 byte

class ReviewCommandsTest : public CliFolderTest {
protected:
    void SetUp() override {
        CliFolderTest::SetUp();
        if (HasFatalFailure())
            return;
        ParGenSet parameters;
        add("Clean", parameters,
            rules(row("RS232", "HDT", kHeading, 0, "Heading") + row("RS232", "GGA", kSatellites, 8)));
        add("Notes", parameters, rules(row("RS232", "HDT", kHeading, 0) + row("RS232", "HDT", kHeading, 4)));

        ParGenSet faulty;
        faulty.RS485_2.Enable = false;
        faulty.EtherNetIP_EN_GAT = true;
        faulty.EtherNetIP_GAT = {"10", "0", "0", "1"};
        add("Faulty", faulty,
            rules(row("RS485 2", "HDT", kHeading, 0) + row("RS232", "HDT", kHeading, 2, "Heading") +
                  row("RS232", "GGA", kSatellites, 4, "Sats")));

        add("Broken", parameters, rules(""));
        QFile broken(path("Broken/ParGen.xml"));
        ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
        broken.write("<Par_Gen><RS232_ENABLE>1</Par_Gen>");
    }

    void add(const char* folder, const ParGenSet& parameters, const QByteArray& rulesDocument) {
        ASSERT_TRUE(QDir().mkpath(path(folder) + QStringLiteral("/bin")));
        ASSERT_TRUE(ParGen::save(path(folder) + QStringLiteral("/ParGen.xml"), parameters));
        QFile file(path(folder) + QStringLiteral("/NMEA_0183_Set_Access.xml"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(rulesDocument);
    }
};

TEST_F(ReviewCommandsTest, UsageAndExitCodes) {
    const CliCase cases[]{
        {{"--help"}, 0, "review CONFIG_DIR [--json]", ""},
        {{"--version"}, 0, "tessellor-cli 1.000 (SW73052)\n", ""},
        {{"review", "--help"}, 0, "Usage: tessellor-cli review CONFIG_DIR [--json]", ""},
        {{"map", "Clean", "-h"},
         0,
         "Usage: tessellor-cli map CONFIG_DIR [--format csv|json|st|iec|plcopen|l5x] [--strict-layout]",
         ""},

        {{"review"}, 2, "", "review: missing CONFIG_DIR"},
        {{"review", "Clean", "Notes"}, 2, "", "review: unexpected argument Notes"},
        {{"review", "Clean", "--format", "st"}, 2, "", "review: unknown option --format"},
        {{"map", "Clean", "--json"}, 2, "", "map: unknown option --json"},
        {{"map", "Clean", "--format"}, 2, "", "map: --format needs csv, json, st, iec, plcopen or l5x"},
        {{"map", "Clean", "--format", "xml"}, 2, "", "map: unknown format xml"},
        {{"review", "Nowhere"}, 2, "", "no such configuration folder Nowhere"},
        {{"map", "Nowhere"}, 2, "", "no such configuration folder Nowhere"},

        {{"review", "Clean"}, 0, "", ""},
        {{"review", "Notes"}, 0, "note duplicate 1,2: Rules 1 and 2 both read HDT", ""},
        {{"review", "Faulty"}, 1, "", ""},
        {{"review", "Broken"}, 1, "", "Broken/ParGen.xml: Opening and ending tag mismatch"},
        {{"map", "Broken", "--format", "json"}, 1, "", "Broken/ParGen.xml: Opening and ending tag mismatch"},
        {{"map", "Faulty", "--format=st"}, 1, "", "Rules 2 and 3 share byte 4 of the data array"},
        {{"map", "Faulty", "--format=l5x"}, 1, "", "Rules 2 and 3 share byte 4 of the data array"},
        {{"map", "Clean", "--format", "iec"}, 0, "END_STRUCT;\nEND_TYPE\n", ""},
        {{"map", "Clean", "--format", "plcopen"},
         0,
         "<project xmlns=\"http://www.plcopen.org/xml/tc6_0201\"",
         ""},

        // The report: the same folder and document errors, and what it writes.
        {{"report", "--help"}, 0, "Usage: tessellor-cli report CONFIG_DIR -o FILE.pdf", ""},
        {{"report"}, 2, "", "report: missing CONFIG_DIR"},
        {{"report", "Clean"}, 2, "", "report: missing -o FILE"},
        {{"report", "Clean", "-o"}, 2, "", "report: -o needs a file name"},
        {{"report", "Nowhere", "-o", "n.pdf"}, 2, "", "report: no such configuration folder Nowhere"},
        {{"report", "Broken", "-o", "b.pdf"}, 1, "", "Broken/ParGen.xml: Opening and ending tag mismatch"},
        {{"report", "Clean", "-o", "Notes"}, 1, "", "tessellor-cli: cannot write Notes: "},
        {{"report", "Clean", "-o", "clean.pdf"},
         1,
         "Wrote clean.pdf: 2 compiled rules, Review: no findings\n",
         "tessellor-cli: Compiled image: none: bin/bank.bin is missing."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const CliOutcome result = run(c.arguments);
        expectCliCase(result, c);
        if (c.exitCode != 0) {
            EXPECT_TRUE(c.exitCode != 2 || result.out.isEmpty());
            if (c.err[0]) {
                EXPECT_EQ(result.err.count(u'\n'), 1);
            }
        }
    }
}

// The report of a compiled configuration, on Windows too; its pages are read in cli_report_test.
TEST_F(ReviewCommandsTest, ReportOfACompiledConfigurationIsAPdf) {
    ASSERT_EQ(run({"compile", "Faulty"}).exitCode, 0);
    const CliOutcome result = run({"report", "Faulty", "-o", "faulty.pdf"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, "Wrote faulty.pdf: 2 compiled rules, Review: errors 2, warnings 1, notes 0\n");
    QFile pdf(path("faulty.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().startsWith("%PDF-"));
    // Refused documents leave the file as it was.
    EXPECT_EQ(run({"report", "Broken", "-o", "faulty.pdf"}).exitCode, 1);
    EXPECT_EQ(QFileInfo(path("faulty.pdf")).size(), pdf.size());
}

TEST_F(ReviewCommandsTest, ReviewPrintsOneFindingALine) {
    const CliOutcome result = run({"review", "Faulty"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(
        result.out.toStdString(),
        "error left-out 1: Rule 1 is shown enabled but left out of the image: its serial channel RS485 2 is "
        "switched "
        "off in the communication parameters. Switch the port on, or choose another channel.\n"
        "error overlap 2,3: Rules 2 and 3 both write byte 4 of the data array. Move one of them.\n"
        "warning gateway-outside-subnet: The gateway 10.0.0.1 is outside the subnet of the address "
        "192.168.0.5 "
        "with mask 255.255.255.0, so the device cannot reach it. Correct the gateway, or switch it off "
        "in the "
        "communication parameters.\n");
    EXPECT_TRUE(result.err.isEmpty());
    EXPECT_EQ(run({"review", "Clean"}).out, QString()); // nothing to report
}

TEST_F(ReviewCommandsTest, ReviewAsJson) {
    CliOutcome result = run({"review", "--json", "Faulty"});
    EXPECT_EQ(result.exitCode, 1);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(result.out.toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << result.out.toStdString();
    const QJsonArray findings = document["findings"].toArray();
    ASSERT_EQ(findings.size(), 3);
    const QJsonObject leftOut = findings[0].toObject();
    EXPECT_EQ(leftOut.keys(), (QStringList{"kind", "message", "reason", "rules", "severity"}));
    EXPECT_EQ(leftOut["severity"], "error");
    EXPECT_EQ(leftOut["kind"], "left-out");
    EXPECT_EQ(leftOut["reason"], "port-disabled");
    EXPECT_EQ(leftOut["rules"].toArray(), QJsonArray{1});
    EXPECT_TRUE(findings[1].toObject()["reason"].isNull());
    EXPECT_EQ(findings[1].toObject()["rules"].toArray(), (QJsonArray{2, 3}));
    const QJsonObject gateway = findings[2].toObject();
    EXPECT_EQ(gateway["kind"], "gateway-outside-subnet");
    EXPECT_EQ(gateway["severity"], "warning");
    EXPECT_EQ(gateway["rules"].toArray(), QJsonArray{});
    EXPECT_TRUE(gateway["message"].toString().startsWith("The gateway 10.0.0.1"));

    result = run({"review", "Clean", "--json"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(QJsonDocument::fromJson(result.out.toUtf8()),
              QJsonDocument(QJsonObject{{"findings", QJsonArray{}}}));
}

TEST_F(ReviewCommandsTest, MapInEachFormat) {
    CliOutcome result = run({"map", "Faulty"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(
        result.out.toStdString(),
        "rule,mnemonic,channel,sentence,field,index,post_operation,swaps,first_byte,size,last_byte,type,"
        "meaning,output_bytes,input_bytes,member,byte_order\n"
        "2,Heading,RS232,HDT,\"Heading, degrees True, Number [floating point]\",0,None,none,2,4,5,REAL,as "
        "sent,496,496,Heading,no swap on 4 bytes: b0 b1 b2 b3\n"
        "3,Sats,RS232,GGA,Number of satellites in use [decimal],0,None,none,4,1,4,USINT,as sent,496,496,Sats,"
        "no swap on 1 byte: b0\n");

    // The checksum every export names is the one the image gets.
    BankImage image;
    ASSERT_TRUE(Compile_Bank(path("Clean/ParGen.xml"), path("Clean/NMEA_0183_Set_Access.xml"), image));
    result = run({"map", "Clean", "--format", "json"});
    EXPECT_EQ(result.exitCode, 0);
    const QJsonObject json = QJsonDocument::fromJson(result.out.toUtf8()).object();
    EXPECT_EQ(json["configuration"], "Clean");
    EXPECT_EQ(json["imageChecksum"].toInteger(), qint64(image.u32(BankLayout::Checksum)));
    const QJsonArray mapped = json["rules"].toArray();
    ASSERT_EQ(mapped.size(), 2);
    EXPECT_EQ(mapped[0].toObject()["rule"].toInt(), 1);
    EXPECT_EQ(mapped[1].toObject()["lastByte"].toInt(), 8);

    result = run({"map", "Clean", "--format", "st"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.contains(QStringLiteral("T_Clean of configuration \"Clean\"")))
        << result.out.toStdString();
    EXPECT_TRUE(
        result.out.contains(QStringLiteral("Image checksum %1 ").arg(image.u32(BankLayout::Checksum))));
    EXPECT_TRUE(result.out.contains("{attribute 'pack_mode' := '1'}\nTYPE T_Clean :\nSTRUCT\n"
                                    "    Heading : REAL; (* rule 1, RS232, HDT"));
    EXPECT_TRUE(result.out.contains("    Gap_4 : ARRAY [0..3] OF BYTE; (* no rule, bytes 4 to 7 *)\n"
                                    "    Rule_2 : USINT; (* rule 2, RS232, GGA"));
    EXPECT_TRUE(result.out.contains(
        "    Gap_9 : ARRAY [0..486] OF BYTE; (* no rule, bytes 9 to 495 *)\nEND_STRUCT\n"));

    // Logix reads a byte at 8 but not a REAL at 2: each member to move on a line of its own.
    result = run({"map", "Notes", "--format", "l5x"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.contains("<DataType Use=\"Target\" Name=\"T_Notes\""));
    add("Misplaced", ParGenSet(),
        rules(row("RS232", "GGA", kSatellites, 0, "Sats") + row("RS232", "HDT", kHeading, 2, "Heading") +
              row("RS232", "HDT", kHeading, 7, "Again")));
    // Without --strict-layout, the bytes and a routine that moves them into typed members.
    result = run({"map", "Misplaced", "--format", "l5x"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.contains("TargetType=\"Routine\"")) << result.out.toStdString();
    EXPECT_TRUE(
        result.out.contains("Rule 2 (Heading, REAL) at byte 2: the nearest position Logix reads is byte 4."));
    result = run({"map", "Misplaced", "--format", "l5x", "--strict-layout"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_EQ(
        result.err.toStdString(),
        "tessellor-cli: Logix cannot read this layout: it places INT on multiples of 2, DINT and REAL on "
        "multiples of 4 and arrays on whole 4-byte words.\n"
        "tessellor-cli: Rule 2 (Heading, REAL) at byte 2: the nearest position Logix reads is byte 4.\n"
        "tessellor-cli: Rule 3 (Again, REAL) at byte 7: the nearest position Logix reads is byte 8.\n");
    // The same for a standard compiler: the decoder only, or with --strict-layout a refusal.
    result = run({"map", "Misplaced", "--format", "iec"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_FALSE(result.out.contains("STRUCT"));
    EXPECT_TRUE(result.out.contains("FUNCTION_BLOCK FB_Misplaced_Decode\n"));
    result = run({"map", "Misplaced", "--format", "iec", "--strict-layout"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains("tessellor-cli: Rule 2 (Heading, REAL) at byte 2: the nearest position a "
                                    "standard compiler reads is byte 4.\n"))
        << result.err.toStdString();
}

TEST_F(ReviewCommandsTest, DumpShowsEachRulesBytesAndTheChecksumAsTheUpdaterLogs) {
    BankImage image;
    ASSERT_TRUE(Compile_Bank(path("Clean/ParGen.xml"), path("Clean/NMEA_0183_Set_Access.xml"), image));
    const quint32 checksum = image.u32(BankLayout::Checksum);
    ASSERT_EQ(run({"compile", "Clean"}).exitCode, 0);
    const CliOutcome result = run({"dump", "Clean/bin/bank.bin"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(
        result.out.contains(QStringLiteral("0x7FC checksum: %1 (0x%2)\n")
                                .arg(checksum)
                                .arg(QString::number(checksum, 16).toUpper().rightJustified(8, u'0'))))
        << result.out.toStdString();
    EXPECT_TRUE(result.out.contains("Index 0, Position 0, size 4, last byte 3\n"));
    EXPECT_TRUE(result.out.contains("Index 0, Position 8, size 1, last byte 8\n"));
}

} // namespace
