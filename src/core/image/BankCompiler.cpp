#include "core/image/BankCompiler.h"

#include "core/comm/SerialIndex.h"
#include "core/nmea/NmeaCatalog.h"
#include "core/shell/ConfigurationFiles.h"
#include "core/util/SafeSave.h"
#include "core/util/TextRules.h"
#include "core/util/XmlDocument.h"

#include <QDir>
#include <QDomDocument>
#include <QFileInfo>

namespace {

using namespace BankLayout;

void initialValues(BankImage& image) {
    image = BankImage();
    image.setU32(RS485_1_Baud, 9600);
    image.setOctets(IpAddress, {192, 168, 2, 205});
    image.setOctets(SubnetMask, {255, 255, 255, 0});
    image.setOctets(Gateway, {255, 255, 255, 255});
    image.setU16(ApplicationPort, ApplicationPortValue);
    image.setU16(EtherNetIP_Port, 10001);
    image.setU16(EtherNetIP_Port2, 10001);
    image.setU32(RS232_Baud, 9600);
}

// Reads the items of ParGen.xml; an item that is missing reads as the null text, which no
// number rule or flag accepts, so it takes the default of the place that reads it.
class ParGenItems {
public:
    explicit ParGenItems(const QDomNode& root) : m_root(root) {}

    QString text(const char* key) const {
        const QDomElement element = m_root.firstChildElement(QLatin1String(key));
        return element.isNull() ? QString() : element.text();
    }
    bool flag(const char* key) const { return text(key) == u"1"; }
    qint32 number(const char* key, qint32 fallback) const { return intTextOr(text(key), fallback); }
    std::array<quint8, 4> octets(const char* prefix, const std::array<quint8, 4>& defaults) const {
        std::array<quint8, 4> result{};
        for (int i = 0; i < 4; ++i) {
            const QByteArray key = QByteArray(prefix) + QByteArray::number(i + 1);
            result[i] = static_cast<quint8>(number(key.constData(), defaults[i]));
        }
        return result;
    }

private:
    QDomNode m_root;
};

struct SerialPortKeys {
    const char* enable;
    const char* baud;
    const char* parity;
    const char* stopBits;
    quint8 enableBit;
};

constexpr SerialPortKeys kRS232{"RS232_ENABLE", "RS232_BAUDRATE", "RS232_PARITY", "RS232_STOP_BITS",
                                EnableRS232};
constexpr SerialPortKeys kRS485_1{"RS485_1_ENABLE", "RS485_1_BAUDRATE", "RS485_1_PARITY", "RS485_1_STOP_BITS",
                                  EnableRS485_1};
constexpr SerialPortKeys kRS485_2{"RS485_2_ENABLE", "RS485_2_BAUDRATE", "RS485_2_PARITY", "RS485_2_STOP_BITS",
                                  EnableRS485_2};

struct SerialSettings {
    quint32 baud;
    quint8 parity;
    quint8 stopBits;
};

// A disabled port keeps the values already in the block; the enable bits tell the firmware.
std::optional<SerialSettings> serialPort(const ParGenItems& items, const SerialPortKeys& keys) {
    if (!items.flag(keys.enable))
        return std::nullopt;
    return SerialSettings{static_cast<quint32>(items.number(keys.baud, 4800)),
                          static_cast<quint8>(Parity_to_Index(items.text(keys.parity))),
                          static_cast<quint8>(StopBits_to_Index(items.text(keys.stopBits)) + 1)};
}

enum class Parsed { Yes, Missing, Failed };

// A missing document takes the defaults; one that exists but cannot be parsed stops the compile.
Parsed parseDocument(const QString& path, QDomDocument& document, CompileError* error) {
    if (!QFileInfo::exists(path))
        return Parsed::Missing;
    QString message;
    if (!parseXmlFile(path, document, &message)) {
        if (error)
            *error = CompileError{CompileError::Kind::Document, path, message, 0};
        return Parsed::Failed;
    }
    return Parsed::Yes;
}

bool communicationParameters(const QString& path, BankImage& image, CompileError* error) {
    image.setU16(ApplicationPort, ApplicationPortValue);
    image.setU32(RuleTableAddress, RuleTableAddressValue);
    QDomDocument document;
    const Parsed parsed = parseDocument(path, document, error);
    if (parsed != Parsed::Yes)
        return parsed == Parsed::Missing;
    const ParGenItems items(firstNodeAsRoot(document));

    quint8 enable = 0;
    if (const auto port = serialPort(items, kRS232)) {
        enable |= EnableRS232;
        image.setU32(RS232_Baud, port->baud);
        image.setU16(RS232_Parity, port->parity);
        image.setU32(RS232_StopBits, port->stopBits);
    }
    if (const auto port = serialPort(items, kRS485_1)) {
        enable |= EnableRS485_1;
        image.setU32(RS485_1_Baud, port->baud);
        image.setU16(RS485_1_Parity, port->parity);
        image.setU32(RS485_1_StopBits, port->stopBits);
    }
    if (const auto port = serialPort(items, kRS485_2)) {
        enable |= EnableRS485_2;
        image.setU32(RS485_2_Baud, port->baud);
        image.setU8(RS485_2_Parity, port->parity);
        image.setU8(RS485_2_StopBits, port->stopBits);
    }
    image.setU8(SerialEnable, enable);

    image.setOctets(IpAddress, items.octets("EtherNetIP_IP", {192, 168, 0, 5}));
    image.setOctets(SubnetMask, items.octets("EtherNetIP_SM", {255, 255, 255, 0}));
    image.setOctets(Gateway, items.text("EtherNetIP_EN_GAT") == u"1"
                                 ? items.octets("EtherNetIP_GAT", {192, 168, 0, 1})
                                 : std::array<quint8, 4>{255, 255, 255, 255});

    // The parameters window never writes the port; only hand-made documents carry it.
    const auto port = static_cast<quint16>(items.number("EtherNetIP_PORT", 2000));
    image.setU16(EtherNetIP_Port, port);
    image.setU16(EtherNetIP_Port2, port);
    image.setU32(NbInput, static_cast<quint32>(items.number("EtherNetIP_NB_Input", 496)));
    image.setU32(NbOutput, static_cast<quint32>(items.number("EtherNetIP_NB_Output", 496)));
    return true;
}

// The channel code of a trimmed, upper-cased Serial_Channel text, only while its port is enabled.
std::optional<quint8> channelCode(const QString& channel, quint8 enableBits) {
    struct Channel {
        const char* text;
        quint8 enableBit;
        quint8 code;
    };
    static constexpr Channel kChannels[] = {
        {"RS232", EnableRS232, 0},
        {"RS485 1", EnableRS485_1, 1},
        {"RS485 / RS422", EnableRS485_1, 1},
        {"RS485 2", EnableRS485_2, 2},
    };
    for (const Channel& c : kChannels) {
        if (channel == QLatin1String(c.text))
            return (enableBits & c.enableBit) ? std::optional<quint8>(c.code) : std::nullopt;
    }
    return std::nullopt;
}

// Whether the device reads the Index of this rule: GSV only for its repeated fields, the other
// indexed sentences for every field.
bool usesIndex(int sentence, int field) {
    if (sentence == 10)
        return field == 1 || (field >= 3 && field <= 6);
    return sentence == 34 || sentence == 35 || (sentence >= 41 && sentence <= 47);
}

std::optional<RuleRecord> compileRule(const QDomElement& row, quint8 enableBits) {
    if (row.attribute(QStringLiteral("Enable")) != u"Y")
        return std::nullopt;
    const auto cleaned = [&row](const char* name) {
        return upperAscii(trimText(row.attribute(QLatin1String(name))));
    };
    const auto channel = channelCode(cleaned("Serial_Channel"), enableBits);
    if (!channel)
        return std::nullopt;
    const int sentence = Nmea::Find_Sentence(cleaned("Sentence"));
    if (sentence < 1 || !Nmea::isSupported(sentence))
        return std::nullopt;
    const int field = Nmea::GetIndexDataField(sentence, cleaned("DataField"));
    if (field < 0)
        return std::nullopt;

    RuleRecord record;
    record.sentence = static_cast<quint16>(sentence);
    record.channel = *channel;
    record.field = static_cast<quint8>(field);
    if (usesIndex(sentence, field))
        record.index = static_cast<quint8>(intTextOr(trimText(row.attribute(QStringLiteral("Index"))), 0));
    record.postOperation = static_cast<quint8>(
        Nmea::GetIndexPostOperation(trimText(row.attribute(QStringLiteral("PortOperation")))));
    if (cleaned("SwapAll") == u"Y")
        record.swaps |= SwapAllBit;
    if (cleaned("Swap16") == u"Y")
        record.swaps |= Swap16Bit;
    record.position = static_cast<quint16>(intTextOr(trimText(row.attribute(QStringLiteral("Position"))), 0));
    return record;
}

bool accessRules(const QString& path, BankImage& image, CompileError* error) {
    image.setU32(RuleCount, 0);
    QDomDocument document;
    const Parsed parsed = parseDocument(path, document, error);
    if (parsed != Parsed::Yes)
        return parsed == Parsed::Missing;
    const QDomElement listener = firstNodeAsRoot(document).firstChildElement(QStringLiteral("NMEA_Listener"));
    if (listener.isNull()) {
        if (error)
            *error = CompileError{CompileError::Kind::Document, path,
                                  QStringLiteral("The element NMEA_Listener is missing"), 0};
        return false;
    }

    const quint8 enableBits = image.u8(SerialEnable);
    int accepted = 0;
    const QDomNodeList rows = listener.childNodes();
    for (int i = 0; i < rows.size(); ++i) {
        // A node that is not an element has no attributes, so it fails the Enable test.
        const auto record = compileRule(rows.at(i).toElement(), enableBits);
        if (!record)
            continue;
        // Counted on past the last record so the refusal can say how many there are.
        if (accepted < MaxRules)
            image.setRecord(accepted, *record);
        ++accepted;
    }
    if (accepted > MaxRules) {
        if (error)
            *error = CompileError{CompileError::Kind::TooManyRules, path,
                                  QStringLiteral("%1 active rules, at most %2").arg(accepted).arg(MaxRules),
                                  accepted};
        return false;
    }
    image.setU32(RuleCount, static_cast<quint32>(accepted));
    return true;
}

} // namespace

bool Compile_Bank(const QString& File_ParGen, const QString& File_NMEA_Access, BankImage& image,
                  CompileError* error) {
    initialValues(image);
    // The rules need the enable bits of the parameter block being built.
    if (!communicationParameters(File_ParGen, image, error))
        return false;
    if (!accessRules(File_NMEA_Access, image, error))
        return false;
    image.setU32(Checksum, image.computeChecksum());
    return true;
}

QString bankPath(const QString& Active_Conf_Dir) {
    return ConfigurationFiles(Active_Conf_Dir).bank();
}

bool Save_Bank(const QString& Active_Conf_Dir, const BankImage& image, QString* error) {
    const ConfigurationFiles files(Active_Conf_Dir);
    const QString folder = files.binFolder();
    if (!QFileInfo(folder).isDir()) {
        if (error)
            *error = QStringLiteral("The folder %1 does not exist").arg(QDir::toNativeSeparators(folder));
        return false;
    }
    return saveFileAtomically(files.bank(), image.bytes(), error);
}
