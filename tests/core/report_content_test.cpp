// What the commissioning report says, checked without painting it: every compiled rule as the PLC
// reads it, the ports and the network as the device gets them, the findings, whether the image in
// bin/ is the one these documents compile to, and texts from the catalog's language.
#include "ReportSample.h"
#include "core/image/BankCompiler.h"
#include "core/language/MessageCatalog.h"
#include "core/language/TextSlots.h"
#include "core/review/CommissioningReport.h"
#include "core/shell/ConfigurationFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

namespace {

using namespace ReportSample;
using Review::StoredImage;

QString checksumText(quint32 checksum) {
    return QStringLiteral("%1 (0x%2)")
        .arg(checksum)
        .arg(QString::number(checksum, 16).toUpper().rightJustified(8, u'0'));
}

const QDateTime kCreated(QDate(2026, 3, 1), QTime(10, 30), QTimeZone(3600));

class ReportContentTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_root.isValid()); }

    QString folder(const char* name) const { return m_root.filePath(QLatin1String(name)); }
    Review::CommissioningReport report(const char* name,
                                       const MessageCatalog& texts = MessageCatalog()) const {
        QString error;
        Review::CommissioningReport made = Review::folderReport(folder(name), kCreated, texts, &error);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        return made;
    }
    static QString fact(const Review::CommissioningReport& report, Review::CommissioningReport::Fact fact) {
        return report.facts.value(fact).value;
    }

    QTemporaryDir m_root;
};

TEST_F(ReportContentTest, EveryCompiledRuleWithWhatThePlcReadsAndEveryFinding) {
    ParGenSet parameters;
    parameters.RS485_1.BaudIndex = 5;     // 38400
    parameters.RS485_1.ParityIndex = 2;   // EVEN
    parameters.RS485_1.StopBitsIndex = 1; // 2 bits
    parameters.RS485_2.Enable = false;
    parameters.EtherNetIP_NB_Output = QStringLiteral("32");
    parameters.EtherNetIP_NB_Input = QStringLiteral("8");
    write(folder("Ship"), parameters,
          rules(row({"RS232", "HDT", kHeading, 0, "Heading", "", "x 10"}) +
                row({"RS485 / RS422", "XDR", kProbe, 4, "Probe", "2", "None", "Y"}) +
                row({"RS232", "GGA", kSatellites, 8, " Sats "}) +
                row({"RS232", "HDT", kHeading, 6, "", "", ": 100", "N", "Y"}) +
                row({"RS485 2", "HDT", kHeading, 12, "Off"})));
    const Review::CommissioningReport sheet = report("Ship");

    BankImage image;
    ASSERT_TRUE(Compile_Bank(folder("Ship/ParGen.xml"), folder("Ship/NMEA_0183_Set_Access.xml"), image));
    const quint32 checksum = image.u32(BankLayout::Checksum);
    EXPECT_EQ(sheet.facts.value(Review::CommissioningReport::Configuration).label, "Configuration");
    EXPECT_EQ(fact(sheet, sheet.Configuration), "Ship");
    EXPECT_EQ(fact(sheet, sheet.Date), "2026-03-01 10:30 UTC+01:00");
    EXPECT_EQ(fact(sheet, sheet.Program), "Tessellor SW73052 1.000");
    EXPECT_EQ(fact(sheet, sheet.Checksum), checksumText(checksum));
    EXPECT_EQ(fact(sheet, sheet.Source), "the saved documents");

    EXPECT_EQ(sheet.ports.headings,
              (QStringList{"Port", "State", "Baud rate", "Parity", "Stop bits", "Data bits"}));
    EXPECT_EQ(sheet.ports.rows, (QList<QStringList>{{"RS232", "On", "4800", "NONE", "1 bit", "8"},
                                                    {"RS485 1", "On", "38400", "EVEN", "2 bits", "8"},
                                                    {"RS485 2", "Off", "", "", "", ""}}));
    QStringList network;
    for (const Review::ReportFact& f : sheet.network)
        network << f.label + u'=' + f.value;
    EXPECT_EQ(network, (QStringList{"IP address=192.168.0.5", "Subnet mask=255.255.255.0", "Gateway=not used",
                                    "EtherNet/IP port=2000", "Output array (converter to PLC)=32 bytes",
                                    "Input array (PLC to converter)=8 bytes",
                                    "Byte order=little-endian, the byte order of EtherNet/IP"}));

    // By first byte; a swapped value is raw bytes, a swap without effect leaves the type; the rule
    // on the port that is off is not compiled and is a finding instead.
    EXPECT_EQ(sheet.rules.rows,
              (QList<QStringList>{
                  {"1", "RS232", "HDT", kHeading, "REAL", "value x 10: divide by 10", "-", "0 to 3",
                   "Heading", "Heading"},
                  {"2", "RS485 1", "XDR, Index 2", kProbe, "ARRAY [0..3] OF BYTE", "as sent", "All", "4 to 7",
                   "Probe", "Probe"},
                  {"4", "RS232", "HDT", kHeading, "ARRAY [0..3] OF BYTE", "value / 100: multiply by 100",
                   "16", "6 to 9", "", "Rule_4"},
                  {"3", "RS232", "GGA", kSatellites, "USINT", "as sent", "-", "8", "Sats", "Sats"}}));
    EXPECT_EQ(sheet.rules.headings.size(), 10);
    EXPECT_EQ(sheet.rules.headings.last(), "Member");

    // The errors said first, the page left to the layout; the connection as the PLC sees it.
    EXPECT_TRUE(
        sheet.errorBanner.arg(2).startsWith("Errors in the review: 3. The PLC will not receive rules "))
        << sheet.errorBanner.toStdString();
    EXPECT_TRUE(sheet.errorBanner.arg(2).endsWith(" as this sheet shows them: see page 2."));
    QStringList labels;
    for (const Review::ReportFact& fact : sheet.connection)
        labels << fact.label;
    EXPECT_EQ(labels,
              (QStringList{"PLC input: the converter's Output array",
                           "PLC output: the converter's Input array", "Values",
                           "Byte order in the array (b0: a number's least significant byte, a text's first "
                           "character)",
                           "Logix copy step", "Output array assembly instance (from the converter's manual)",
                           "Input array assembly instance (from the converter's manual)",
                           "Configuration assembly instance (from the converter's manual)",
                           "RPI in ms (from the converter's manual)"}));
    EXPECT_EQ(sheet.connection[3].value, "Swap All on 4 bytes: b3 b2 b1 b0\nSwap 16 on 4 bytes: b2 b3 b0 b1");

    const Review::Result review =
        Review::reviewDocuments(folder("Ship/ParGen.xml"), folder("Ship/NMEA_0183_Set_Access.xml"));
    ASSERT_EQ(sheet.findings.rows.size(), review.findings.size());
    EXPECT_EQ(sheet.findings.rows.value(0), (QStringList{"Error", "5", review.findings[0].message}));
    EXPECT_EQ(sheet.findingsSummary, "Review: errors 3, warnings 0, notes 1");
    QStringList severities;
    for (const QStringList& r : sheet.findings.rows)
        severities << r[0] + u'/' + r[1];
    EXPECT_EQ(severities.join(u' '), "Error/5 Error/2, 4 Error/3, 4 Note/1, 4");

    // The map reaches past the output array only as far as a rule does.
    EXPECT_EQ(sheet.outputBytes, 32u);
    EXPECT_EQ(sheet.mapBytes, 32);
    EXPECT_EQ(sheet.mapRules.size(), 4);
    EXPECT_EQ(sheet.signature, (QStringList{"Name", "Date", "Signature"}));
}

TEST_F(ReportContentTest, SaysWhetherTheConfigurationsImageIsTheOneItsDocumentsCompileTo) {
    const QByteArray two =
        rules(row({"RS232", "HDT", kHeading, 0, "Heading"}) + row({"RS232", "GGA", kSatellites, 8}));
    write(folder("Ship"), ParGenSet(), two);
    const QString bank = ConfigurationFiles(folder("Ship")).bank();
    BankImage image;
    ASSERT_TRUE(Compile_Bank(folder("Ship/ParGen.xml"), folder("Ship/NMEA_0183_Set_Access.xml"), image));

    // The image built from the review is the compiler's, byte for byte.
    const Review::Result review =
        Review::reviewDocuments(folder("Ship/ParGen.xml"), folder("Ship/NMEA_0183_Set_Access.xml"));
    BankImage parameters;
    ASSERT_TRUE(compileParameterDocument(folder("Ship/ParGen.xml"), parameters));
    ASSERT_TRUE(Review::compiledImage(review, parameters));
    EXPECT_EQ(Review::compiledImage(review, parameters)->bytes(), image.bytes());

    const auto store = [&](const QByteArray& bytes) {
        QFile file(bank);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    };
    Review::CommissioningReport sheet = report("Ship");
    EXPECT_EQ(sheet.image, StoredImage::Missing);
    EXPECT_TRUE(fact(sheet, sheet.CompiledImage).startsWith("none: bin/bank.bin is missing"));

    store(image.bytes());
    sheet = report("Ship");
    EXPECT_EQ(sheet.image, StoredImage::Same);
    EXPECT_EQ(fact(sheet, sheet.CompiledImage), "bin/bank.bin holds this image");

    // A rule moved after compiling: the checksum covers no rule record, so it stays, but the image
    // in bin/ puts the value elsewhere.
    write(folder("Ship"), ParGenSet(),
          rules(row({"RS232", "HDT", kHeading, 0, "Heading"}) + row({"RS232", "GGA", kSatellites, 9})));
    sheet = report("Ship");
    EXPECT_EQ(fact(sheet, sheet.Checksum).section(u' ', 0, 0),
              QString::number(image.u32(BankLayout::Checksum)));
    EXPECT_EQ(sheet.image, StoredImage::Differs);
    EXPECT_EQ(
        fact(sheet, sheet.CompiledImage),
        QStringLiteral("bin/bank.bin holds another image (checksum %1). Compile again before the device "
                       "is written.")
            .arg(checksumText(image.u32(BankLayout::Checksum))));

    store(image.bytes().left(100));
    sheet = report("Ship");
    EXPECT_EQ(sheet.image, StoredImage::Unreadable);
    EXPECT_EQ(fact(sheet, sheet.CompiledImage), "bin/bank.bin cannot be read: it is not 3584 bytes long");

    // More rules than an image holds: no checksum, no image to compare.
    write(folder("Ship"), ParGenSet(), rules(probes(129)));
    sheet = report("Ship");
    EXPECT_EQ(sheet.image, StoredImage::TooMany);
    EXPECT_EQ(fact(sheet, sheet.Checksum), "none: an image holds at most 128 rules");
    EXPECT_EQ(sheet.rules.rows.size(), 129);
}

TEST_F(ReportContentTest, ADocumentThatCannotBeReadGivesNoReport) {
    write(folder("Broken"), ParGenSet(), rules(""));
    QFile broken(folder("Broken/ParGen.xml"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("<Par_Gen><RS232_ENABLE>1</Par_Gen>");
    broken.close();
    QString error;
    const Review::CommissioningReport sheet =
        Review::folderReport(folder("Broken"), kCreated, MessageCatalog(), &error);
    EXPECT_TRUE(error.contains("ParGen.xml: Opening and ending tag mismatch")) << error.toStdString();
    EXPECT_TRUE(sheet.facts.isEmpty());
}

TEST_F(ReportContentTest, TextsComeFromTheCatalogOfTheChosenLanguage) {
    write(folder("Schiff"), ParGenSet(),
          rules(row({"RS232", "HDT", kHeading, 0, "Kurs", "", "x 10"}) + row({"RS232", "HDT", kHeading, 2})));
    MessageCatalog german;
    ASSERT_TRUE(german.Load_Lng_File(QStringLiteral(TESSELLOR_SOURCE_DIR "/data/LANGUAGE/Deutsch.lng")));
    const Review::CommissioningReport sheet = report("Schiff", german);
    EXPECT_EQ(sheet.title, "Inbetriebnahmebericht");
    EXPECT_EQ(sheet.facts.value(sheet.Configuration).label, "Konfiguration");
    EXPECT_TRUE(fact(sheet, sheet.CompiledImage).startsWith("keines: bin/bank.bin fehlt"));
    EXPECT_EQ(sheet.ports.rows.value(0).value(1), "Ein");
    EXPECT_EQ(sheet.rules.headings.value(5), "Skalierung");
    EXPECT_EQ(sheet.rules.rows.value(0).value(5), "Wert x 10: durch 10 dividieren");
    EXPECT_EQ(sheet.rules.rows.value(0).value(7), "0 bis 3");
    EXPECT_EQ(sheet.findings.rows.value(0).value(0), german.text(TextSlot::ReviewWindows::Severities.first));
    EXPECT_EQ(sheet.findingsSummary, "Prüfung: Fehler 1, Warnungen 0, Hinweise 1");
    EXPECT_EQ(sheet.signature.value(2), "Unterschrift");
}

} // namespace
