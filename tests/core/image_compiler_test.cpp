#include "core/image/BankCompiler.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <vector>

namespace {

using Changes = std::vector<std::pair<const char*, std::optional<QString>>>;

const QString kSamples = QStringLiteral(TESSELLOR_TEST_DATA "/image");

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// ParGen.xml as the parameters window writes it with its defaults, with items changed or removed.
QByteArray parGen(const Changes& changes = {}) {
    QDomDocument document;
    document.setContent(readAll(kSamples + QStringLiteral("/window_defaults/ParGen.xml")));
    QDomElement root = document.documentElement();
    for (const auto& [key, value] : changes) {
        QDomElement element = root.firstChildElement(QLatin1String(key));
        if (!value) {
            root.removeChild(element);
            continue;
        }
        if (element.isNull())
            element = root.appendChild(document.createElement(QLatin1String(key))).toElement();
        while (element.hasChildNodes())
            element.removeChild(element.firstChild());
        element.appendChild(document.createTextNode(*value));
    }
    return document.toByteArray(-1);
}

// A document holding only the given items.
QByteArray parGenOnly(const Changes& items) {
    QByteArray xml = "<Par_Gen>";
    for (const auto& [key, value] : items)
        xml += "<" + QByteArray(key) + ">" + value->toUtf8() + "</" + QByteArray(key) + ">";
    return xml + "</Par_Gen>";
}

// The rule of the sample configuration (GGA satellites on RS232, Swap16, Position 10), changed.
using Row = std::vector<std::pair<QByteArray, std::optional<QString>>>;
Row gga(const Row& changes = {}) {
    std::map<QByteArray, std::optional<QString>> attributes{
        {"Enable", QStringLiteral("Y")},
        {"Serial_Channel", QStringLiteral("RS232")},
        {"Sentence", QStringLiteral("GGA")},
        {"Index", QString()},
        {"DataField", QStringLiteral("Number of satellites in use [decimal]")},
        {"PortOperation", QStringLiteral("None")},
        {"SwapAll", QStringLiteral("N")},
        {"Swap16", QStringLiteral("Y")},
        {"Position", QStringLiteral("10")},
        {"Mnemonic", QString()},
    };
    for (const auto& [name, value] : changes)
        attributes[name] = value;
    Row row;
    for (const auto& [name, value] : attributes) {
        if (value)
            row.emplace_back(name, value);
    }
    return row;
}

Row gsv(const char* field, const char* index) {
    return gga({{"Sentence", QStringLiteral("GSV")},
                {"DataField", QString::fromLatin1(field)},
                {"Index", QString::fromLatin1(index)}});
}

QByteArray rules(const std::vector<Row>& rows) {
    QDomDocument document;
    QDomElement root = document.createElement(QStringLiteral("NMEA_0183"));
    document.appendChild(root);
    QDomElement listener = document.createElement(QStringLiteral("NMEA_Listener"));
    root.appendChild(listener);
    for (const Row& row : rows) {
        QDomElement element = document.createElement(QStringLiteral("row"));
        for (const auto& [name, value] : row)
            element.setAttribute(QString::fromLatin1(name), *value);
        listener.appendChild(element);
    }
    return document.toByteArray(-1);
}

struct Bytes {
    int offset;
    std::vector<quint8> values;
};

struct Case {
    const char* name;
    std::optional<QByteArray> parGen; // nothing: no ParGen.xml
    std::optional<QByteArray> rules;  // nothing: no rules document
    std::vector<Bytes> bytes{};
    std::vector<RuleRecord> records{}; // exactly the records in use; the rest must be zero
    std::optional<quint32> checksum{};
    bool onlyListedBytes = false; // the parameter block holds nothing but the listed bytes
};

constexpr RuleRecord kSatellites{.sentence = 7, .position = 10, .field = 11, .swaps = BankLayout::Swap16Bit};

RuleRecord satellitesWith(quint8 channel, quint16 position = 10) {
    RuleRecord record = kSatellites;
    record.channel = channel;
    record.position = position;
    return record;
}

std::vector<Case> compilerCases() {
    const auto gsvRecord = [](quint8 field, quint8 index) {
        return RuleRecord{
            .sentence = 10, .position = 10, .field = field, .swaps = BankLayout::Swap16Bit, .index = index};
    };
    std::vector<Row> manyRules(BankLayout::MaxRules, gga());
    for (int i = 0; i < 5; ++i)
        manyRules.push_back(gga({{"Enable", QStringLiteral("N")}}));
    const QByteArray enabledRS232 = "<Par_Gen><RS232_ENABLE>1</RS232_ENABLE></Par_Gen>";
    const std::vector<Bytes> hiddenItems{{0x03C, {0x80, 0x25, 0x00, 0x00}}, {0x267, {0x00}}};
    const QByteArray ruleRow =
        "row Enable=\"Y\" Serial_Channel=\"RS232\" Sentence=\"GGA\" "
        "DataField=\"Number of satellites in use [decimal]\" Swap16=\"Y\" Position=\"10\"";

    return {
        {"new configuration without documents",
         std::nullopt,
         std::nullopt,
         {{0x00C, {0x80, 0x25}},
          {0x028, {0xC0, 0xA8, 0x02, 0xCD}},
          {0x02C, {0xFF, 0xFF, 0xFF}},
          {0x030, {0xFF, 0xFF, 0xFF, 0xFF}},
          {0x034, {0x10, 0x27, 0x11, 0x27, 0x11, 0x27}},
          {0x03C, {0x80, 0x25}},
          {0x259, {0x88, 0x06}},
          {0x7FC, {0xAF, 0x0B, 0x00, 0x00}}},
         {},
         2991,
         true},
        {"window defaults with one rule",
         parGen(),
         rules({gga()}),
         {{0x00C, {0xC0, 0x12}},
          {0x014, {0x01}},
          {0x028, {0xC0, 0xA8, 0x00, 0x05}},
          {0x02C, {0xFF, 0xFF, 0xFF}},
          {0x030, {0xFF, 0xFF, 0xFF, 0xFF}},
          {0x034, {0x10, 0x27, 0xD0, 0x07, 0xD0, 0x07}},
          {0x03C, {0xC0, 0x12}},
          {0x044, {0x01}},
          {0x074, {0xF0, 0x01, 0x00, 0x00, 0xF0, 0x01}},
          {0x259, {0x88, 0x06, 0x00, 0x01}},
          {0x260, {0xC0, 0x12, 0x00, 0x00, 0x00, 0x01, 0x00, 0x07}},
          {0x7FC, {0x3C, 0x0F, 0x00, 0x00}},
          {0x800, {0x07, 0x00, 0x0A, 0x00, 0x00, 0x0B, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00}}},
         {kSatellites},
         3900,
         true},
        // The rule table is outside the checksum; only the count reaches it.
        {"another Position keeps the checksum",
         parGen(),
         rules({gga({{"Position", QStringLiteral("20")}})}),
         {},
         {satellitesWith(0, 20)},
         3900},
        {"a second rule changes the checksum through the count",
         parGen(),
         rules({gga(), gga({{"Position", QStringLiteral("11")}})}),
         {},
         {kSatellites, satellitesWith(0, 11)},
         3901},
        {"missing RS232_ENABLE leaves the port off with 9600, 0, 0",
         parGen({{"RS232_ENABLE", std::nullopt}}),
         std::nullopt,
         {{0x03C, {0x80, 0x25, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}}, {0x267, {0x06}}},
         {}},
        {"only RS485_2_ENABLE: compiler defaults for every other item",
         parGenOnly({{"RS485_2_ENABLE", QStringLiteral("1")}}),
         std::nullopt,
         {{0x00C, {0x80, 0x25, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
          {0x028, {0xC0, 0xA8, 0x00, 0x05, 0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}},
          {0x036, {0xD0, 0x07, 0xD0, 0x07}},
          {0x074, {0xF0, 0x01, 0x00, 0x00, 0xF0, 0x01, 0x00, 0x00}},
          {0x260, {0xC0, 0x12, 0x00, 0x00, 0x00, 0x01, 0x00, 0x04}}},
         {}},
        {"parity and stop bits texts",
         parGen({{"RS232_PARITY", QStringLiteral("even")},
                 {"RS232_STOP_BITS", QStringLiteral("2 BITS")},
                 {"RS485_1_PARITY", QStringLiteral("Odd")},
                 {"RS485_1_STOP_BITS", QStringLiteral("2")},
                 {"RS485_2_PARITY", QStringLiteral("EVEN")},
                 {"RS485_2_STOP_BITS", QStringLiteral("2 bits")},
                 {"RS485_2_BAUDRATE", QStringLiteral("115200")}}),
         std::nullopt,
         {{0x012, {0x01, 0x00, 0x01, 0x00, 0x00, 0x00}},
          {0x042, {0x02, 0x00, 0x02, 0x00, 0x00, 0x00}},
          {0x260, {0x00, 0xC2, 0x01, 0x00, 0x02, 0x02}}},
         {}},
        {"gateway off replaces the GAT items",
         parGen({{"EtherNetIP_EN_GAT", QStringLiteral("0")},
                 {"EtherNetIP_GAT1", QStringLiteral("10")},
                 {"EtherNetIP_GAT2", QStringLiteral("0")},
                 {"EtherNetIP_GAT3", QStringLiteral("0")},
                 {"EtherNetIP_GAT4", QStringLiteral("1")}}),
         std::nullopt,
         {{0x030, {0xFF, 0xFF, 0xFF, 0xFF}}},
         {}},
        {"gateway on, hand-made port, octets and sizes",
         parGen({{"EtherNetIP_EN_GAT", QStringLiteral("1")},
                 {"EtherNetIP_GAT1", QStringLiteral("10")},
                 {"EtherNetIP_GAT2", QStringLiteral("0")},
                 {"EtherNetIP_GAT3", QStringLiteral("0")},
                 {"EtherNetIP_GAT4", QStringLiteral("1")},
                 {"EtherNetIP_IP1", QStringLiteral("$C1")},
                 {"EtherNetIP_IP4", QStringLiteral("261")},
                 {"EtherNetIP_SM4", QStringLiteral("abc")},
                 {"EtherNetIP_PORT", QStringLiteral("44818")},
                 {"EtherNetIP_NB_Input", QStringLiteral("10")},
                 {"EtherNetIP_NB_Output", QStringLiteral("x")}}),
         std::nullopt,
         {{0x028, {0xC1, 0xA8, 0x00, 0x05, 0xFF, 0xFF, 0xFF, 0x00, 0x0A, 0x00, 0x00, 0x01}},
          {0x036, {0x12, 0xAF, 0x12, 0xAF}},
          {0x074, {0x0A, 0x00, 0x00, 0x00, 0xF0, 0x01, 0x00, 0x00}}},
         {}},
        {"a rule on a disabled port is left out and the next takes its record",
         parGen({{"RS485_1_ENABLE", QStringLiteral("0")}}),
         rules({gga({{"Serial_Channel", QStringLiteral("RS485 / RS422")}}),
                gga({{"Serial_Channel", QStringLiteral(" rs485 2 ")}})}),
         {},
         {satellitesWith(2)}},
        {"channel names and the Enable test",
         parGen(),
         rules({gga({{"Serial_Channel", QStringLiteral("RS485 1")}}),
                gga({{"Serial_Channel", QStringLiteral("RS485 / RS422")}}),
                gga({{"Serial_Channel", QStringLiteral("RS485")}}), gga({{"Serial_Channel", std::nullopt}}),
                gga({{"Enable", QStringLiteral("y")}}), gga({{"Enable", QStringLiteral(" Y")}}),
                gga({{"Enable", std::nullopt}}), gga({{"Enable", QStringLiteral("N")}})}),
         {},
         {satellitesWith(1), satellitesWith(1)}},
        {"sentence and field names",
         parGen(),
         rules({gga({{"Sentence", QStringLiteral("BWC")}}), gga({{"Sentence", QStringLiteral(" gga\t")}}),
                gga({{"Sentence", QStringLiteral("XYZ")}}),
                gga({{"DataField", QStringLiteral(" number of satellites IN USE [DECIMAL] ")}}),
                gga({{"DataField", QStringLiteral("Number of satellites in  use [decimal]")}}),
                gga({{"DataField", QString()}})}),
         {},
         {kSatellites, kSatellites}},
        {"post-operation, swaps and Position",
         parGen(),
         rules({gga({{"PortOperation", QStringLiteral("x 10")}}),
                gga({{"PortOperation", QStringLiteral("X 10")}}),
                gga({{"PortOperation", QStringLiteral(" : 1000 ")},
                     {"SwapAll", QStringLiteral(" y")},
                     {"Swap16", QStringLiteral("n")}}),
                gga({{"Position", QStringLiteral("abc")}}), gga({{"Position", QStringLiteral("2500")}}),
                gga({{"Position", QStringLiteral(" 70000 ")}})}),
         {},
         {RuleRecord{.sentence = 7, .position = 10, .field = 11, .postOperation = 5, .swaps = 2}, kSatellites,
          RuleRecord{.sentence = 7, .position = 10, .field = 11, .postOperation = 3, .swaps = 1},
          satellitesWith(0, 0), satellitesWith(0, 2500), satellitesWith(0, 70000 & 0xFFFF)}},
        {"Index only where the device reads it",
         parGen(),
         rules({gsv("Total number of satellites in view [decimal]", "5"),
                gsv("Elevation, degrees, 90o maximum [decimal]", "5"),
                gsv("Sentence number [decimal]", " 3 "), gsv("Signal ID [decimal]", "7"),
                gga({{"Index", QStringLiteral("4")}}),
                gga({{"Sentence", QStringLiteral("XDR")},
                     {"DataField", QStringLiteral("Transducer ID [character string] (20 characters)")},
                     {"Index", QStringLiteral("300")}})}),
         {},
         {gsvRecord(2, 0), gsvRecord(4, 5), gsvRecord(1, 3), gsvRecord(7, 0), kSatellites,
          RuleRecord{.sentence = 34, .position = 10, .field = 3, .swaps = 2, .index = 300 & 0xFF}}},
        {"an unsupported sentence between two rules leaves no gap",
         parGen(),
         rules(
             {gga(), gga({{"Sentence", QStringLiteral("RMB")}}), gga({{"Position", QStringLiteral("30")}})}),
         {},
         {kSatellites, satellitesWith(0, 30)}},
        // How the documents are read: the first node is the root whatever its name or kind.
        {"the first item of a name counts, with all the text inside it",
         "<Conf><RS232_ENABLE>1</RS232_ENABLE><RS232_BAUDRATE> 1<b>92</b><![CDATA[00]]></RS232_BAUDRATE>"
         "<RS232_BAUDRATE>300</RS232_BAUDRATE><x><RS232_ENABLE>0</RS232_ENABLE></x></Conf><!--end-->",
         std::nullopt,
         {{0x03C, {0x00, 0x4B, 0x00, 0x00}}, {0x267, {0x01}}},
         {}},
        {"a declaration before the root hides every item",
         "<?xml version=\"1.0\"?>" + enabledRS232,
         std::nullopt,
         hiddenItems,
         {}},
        {"a document type before the root hides every item",
         "<!DOCTYPE Par_Gen>" + enabledRS232,
         std::nullopt,
         hiddenItems,
         {}},
        {"a processing instruction before the root hides every item",
         "<?note x?>" + enabledRS232,
         std::nullopt,
         hiddenItems,
         {}},
        {"only the elements in the first NMEA_Listener are rules",
         parGen(),
         "<Rules><NMEA_Listener><!--a note-->text<" + ruleRow + "><" + ruleRow +
             "/></row><?pi?></NMEA_Listener>"
             "<NMEA_Listener><" +
             ruleRow + "/></NMEA_Listener></Rules>",
         {},
         {kSatellites}},
        {"128 active rules fill the table",
         parGen(),
         rules(manyRules),
         {{0x25C, {0x80, 0x00, 0x00, 0x00}}},
         std::vector<RuleRecord>(BankLayout::MaxRules, kSatellites)},
    };
}

TEST(ImageCompiler, CompilesEachConfigurationByteExact) {
    for (const Case& c : compilerCases()) {
        SCOPED_TRACE(c.name);
        QTemporaryDir folder;
        const QString parGenPath = folder.filePath(QStringLiteral("ParGen.xml"));
        const QString rulesPath = folder.filePath(QStringLiteral("NMEA_0183_Set_Access.xml"));
        for (const auto& [path, content] : {std::pair{parGenPath, c.parGen}, std::pair{rulesPath, c.rules}}) {
            if (!content)
                continue;
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(*content);
        }

        BankImage image;
        CompileError error;
        ASSERT_TRUE(Compile_Bank(parGenPath, rulesPath, image, &error)) << error.message.toStdString();
        const QByteArray bytes = image.bytes();
        ASSERT_EQ(bytes.size(), 3584);

        std::vector<std::optional<quint8>> expected(BankLayout::ParameterBlockSize);
        for (const Bytes& b : c.bytes) {
            for (size_t i = 0; i < b.values.size(); ++i) {
                if (b.offset + i < expected.size())
                    expected[b.offset + i] = b.values[i];
                EXPECT_EQ(quint8(bytes[int(b.offset + i)]), b.values[i]) << "offset " << b.offset + i;
            }
        }
        if (c.onlyListedBytes) {
            for (int i = 0; i < BankLayout::ParameterBlockSize; ++i)
                EXPECT_EQ(quint8(bytes[i]), expected[i].value_or(0)) << "offset " << i;
        }

        EXPECT_EQ(image.u32(BankLayout::RuleCount), c.records.size());
        for (size_t k = 0; k < c.records.size(); ++k)
            EXPECT_EQ(image.record(int(k)), c.records[k]) << "record " << k;
        const int unused = BankLayout::RuleTable + BankLayout::RecordSize * int(c.records.size());
        EXPECT_EQ(bytes.mid(unused), QByteArray(BankLayout::Size - unused, '\0'));

        EXPECT_EQ(image.u32(BankLayout::Checksum), image.computeChecksum());
        if (c.checksum) {
            EXPECT_EQ(image.u32(BankLayout::Checksum), *c.checksum);
        }
    }
}

TEST(ImageCompiler, RefusesDocumentsItCannotUse) {
    struct Refusal {
        const char* name;
        QByteArray parGen;
        QByteArray rules;
        CompileError::Kind kind;
        bool rulesAtFault;
        const char* message;
    };
    std::vector<Row> tooMany(BankLayout::MaxRules + 1, gga());
    const std::vector<Refusal> refusals{
        {"ParGen.xml not well-formed", "<Par_Gen><RS232_ENABLE>1</Par_Gen>", rules({gga()}),
         CompileError::Kind::Document, false, "line 1"},
        {"empty ParGen.xml", "", rules({gga()}), CompileError::Kind::Document, false, "line"},
        {"rules not well-formed", parGen(), "<NMEA_0183><NMEA_Listener>\n<row Enable=\"Y\"></NMEA_0183>",
         CompileError::Kind::Document, true, "line 2"},
        {"rules without NMEA_Listener", parGen(), "<NMEA_0183><row Enable=\"Y\"/></NMEA_0183>",
         CompileError::Kind::Document, true, "NMEA_Listener"},
        {"a comment before the rules root", parGen(), "<!--note--><NMEA_0183><NMEA_Listener/></NMEA_0183>",
         CompileError::Kind::Document, true, "NMEA_Listener"},
        {"ParGen.xml not well-formed after its items", parGen() + "<x>", rules({gga()}),
         CompileError::Kind::Document, false, "line"},
        {"rules not well-formed after the last rule", parGen(), rules({gga()}) + "<!--",
         CompileError::Kind::Document, true, "line"},
        {"a document type after the rules root", parGen(), rules({gga()}) + "<!DOCTYPE NMEA_0183>",
         CompileError::Kind::Document, true, "line"},
        {"a declaration before the rules root", parGen(), "<?xml version=\"1.0\"?>" + rules({gga()}),
         CompileError::Kind::Document, true, "NMEA_Listener"},
        {"a document type before the rules root", parGen(), "<!DOCTYPE NMEA_0183>" + rules({gga()}),
         CompileError::Kind::Document, true, "NMEA_Listener"},
        {"rules nested deeper than 256 levels", parGen(),
         "<NMEA_0183><NMEA_Listener/>" + QByteArray("<a>").repeated(300) + QByteArray("</a>").repeated(300) +
             "</NMEA_0183>",
         CompileError::Kind::Document, true, "256"},
        {"129 active rules", parGen(), rules(tooMany), CompileError::Kind::TooManyRules, true, "129"},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.name);
        QTemporaryDir folder;
        const QString parGenPath = folder.filePath(QStringLiteral("ParGen.xml"));
        const QString rulesPath = folder.filePath(QStringLiteral("NMEA_0183_Set_Access.xml"));
        for (const auto& [path, content] : {std::pair{parGenPath, r.parGen}, std::pair{rulesPath, r.rules}}) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        BankImage image;
        CompileError error;
        EXPECT_FALSE(Compile_Bank(parGenPath, rulesPath, image, &error));
        EXPECT_EQ(error.kind, r.kind);
        EXPECT_EQ(error.file, r.rulesAtFault ? rulesPath : parGenPath);
        EXPECT_TRUE(error.message.contains(QLatin1String(r.message))) << error.message.toStdString();
    }
}

TEST(ImageCompiler, SaveBankReplacesTheImageAndNeverCreatesTheBinFolder) {
    QTemporaryDir configuration;
    BankImage image;
    ASSERT_TRUE(Compile_Bank(QString(), QString(), image));

    QString error;
    EXPECT_FALSE(Save_Bank(configuration.path(), image, &error));
    EXPECT_TRUE(error.contains(QLatin1String("bin"))) << error.toStdString();
    EXPECT_FALSE(QDir(configuration.filePath(QStringLiteral("bin"))).exists());

    ASSERT_TRUE(QDir(configuration.path()).mkdir(QStringLiteral("bin")));
    const QString bank = bankPath(configuration.path());
    {
        QFile old(bank);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(5000, 'x'));
    }
    ASSERT_TRUE(Save_Bank(configuration.path(), image, &error)) << error.toStdString();
    EXPECT_EQ(readAll(bank), image.bytes());

    // A read-only image is refused and kept whole.
    QFile::setPermissions(bank, QFileDevice::ReadOwner);
    BankImage other = image;
    other.setU32(BankLayout::RuleCount, 1);
    EXPECT_FALSE(Save_Bank(configuration.path(), other, &error));
    EXPECT_EQ(readAll(bank), image.bytes());
    QFile::setPermissions(bank, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

} // namespace
