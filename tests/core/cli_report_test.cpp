// The companion's commissioning report read back from the PDF through poppler's pdftotext: every
// rule and every finding on the pages, the header's facts, without a display.
#include "CliRun.h"
#include "PdfText.h"
#include "ReportSample.h"
#include "core/image/BankCompiler.h"
#include "core/language/MessageCatalog.h"
#include "core/review/CommissioningReport.h"

#include <QDate>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

namespace {

using namespace ReportSample;

class CliReportTest : public CliFolderTest {
protected:
    // The companion as a script or an ssh session runs it: no platform named, no display.
    CliOutcome runWithoutDisplay(const QStringList& arguments) const {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"})
            environment.remove(QLatin1String(name));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_root.path());
        process.start(QStringLiteral(TESSELLOR_BINARY_DIR "/tessellor-cli"), arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
};

TEST_F(CliReportTest, EveryRuleAndEveryFindingIsOnThePagesWithTheHeaderFacts) {
    // More rules than one page holds, a rule the PLC never receives and two that read the same.
    ParGenSet parameters;
    parameters.EtherNetIP_EN_GAT = true;
    write(path("Fleet"), parameters,
          rules(probes(100) + row({"RS485 2", "XDR", kProbeName, 480, "Probe name", "5"}) +
                row({"RS485 / RS422", "HDT", kHeading, 420, "Heading"}) +
                row({"RS485 / RS422", "HDT", kHeading, 424, "Heading again", "", "x 10", "N", "Y"})));
    ASSERT_EQ(run({"compile", "Fleet"}).exitCode, 0);

    const CliOutcome result = runWithoutDisplay({"report", "Fleet", "-o", "fleet.pdf"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.err, QString());
    EXPECT_EQ(result.out, "Wrote fleet.pdf: 103 compiled rules, Review: errors 1, warnings 0, notes 11\n");

    const QString text = pdfText(path("fleet.pdf"));
    QString error;
    const Review::CommissioningReport sheet =
        Review::folderReport(path("Fleet"), QDateTime::currentDateTime(), MessageCatalog(), &error);
    ASSERT_TRUE(error.isEmpty());
    ASSERT_EQ(sheet.rules.rows.size(), 103);
    ASSERT_EQ(sheet.findings.rows.size(), 12);
    // Each row reads as its cells in order: rule, channel, sentence, field, type, scaling, swap,
    // bytes, mnemonic; each finding as severity, rules, message.
    for (const QStringList& row : sheet.rules.rows)
        EXPECT_TRUE(text.contains(row.join(u' ').simplified())) << row.join(u'|').toStdString();
    for (const QStringList& row : sheet.findings.rows)
        EXPECT_TRUE(text.contains(row.join(u' ').simplified())) << row.join(u'|').toStdString();
    EXPECT_TRUE(text.contains("XDR, Index 5 Transducer ID [character string] (20 characters) ARRAY [0..19] "
                              "OF BYTE as sent - 480 to 499 Probe name"));

    BankImage image;
    ASSERT_TRUE(Compile_Bank(path("Fleet/ParGen.xml"), path("Fleet/NMEA_0183_Set_Access.xml"), image));
    const quint32 checksum = image.u32(BankLayout::Checksum);
    for (const QString& fact :
         {QStringLiteral(
              "Commissioning Report EtherNet/IP / NMEA0183 - Converter Configuration Fleet Date ") +
              QDate::currentDate().toString(u"yyyy-MM-dd"),
          QStringLiteral(
              "Program Tessellor SW73052 1.000 Image checksum %1 (0x%2) Compiled image bin/bank.bin "
              "holds this image Rules from the saved documents")
              .arg(checksum)
              .arg(QString::number(checksum, 16).toUpper().rightJustified(8, u'0')),
          QStringLiteral("RS485 2 On 4800 NONE 1 bit 8"), QStringLiteral("Gateway 192.168.0.1"),
          QStringLiteral("Output array (converter to PLC) 496 bytes"),
          QStringLiteral("Review Findings Review: errors 1, warnings 0, notes 11"),
          QStringLiteral("Commissioned and handed over: Name Date Signature")})
        EXPECT_TRUE(text.contains(fact)) << fact.toStdString() << "\n" << text.left(1500).toStdString();

    // The rules run over pages, each numbered with the count.
    const int pages = pdfPages(path("fleet.pdf"));
    EXPECT_GE(pages, 4);
    EXPECT_TRUE(text.contains(QStringLiteral("Page 1 of %1").arg(pages)));
    EXPECT_TRUE(text.contains(QStringLiteral("Page %1 of %1").arg(pages)));
    EXPECT_TRUE(text.contains("Commissioning Report - Fleet")); // the running head of a later page
}

TEST_F(CliReportTest, WithoutACompiledImageTheSheetSaysSoAndTheExitCodeToo) {
    write(path("Draft"), ParGenSet(), rules(row({"RS232", "HDT", kHeading, 0, "Heading"})));
    const CliOutcome result = runWithoutDisplay({"report", "Draft", "-o", "draft.pdf"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "tessellor-cli: Compiled image: none: bin/bank.bin is missing. Compile the "
                          "configuration (Update Device) before the device is written.\n");
    const QString text = pdfText(path("draft.pdf"));
    EXPECT_TRUE(text.contains("Compiled image none: bin/bank.bin is missing.")) << text.toStdString();
    EXPECT_TRUE(
        text.contains("1 RS232 HDT Heading, degrees True, Number [floating point] REAL as sent - 0 to 3 "
                      "Heading"));
    EXPECT_TRUE(text.contains("Review: no findings"));
}

// What a PLC engineer sets the connection up from, read back as pdftotext reads it: the errors on
// the first page, the sizes from the PLC's side, the byte orders, the copy step, the blanks for
// the converter's manual and the member names.
TEST_F(CliReportTest, TheFirstPageSaysTheErrorsAndTheConnectionFromThePlcsSide) {
    ParGenSet parameters;
    parameters.EtherNetIP_NB_Output = QStringLiteral("12");
    parameters.EtherNetIP_NB_Input = QStringLiteral("6");
    write(path("Deck"), parameters,
          rules(row({"RS232", "HDT", kHeading, 0, "Log"}) +
                row({"RS232", "HDT", kHeading, 4, "Heading", "", "x 10", "Y", "N"}) +
                row({"RS232", "GGA", kSatellites, 8, "NON RETAIN"}) +
                row({"RS232", "HDT", kHeading, 10, "Late"}) + row({"RS232", "HDT", kHeading, 14, "Later"})));
    ASSERT_EQ(run({"compile", "Deck"}).exitCode, 0);
    const CliOutcome result = runWithoutDisplay({"report", "Deck", "-o", "deck.pdf"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();

    const auto pageText = [this](int page) {
        QProcess process;
        process.start(QStringLiteral("pdftotext"),
                      {QStringLiteral("-raw"), QStringLiteral("-f"), QString::number(page),
                       QStringLiteral("-l"), QString::number(page), path("deck.pdf"), QStringLiteral("-")});
        EXPECT_TRUE(process.waitForFinished(60000));
        return QString::fromUtf8(process.readAllStandardOutput()).simplified();
    };
    const QString page1 = pageText(1);
    const QString text = pdfText(path("deck.pdf"));
    // Rules 4 and 5 end past the 12-byte output array; the banner names the findings' page.
    int findingsPage = 0;
    for (int page = pdfPages(path("deck.pdf")); page >= 1 && !findingsPage; --page) {
        if (pageText(page).contains("Review Findings Review: errors 2"))
            findingsPage = page;
    }
    ASSERT_GT(findingsPage, 0) << text.toStdString();
    EXPECT_TRUE(
        page1.contains(QStringLiteral("Errors in the review: 2. The PLC will not receive rules 4, 5 as "
                                      "this sheet shows them: see page %1.")
                           .arg(findingsPage)))
        << page1.toStdString();
    for (const char* line : {"PLC input: the converter's Output array 12 bytes, data as bytes (SINT)",
                             "PLC output: the converter's Input array 6 bytes, data as bytes (SINT)",
                             "Swap All on 4 bytes: b3 b2 b1 b0",
                             "Output array assembly instance (from the converter's manual) ____",
                             "RPI in ms (from the converter's manual) ____",
                             "Logix copy step none: the rules have no layout (see the findings)"})
        EXPECT_TRUE(text.contains(QLatin1String(line))) << line << "\n" << text.toStdString();
    // The member each rule takes in the exported types, beside its mnemonic.
    EXPECT_TRUE(text.contains("as sent - 0 to 3 Log R_Log")) << text.toStdString();
    EXPECT_TRUE(text.contains("8 NON RETAIN R_NON_RETAIN")) << text.toStdString();

    // Without errors no banner, and the copy step where Logix reads the type as it is.
    write(path("Clean"), parameters, rules(row({"RS232", "HDT", kHeading, 0, "Heading"})));
    ASSERT_EQ(run({"compile", "Clean"}).exitCode, 0);
    ASSERT_EQ(runWithoutDisplay({"report", "Clean", "-o", "clean.pdf"}).exitCode, 0);
    const QString clean = pdfText(path("clean.pdf"));
    EXPECT_FALSE(clean.contains("Errors in the review"));
    EXPECT_TRUE(
        clean.contains("COP(<module>:I.Data[0], <tag of T_Clean>, 1): the length counts whole T_Clean "
                       "structures of 12 bytes"))
        << clean.toStdString();
}

} // namespace
