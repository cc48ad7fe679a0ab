#include "core/comm/ParGen.h"
#include "core/image/BankCompiler.h"
#include "core/language/MessageCatalog.h"
#include "core/nmea/RulesCheck.h"
#include "core/review/Review.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <optional>

namespace {

// Catalog fields by size, so that each case reads as a byte layout.
const char* const kHeading = "Heading, degrees True, Number [floating point]";          // HDT, 4 bytes
const char* const kLatitude = "Latitude, Minutes [floating point]";                     // GGA, 4 bytes
const char* const kSatellites = "Number of satellites in use [decimal]";                // GGA, 1 byte
const char* const kFraction = "UTC of position, decimal-fraction of seconds [decimal]"; // GGA, 2 bytes
const char* const kMeasurement = "Measurement data [floating point]"; // XDR, 4 bytes, indexed

using Attributes = std::vector<std::pair<const char*, std::optional<QString>>>;

// One row element: a ticked rule on RS232 with post operation None, changed by the attributes
// given (nullopt removes one).
QByteArray row(const char* sentence, const char* field, int position, const Attributes& changes = {}) {
    std::vector<std::pair<QByteArray, std::optional<QString>>> attributes{
        {"Enable", QStringLiteral("Y")},           {"Serial_Channel", QStringLiteral("RS232")},
        {"Sentence", QString::fromUtf8(sentence)}, {"Index", QString()},
        {"DataField", QString::fromUtf8(field)},   {"PortOperation", QStringLiteral("None")},
        {"SwapAll", QStringLiteral("N")},          {"Swap16", QStringLiteral("N")},
        {"Position", QString::number(position)},   {"Mnemonic", QString()},
    };
    for (const auto& [name, value] : changes) {
        for (auto& attribute : attributes) {
            if (attribute.first == name)
                attribute.second = value;
        }
    }
    QByteArray xml = "<row";
    for (const auto& [name, value] : attributes) {
        if (value)
            xml += " " + name + "=\"" + value->toHtmlEscaped().toUtf8() + "\"";
    }
    return xml + "/>";
}

QByteArray rulesDocument(const QByteArray& rows) {
    return "<NMEA_0183><NMEA_Listener>" + rows + "</NMEA_Listener></NMEA_0183><!--SW_VERSION = 1.007-->";
}

// "severity kind rules reason", plus the shared bytes of an overlap.
QString describe(const Review::Finding& f) {
    QStringList rules;
    for (int rule : f.rules)
        rules << QString::number(rule);
    QString text = QStringLiteral("%1 %2 %3 %4")
                       .arg(Review::severityName(f.severity), Review::kindName(f.kind), rules.join(u','),
                            Review::reasonName(f.reason))
                       .trimmed();
    if (f.firstByte >= 0)
        text += QStringLiteral(" %1-%2").arg(f.firstByte).arg(f.lastByte);
    return text;
}

QStringList describe(const QList<Review::Finding>& findings) {
    QStringList lines;
    for (const Review::Finding& f : findings)
        lines << describe(f);
    return lines;
}

class ReviewTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }

    QString parGenPath() const { return m_folder.filePath(QStringLiteral("ParGen.xml")); }
    QString rulesPath() const { return m_folder.filePath(QStringLiteral("NMEA_0183_Set_Access.xml")); }

    void write(const ParGenSet& set, const QByteArray& rules) {
        ASSERT_TRUE(ParGen::save(parGenPath(), set));
        QFile file(rulesPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(rules);
    }

    QTemporaryDir m_folder;
};

TEST_F(ReviewTest, EachKindAndReasonOnASmallConfiguration) {
    const auto noChange = [](ParGenSet&) {};
    const struct {
        const char* name;
        std::function<void(ParGenSet&)> parameters;
        QByteArray rows;
        QStringList expected;
    } cases[]{
        {"clean, touching ranges", noChange, row("HDT", kHeading, 0) + row("GGA", kLatitude, 4), {}},
        {"Enable in lower case",
         noChange,
         row("HDT", kHeading, 0, {{"Enable", "y"}}),
         {"error left-out 1 enable"}},
        {"Enable missing",
         noChange,
         row("HDT", kHeading, 0, {{"Enable", std::nullopt}}),
         {"error left-out 1 enable"}},
        {"unticked or without sentence: not shown as a rule, and the rules window drops what follows",
         noChange,
         row("XYZ", kHeading, 0, {{"Enable", "N"}}) + row(" ", kHeading, 0) +
             row("HDT", kHeading, 0, {{"Sentence", std::nullopt}}),
         {"warning not-saved 2", "warning not-saved 3"}},
        {"channel missing",
         noChange,
         row("HDT", kHeading, 0, {{"Serial_Channel", std::nullopt}}),
         {"error left-out 1 channel"}},
        {"the compiler's first test decides",
         noChange,
         row("XYZ", "none", 0, {{"Enable", "yes"}, {"Serial_Channel", std::nullopt}}),
         {"error left-out 1 enable"}},
        {"port switched off, the next rule compiled",
         [](ParGenSet& s) { s.RS485_2.Enable = false; },
         row("HDT", kHeading, 0, {{"Serial_Channel", "RS485 2"}}) + row("HDT", kHeading, 0),
         {"error left-out 1 port-disabled"}},
        {"sentence not in the catalog", noChange, row("XYZ", kHeading, 0), {"error left-out 1 sentence"}},
        {"unsupported sentence", noChange, row("BWC", kHeading, 0), {"error left-out 1 unsupported"}},
        {"no such field: the rules window refuses it, which says it all",
         noChange,
         row("HDT", "Heading", 0),
         {"error incomplete 1"}},
        {"what the compiler accepts is no finding",
         noChange,
         row(" gga ", kLatitude, 0,
             {{"Serial_Channel", " rs485 1 "}, {"DataField", " latitude, minutes [FLOATING point] "}}),
         {}},

        {"overlap of two bytes",
         noChange,
         row("HDT", kHeading, 0) + row("GGA", kLatitude, 2),
         {"error overlap 1,2 2-3"}},
        {"overlap of the last byte",
         noChange,
         row("GGA", kSatellites, 3) + row("HDT", kHeading, 0),
         {"error overlap 1,2 3-3"}},
        {"one overlap per pair",
         noChange,
         row("HDT", kHeading, 0) + row("GGA", kLatitude, 1) + row("GGA", kSatellites, 8) +
             row("GGA", kFraction, 2),
         {"error overlap 1,2 1-3", "error overlap 1,4 2-3", "error overlap 2,4 2-3"}},

        {"1999 + 4",
         [](ParGenSet& s) { s.EtherNetIP_NB_Output = "4000"; },
         row("HDT", kHeading, 1999),
         {"error beyond-data-array 1"}},
        {"1996 + 4 ends on the last byte",
         [](ParGenSet& s) { s.EtherNetIP_NB_Output = "2000"; },
         row("HDT", kHeading, 1996),
         {}},
        {"past the data array and the output array",
         noChange,
         row("HDT", kHeading, 1999),
         {"error beyond-data-array 1", "error unreachable 1"}},
        {"the last byte of the output array", noChange, row("GGA", kSatellites, 495), {}},
        {"one past the output array", noChange, row("GGA", kSatellites, 496), {"error unreachable 1"}},
        {"within a larger output array",
         [](ParGenSet& s) { s.EtherNetIP_NB_Output = "600"; },
         row("GGA", kSatellites, 596),
         {}},
        {"the input array carries the PLC's data, not the rules'",
         [](ParGenSet& s) { s.EtherNetIP_NB_Input = "600"; },
         row("GGA", kSatellites, 596),
         {"error unreachable 1"}},
        {"array sizes as compiled: not a number reads 496",
         [](ParGenSet& s) { s.EtherNetIP_NB_Output = "many"; },
         row("GGA", kSatellites, 496),
         {"error unreachable 1"}},

        {"post operation in the wrong case",
         noChange,
         row("HDT", kHeading, 0, {{"PortOperation", "X 10"}}),
         {"error incomplete 1", "warning stored-differs 1 post-operation"}},
        {"post operation with blanks, or blank: the compiler takes it, the rules window does not",
         noChange,
         row("HDT", kHeading, 0, {{"PortOperation", " x 10 "}}) +
             row("GGA", kLatitude, 4, {{"PortOperation", " "}}),
         {"error incomplete 1", "error incomplete 2"}},
        {"Index not a number",
         noChange,
         row("XDR", kMeasurement, 0, {{"Index", "two"}}),
         {"error incomplete 1", "warning stored-differs 1 index"}},
        {"Index wider than a byte",
         noChange,
         row("XDR", kMeasurement, 0, {{"Index", "256"}}),
         {"error incomplete 1", "warning stored-differs 1 index"}},
        {"Index where the field takes none",
         noChange,
         row("XDR", kMeasurement, 0, {{"Index", " 255 "}}) +
             row("GSV", "Total number of satellites in view [decimal]", 5, {{"Index", "two"}}),
         {"error incomplete 1"}},
        {"Position not a number",
         noChange,
         row("HDT", kHeading, 0, {{"Position", "ten"}}),
         {"error incomplete 1", "warning stored-differs 1 position"}},
        {"Position wider than 16 bits",
         noChange,
         row("GGA", kSatellites, 65536),
         {"error incomplete 1", "warning stored-differs 1 position"}},
        {"Position negative: its low 16 bits lie far past the arrays",
         noChange,
         row("GGA", kSatellites, -1),
         {"error incomplete 1", "error beyond-data-array 1", "error unreachable 1",
          "warning stored-differs 1 position"}},

        {"the same field twice",
         noChange,
         row("HDT", kHeading, 0) + row("HDT", kHeading, 4),
         {"note duplicate 1,2"}},
        {"the same field at another Index or channel",
         noChange,
         row("XDR", kMeasurement, 0, {{"Index", "1"}}) + row("XDR", kMeasurement, 4, {{"Index", "2"}}) +
             row("XDR", kMeasurement, 8, {{"Index", "1"}, {"Serial_Channel", "RS485 2"}}),
         {}},
        {"swaps without effect",
         noChange,
         row("GGA", kSatellites, 0, {{"SwapAll", "Y"}}) + row("GGA", kFraction, 2, {{"Swap16", "y"}}) +
             row("GSV", "Azimuth, degrees True, 000 to 359 [decimal]", 4,
                 {{"SwapAll", "Y"}, {"Index", "1"}}) +
             row("HDT", kHeading, 6, {{"SwapAll", "Y"}, {"Swap16", "Y"}}),
         {"note swap-no-effect 1", "note swap-no-effect 2"}},

        {"errors, then warnings, then notes",
         noChange,
         row("GGA", kSatellites, 0, {{"SwapAll", "Y"}}) + row("HDT", kHeading, 0, {{"PortOperation", "?"}}) +
             row("BWC", kHeading, 0),
         {"error left-out 3 unsupported", "error incomplete 2", "error overlap 1,2 0-0",
          "warning stored-differs 2 post-operation", "note swap-no-effect 1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ParGenSet set;
        c.parameters(set);
        write(set, rulesDocument(c.rows));
        const Review::Result result = Review::reviewDocuments(parGenPath(), rulesPath());
        EXPECT_TRUE(result.error.isEmpty()) << result.error.toStdString();
        EXPECT_EQ(describe(result.findings), c.expected);
        EXPECT_EQ(result.hasErrorOrWarning(),
                  std::any_of(c.expected.begin(), c.expected.end(),
                              [](const QString& e) { return !e.startsWith("note"); }));
    }
}

TEST_F(ReviewTest, MessagesNameTheRulesAndWhatToDo) {
    ParGenSet set;
    set.RS485_2.Enable = false;
    write(set, rulesDocument(row("HDT", kHeading, 0, {{"Serial_Channel", "RS485 2"}}) +
                             row("HDT", kHeading, 0) + row("GGA", kLatitude, 2)));
    const Review::Result result = Review::reviewDocuments(parGenPath(), rulesPath());
    ASSERT_EQ(result.findings.size(), 2);
    EXPECT_EQ(result.findings[0].message,
              "Rule 1 is shown enabled but left out of the image: its serial channel RS485 2 is switched off "
              "in the "
              "communication parameters. Switch the port on, or choose another channel.");
    EXPECT_EQ(result.findings[1].message,
              "Rules 2 and 3 both write bytes 2 to 3 of the data array. Move one of them.");
}

// The review speaks the catalog's language: each kind's message as the German file words it, and
// no message of any kind or reason left in English.
TEST_F(ReviewTest, EveryKindSpeaksDeutschFromTheCatalog) {
    MessageCatalog deutsch;
    ASSERT_TRUE(deutsch.Load_Lng_File(QStringLiteral(TESSELLOR_SOURCE_DIR "/data/LANGUAGE/Deutsch.lng")));
    const auto noChange = [](ParGenSet&) {};
    const QString kLeftOut = QString::fromUtf8("Regel 1 ist als aktiv angezeigt, fehlt aber im Abbild: ");
    const struct {
        Review::Kind kind;
        std::function<void(ParGenSet&)> parameters;
        QByteArray rows;
        const char* expected; // UTF-8; the first finding of the kind
    } cases[]{
        {Review::Kind::LeftOut, noChange, row("HDT", kHeading, 0, {{"Enable", std::nullopt}}),
         "Regel 1 ist als aktiv angezeigt, fehlt aber im Abbild: ihr Attribut Enable ist nicht vorhanden, "
         "und "
         "nur \"Y\" aktiviert eine Regel. Speichern Sie die Regeln im Regelfenster, oder schreiben Sie "
         "Enable=\"Y\"."},
        {Review::Kind::Incomplete, noChange, row("HDT", "Heading", 0),
         "Fehler in Zeile 1!! Das Datenfeld muss gewählt werden"},
        {Review::Kind::Overlap, noChange, row("HDT", kHeading, 0) + row("GGA", kLatitude, 2),
         "Die Regeln 1 und 2 schreiben beide Bytes 2 bis 3 des Datenbereichs. Verschieben Sie eine von "
         "ihnen."},
        {Review::Kind::BeyondDataArray, [](ParGenSet& s) { s.EtherNetIP_NB_Output = "4000"; },
         row("HDT", kHeading, 1999),
         "Regel 1 belegt Bytes 1999 bis 2002, über das Ende des 2000-Byte-Datenbereichs hinaus. Geben Sie "
         "ihr eine Position von höchstens 1996."},
        {Review::Kind::Unreachable, noChange, row("GGA", kSatellites, 496),
         "Regel 1 belegt Byte 496, aber der EtherNet/IP-Ausgangsbereich überträgt 496 Bytes an die SPS: Die "
         "SPS sieht sie nie. Geben Sie ihr eine Position von höchstens 495, oder vergrößern Sie den "
         "Ausgangsbereich in den Kommunikationsparametern."},
        {Review::Kind::Unreachable, [](ParGenSet& s) { s.EtherNetIP_NB_Output = "2"; },
         row("HDT", kHeading, 0),
         "Regel 1 belegt Bytes 0 bis 3, aber der EtherNet/IP-Ausgangsbereich überträgt 2 Bytes an die SPS: "
         "Die SPS sieht sie nie. Vergrößern Sie den Ausgangsbereich in den Kommunikationsparametern."},
        {Review::Kind::StoredDiffers, noChange, row("HDT", kHeading, 0, {{"Position", "ten"}}),
         "Regel 1 hat die Position \"ten\", die keine Zahl von 0 bis 65535 ist; das Gerät legt sie daher auf "
         "Byte 0. Geben Sie die Position ein."},
        {Review::Kind::NotSaved, noChange,
         row("HDT", kHeading, 0) + row(" ", kHeading, 4) + row("HDT", kHeading, 8),
         "Zeile 3 steht unter der leeren Zeile 2 und wird nicht gespeichert. Geben Sie Zeile 2 einen Satz, "
         "oder löschen Sie sie."},
        {Review::Kind::Duplicate, noChange,
         row("XDR", kMeasurement, 0, {{"Index", "1"}}) + row("XDR", kMeasurement, 4, {{"Index", "1"}}),
         "Die Regeln 1 und 2 lesen beide XDR \"Measurement data [floating point]\" auf RS232, Index 1. "
         "Löschen "
         "Sie eine davon, sofern nicht beide Kopien gewollt sind."},
        {Review::Kind::SwapNoEffect, noChange,
         row("GGA", kSatellites, 0, {{"SwapAll", "Y"}}) +
             row("HDT", kHeading, 4, {{"SwapAll", "Y"}, {"Swap16", "Y"}}),
         "Regel 1: Swap bewirkt bei einem 1-Byte-Feld nichts. Entfernen Sie den Haken."},
        {Review::Kind::MaskNotContiguous,
         [](ParGenSet& s) {
             s.EtherNetIP_SM = {"255", "0", "255", "0"};
         },
         row("HDT", kHeading, 0),
         "Die Subnetzmaske 255.0.255.0 ist nicht zusammenhängend: Ihre Einsen müssen von links eine einzige "
         "Folge bilden, wie bei 255.255.255.0. Korrigieren Sie die Maske in den Kommunikationsparametern."},
        {Review::Kind::AddressNotHost,
         [](ParGenSet& s) {
             s.EtherNetIP_IP = {"192", "168", "0", "255"};
         },
         row("HDT", kHeading, 0),
         "Die IP-Adresse 192.168.0.255 ist die Broadcast-Adresse ihres Subnetzes (Maske 255.255.255.0), die "
         "kein Gerät haben darf. Geben Sie in den Kommunikationsparametern eine Host-Adresse ein."},
        {Review::Kind::GatewayOutsideSubnet,
         [](ParGenSet& s) {
             s.EtherNetIP_EN_GAT = true;
             s.EtherNetIP_GAT = {"10", "0", "0", "1"};
         },
         row("HDT", kHeading, 0),
         "Das Gateway 10.0.0.1 liegt außerhalb des Subnetzes der Adresse 192.168.0.5 mit Maske "
         "255.255.255.0, "
         "daher kann das Gerät es nicht erreichen. Korrigieren Sie das Gateway, oder schalten Sie es in den "
         "Kommunikationsparametern ab."},
        // Every other reason a rule is left out, each in German after the shared opening.
        {Review::Kind::LeftOut, noChange, row("HDT", kHeading, 0, {{"Serial_Channel", "RS9"}}), nullptr},
        {Review::Kind::LeftOut, noChange, row("HDT", kHeading, 0, {{"Serial_Channel", std::nullopt}}),
         nullptr},
        {Review::Kind::LeftOut, [](ParGenSet& s) { s.RS485_2.Enable = false; },
         row("HDT", kHeading, 0, {{"Serial_Channel", "RS485 2"}}), nullptr},
        {Review::Kind::LeftOut, noChange, row("XYZ", kHeading, 0), nullptr},
        {Review::Kind::LeftOut, noChange, row("BWC", kHeading, 0), nullptr},
        {Review::Kind::StoredDiffers, noChange, row("XDR", kMeasurement, 0, {{"Index", "two"}}), nullptr},
        {Review::Kind::StoredDiffers, noChange, row("HDT", kHeading, 0, {{"PortOperation", "X 10"}}),
         nullptr},
        {Review::Kind::AddressNotHost,
         [](ParGenSet& s) {
             s.EtherNetIP_IP = {"0", "0", "0", "0"};
         },
         row("HDT", kHeading, 0), nullptr},
        {Review::Kind::AddressNotHost,
         [](ParGenSet& s) {
             s.EtherNetIP_IP = {"192", "168", "0", "0"};
         },
         row("HDT", kHeading, 0), nullptr},
        {Review::Kind::Duplicate, noChange, row("HDT", kHeading, 0) + row("HDT", kHeading, 4), nullptr},
        {Review::Kind::SwapNoEffect, noChange, row("GGA", kFraction, 0, {{"SwapAll", "Y"}, {"Swap16", "Y"}}),
         nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Review::kindName(c.kind).toStdString());
        ParGenSet set;
        set.RS232.Enable = true;
        c.parameters(set);
        write(set, rulesDocument(c.rows));
        const Review::Result english = Review::reviewDocuments(parGenPath(), rulesPath());
        const Review::Result german = Review::reviewDocuments(parGenPath(), rulesPath(), deutsch);
        ASSERT_EQ(describe(german.findings), describe(english.findings));
        const auto first = std::find_if(german.findings.begin(), german.findings.end(),
                                        [&c](const Review::Finding& f) { return f.kind == c.kind; });
        ASSERT_NE(first, german.findings.end());
        if (c.expected) {
            EXPECT_EQ(first->message, QString::fromUtf8(c.expected));
        } else if (c.kind == Review::Kind::LeftOut) {
            EXPECT_TRUE(first->message.startsWith(kLeftOut)) << first->message.toStdString();
        }
        for (qsizetype i = 0; i < german.findings.size(); ++i)
            EXPECT_NE(german.findings[i].message, english.findings[i].message);
    }
}

// Stored texts are quoted as they stand, even when they look like the message's own markers.
TEST_F(ReviewTest, StoredTextsAreQuotedAsTheyStand) {
    write(ParGenSet{}, rulesDocument(row("XDR", kMeasurement, 0, {{"Index", "%3%1"}, {"Position", "%2"}})));
    const Review::Result result = Review::reviewDocuments(parGenPath(), rulesPath());
    ASSERT_EQ(result.findings.size(), 3);
    // The rules window's data check says it in its own words.
    EXPECT_EQ(result.findings[0].message, "Error row 1!! Index Must be Between 1 and 10");
    EXPECT_EQ(result.findings[1].message,
              "Rule 1 has the Index \"%3%1\", which is no number from 0 to 255, so "
              "the device uses 0. Enter the Index.");
    EXPECT_EQ(result.findings[2].message,
              "Rule 1 has the Position \"%2\", which is no number from 0 to 65535, "
              "so the device places it at byte 0. Enter the Position.");
}

TEST_F(ReviewTest, DocumentsThatCannotBeReadAreNotReviewed) {
    write(ParGenSet(), "<NMEA_0183><Other/></NMEA_0183>");
    EXPECT_TRUE(Review::reviewDocuments(parGenPath(), rulesPath()).error.contains("NMEA_Listener"));
    write(ParGenSet(), rulesDocument(row("HDT", kHeading, 0)));
    QFile file(parGenPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("<Par_Gen><RS232_ENABLE>1</Par_Gen>");
    file.close();
    EXPECT_TRUE(Review::reviewDocuments(parGenPath(), rulesPath()).error.contains("ParGen.xml"));
    // Missing documents are the compiler's defaults: no port enabled, so the rule is left out.
    ASSERT_TRUE(QFile::remove(parGenPath()));
    EXPECT_EQ(describe(Review::reviewDocuments(parGenPath(), rulesPath()).findings),
              QStringList{"error left-out 1 port-disabled"});
}

// Random rules from values that each reader takes differently: the review must compile exactly
// the records the image holds, in the same order.
TEST_F(ReviewTest, CompilesTheSameRulesAsTheImage) {
    const QStringList enables{"Y", "N", "y", "", " Y"};
    const QStringList channels{"RS232", "RS485 / RS422", "RS485 1", " rs485 2 ", "RS485", ""};
    const QStringList sentences{"GGA", "gga ", "HDT", "BWC", "XDR", "GSV", "XYZ", ""};
    const QStringList fields{kSatellites,
                             kLatitude,
                             kHeading,
                             kMeasurement,
                             "Satellite ID number [decimal]",
                             " NUMBER OF SATELLITES IN USE [DECIMAL]",
                             "Number of  satellites in use [decimal]"};
    const QStringList numbers{"0", "3", "$10", "x", "", "300", "-1", "70000", " 12 "};
    const QStringList postOperations{"None", "x 10", "X 10", "", "Nothing"};
    const QStringList flags{"Y", "N", "y", ""};
    QRandomGenerator random(13);
    const auto pick = [&random](const QStringList& list) { return list[random.bounded(int(list.size()))]; };
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        ParGenSet set;
        set.RS232.Enable = random.bounded(2);
        set.RS485_1.Enable = random.bounded(2);
        set.RS485_2.Enable = random.bounded(2);
        QByteArray rows;
        for (int i = 0; i < 100; ++i)
            rows += row("", "", 0,
                        {{"Enable", pick(enables)},
                         {"Serial_Channel", pick(channels)},
                         {"Sentence", pick(sentences)},
                         {"Index", pick(numbers)},
                         {"DataField", pick(fields)},
                         {"PortOperation", pick(postOperations)},
                         {"SwapAll", pick(flags)},
                         {"Swap16", pick(flags)},
                         {"Position", pick(numbers)}}) +
                    (i % 10 == 0 ? "<!-- not a rule -->" : "");
        write(set, rulesDocument(rows));

        BankImage image;
        ASSERT_TRUE(Compile_Bank(parGenPath(), rulesPath(), image));
        const Review::Result result = Review::reviewDocuments(parGenPath(), rulesPath());
        ASSERT_EQ(result.compiled.size(), image.u32(BankLayout::RuleCount));
        for (qsizetype k = 0; k < result.compiled.size(); ++k)
            EXPECT_EQ(result.compiled[k].record, image.record(int(k))) << "record " << k;
        EXPECT_EQ(result.inputBytes, image.u32(BankLayout::NbInput));
    }
}

// The window reviews its rows before they are saved; saving them and reviewing the documents
// must give the same findings, but for the rows that saving drops.
TEST_F(ReviewTest, TheWindowsRowsReviewAsTheirSavedDocuments) {
    Nmea::RuleTable table{};
    const auto set = [&table](int number, const char* channel, const char* sentence, const char* field,
                              const char* position) {
        Nmea::AccessRule& rule = table[number - 1];
        rule.Serial_Channel = QString::fromUtf8(channel);
        rule.Sentence = QString::fromUtf8(sentence);
        rule.DataField = QString::fromUtf8(field);
        rule.PortOperation = QStringLiteral("None");
        rule.Position = QString::fromUtf8(position);
    };
    set(1, "RS232", "GGA", kSatellites, "0");
    set(2, "RS485 2", "HDT", kHeading, "2");     // port off
    set(3, "", "HDT", kHeading, "2");            // no channel
    set(4, "RS232", "HDT", kHeading, "0");       // overlaps rule 1
    set(5, "RS232", "XDR", kMeasurement, "499"); // Index empty, unreachable
    table[5].Enable = false;
    set(6, "", "XDR", "", "");              // unticked: not shown as a rule
    set(8, "RS232", "GGA", kLatitude, "0"); // below the end of the list: not saved
    ParGenSet parameters;
    parameters.RS485_2.Enable = false;
    parameters.EtherNetIP_EN_GAT = true;
    parameters.EtherNetIP_GAT = {"10", "0", "0", "1"};

    const Review::Result fromTable = Review::reviewTable(table, parameters);
    EXPECT_EQ(describe(fromTable.findings),
              (QStringList{"error left-out 2 port-disabled", "error left-out 3 channel", "error incomplete 5",
                           "error overlap 1,4 0-0", "error unreachable 5", "warning stored-differs 5 index",
                           "warning not-saved 8", "warning gateway-outside-subnet"}));
    const auto notSaved =
        std::find_if(fromTable.findings.begin(), fromTable.findings.end(),
                     [](const Review::Finding& f) { return f.kind == Review::Kind::NotSaved; });
    ASSERT_NE(notSaved, fromTable.findings.end());
    EXPECT_EQ(notSaved->message,
              "Row 8 is below the empty row 7 and will not be saved. Give row 7 a sentence, "
              "or delete it.");

    ASSERT_TRUE(ParGen::save(parGenPath(), parameters));
    ASSERT_TRUE(Nmea::saveAccessRules(rulesPath(), table).isEmpty());
    const Review::Result fromDocuments = Review::reviewDocuments(parGenPath(), rulesPath());
    QList<Review::Finding> saved = fromTable.findings;
    saved.removeIf([](const Review::Finding& f) { return f.kind == Review::Kind::NotSaved; });
    ASSERT_EQ(fromDocuments.findings.size(), saved.size());
    for (qsizetype i = 0; i < saved.size(); ++i) {
        EXPECT_EQ(describe(fromDocuments.findings[i]), describe(saved[i]));
        EXPECT_EQ(fromDocuments.findings[i].message, saved[i].message);
    }
    ASSERT_EQ(fromDocuments.compiled.size(), fromTable.compiled.size());
    for (qsizetype i = 0; i < fromTable.compiled.size(); ++i)
        EXPECT_EQ(fromDocuments.compiled[i].record, fromTable.compiled[i].record);

    const QMap<int, Review::RuleFlag> flags = Review::flagsByRule(fromTable.findings);
    EXPECT_EQ(flags.keys(), (QList<int>{1, 2, 3, 4, 5, 8}));
    EXPECT_EQ(flags[5].severity, Review::Severity::Error);
    EXPECT_EQ(flags[5].messages.size(), 3);
}

// What OK would refuse one row at a time is reviewed all at once, each row with the check's message.
TEST(ReviewTable, EveryRowTheDataCheckRefusesIsIncompleteAndNotAlsoLeftOut) {
    Nmea::RuleTable table{};
    for (int row = 1; row <= 22; ++row) {
        table[row - 1].Serial_Channel = QStringLiteral("RS232");
        table[row - 1].Sentence = QStringLiteral("HDT");
        table[row - 1].DataField = QString::fromUtf8(kHeading);
        table[row - 1].Position = QString::number(4 * (row - 1));
    }
    table[21].DataField.clear(); // also left out by the compiler: told once
    ParGenSet parameters;
    parameters.RS232.Enable = true;
    const Review::Result result = Review::reviewTable(table, parameters);
    QStringList expected;
    for (int row = 1; row <= 22; ++row)
        expected << QStringLiteral("error incomplete %1").arg(row);
    QStringList found;
    for (const Review::Finding& f : result.findings) {
        if (f.kind == Review::Kind::Incomplete || f.kind == Review::Kind::LeftOut)
            found << describe(f);
    }
    EXPECT_EQ(found, expected);
    EXPECT_EQ(result.findings[0].message, "Error row 1!! Post Operation Must be Selected");
    EXPECT_EQ(result.findings[21].message, "Error row 22!! Data Field Must be Selected");
    // The data check itself still stops at the first row.
    EXPECT_EQ(Nmea::Controllo_dati(table, MessageCatalog()), "Error row 1!! Post Operation Must be Selected");
}

// Saving drops every row below the first row without a sentence: each one that holds text is told.
TEST(ReviewTable, RowsBelowTheEmptyRowAreNotSaved) {
    Nmea::RuleTable table{};
    table[0].Sentence = QStringLiteral("HDT");
    table[0].Enable = false;
    table[2].Mnemonic = QStringLiteral("spare"); // text alone is lost as well
    table[4].SwapAll = true;                     // ticks alone are nothing typed
    table[5].Enable = false;
    table[6].Position = QStringLiteral(" ");
    EXPECT_EQ(describe(Review::reviewTable(table, ParGenSet()).findings),
              (QStringList{"warning not-saved 3", "warning not-saved 7"}));
    // OK asks before dropping them.
    EXPECT_EQ(Nmea::firstRowEndingTheList(table), 2);
    table[2].Mnemonic.clear();
    table[6].Position.clear();
    EXPECT_TRUE(Review::reviewTable(table, ParGenSet()).findings.isEmpty());
    EXPECT_EQ(Nmea::firstRowEndingTheList(table), 0);
}

// Address, mask and gateway as the image carries them; findings of these kinds name no rule.
TEST(ReviewNetwork, AddressMaskAndGateway) {
    const struct {
        const char* address;
        const char* mask;
        const char* gateway; // nullptr: switched off
        QStringList expected;
    } cases[]{
        {"192.168.0.5", "255.255.255.0", nullptr, {}},
        {"192.168.0.5", "255.255.255.0", "192.168.0.1", {}},
        {"192.168.0.5", "255.255.255.0", "192.168.1.1", {"warning gateway-outside-subnet"}},
        {"192.168.0.5", "255.255.255.0", "255.255.255.255", {}}, // the image's mark of no gateway
        {"192.168.0.5", "255.0.255.0", nullptr, {"error mask-not-contiguous"}},
        {"192.168.0.5", "0.255.255.255", nullptr, {"error mask-not-contiguous"}},
        {"192.168.0.5", "0.0.0.0", nullptr, {}},
        {"192.168.0.0", "255.255.255.0", nullptr, {"error address-not-host"}},
        {"192.168.0.255", "255.255.255.0", nullptr, {"error address-not-host"}},
        {"192.168.0.127", "255.255.255.128", nullptr, {"error address-not-host"}},
        {"192.168.0.128", "255.255.255.128", nullptr, {"error address-not-host"}},
        {"192.168.0.129", "255.255.255.128", nullptr, {}},
        {"0.0.0.0", "255.255.255.0", nullptr, {"error address-not-host"}},
        {"10.0.0.0", "255.255.255.254", nullptr, {}}, // two-address link: both are hosts
        {"10.0.0.7", "255.255.255.255", "10.0.0.1", {"warning gateway-outside-subnet"}},
        {"192.168.0.256", "255.255.255.0", nullptr, {"error address-not-host"}}, // compiled as .0
        {"192.168.0.0",
         "255.0.255.0",
         "10.0.0.1",
         {"error mask-not-contiguous", "warning gateway-outside-subnet"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2 %3").arg(c.address, c.mask, c.gateway).toStdString());
        ParGenSet set;
        const auto octets = [](const char* dotted) {
            const QStringList parts = QString::fromLatin1(dotted).split(u'.');
            return std::array<QString, 4>{parts[0], parts[1], parts[2], parts[3]};
        };
        set.EtherNetIP_IP = octets(c.address);
        set.EtherNetIP_SM = octets(c.mask);
        set.EtherNetIP_EN_GAT = c.gateway != nullptr;
        if (c.gateway)
            set.EtherNetIP_GAT = octets(c.gateway);
        const Review::Result result = Review::reviewTable(Nmea::RuleTable{}, set);
        EXPECT_EQ(describe(result.findings), c.expected);
        for (const Review::Finding& f : result.findings)
            EXPECT_TRUE(f.rules.isEmpty());
    }
}

TEST(ReviewHint, StopsAtFifteenLinesTheLastTellingHowManyAreLeftOut) {
    QStringList lines;
    for (int i = 1; i <= 20; ++i)
        lines << QString::number(i);
    const QString more = QStringLiteral("and %1 more");
    EXPECT_EQ(Review::limitedHint(lines.first(15), 15, more).split(u'\n'), lines.first(15));
    const QStringList cut = Review::limitedHint(lines, 20, more).split(u'\n');
    EXPECT_EQ(cut.size(), 15);
    EXPECT_EQ(cut.first(14), lines.first(14));
    EXPECT_EQ(cut.last(), "and 6 more");
    // Only the lines shown need be at hand.
    EXPECT_EQ(Review::limitedHint(lines.first(15), 4950, more).split(u'\n').last(), "and 4936 more");
}

} // namespace
