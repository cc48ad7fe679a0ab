#include "core/image/BankCompiler.h"

#include "core/comm/ParGen.h"
#include "core/comm/SerialIndex.h"
#include "core/nmea/NmeaCatalog.h"
#include "core/shell/ConfigurationFiles.h"
#include "core/util/SafeSave.h"
#include "core/util/TextRules.h"
#include "core/util/XmlDocument.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

using namespace Qt::StringLiterals;

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
    explicit ParGenItems(const ParameterItems& items) : m_items(items) {}

    QString text(const char* key) const { return m_items(key); }
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
    const ParameterItems& m_items;
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

// A missing document takes the defaults; one that exists but cannot be opened stops the compile.
enum class Opened { Yes, Missing, Failed };

Opened openDocument(const QString& path, XmlRootReader& reader, CompileError* error) {
    if (!QFileInfo::exists(path))
        return Opened::Missing;
    QString message;
    if (!reader.open(path, &message)) {
        if (error)
            *error = CompileError{CompileError::Kind::Document, path, message, 0};
        return Opened::Failed;
    }
    return Opened::Yes;
}

// Reads to the end, as a document that is not well-formed anywhere cannot be used.
bool readWhole(XmlRootReader& reader, const QString& path, CompileError* error) {
    QString message;
    if (reader.finished(&message))
        return true;
    if (error)
        *error = CompileError{CompileError::Kind::Document, path, message, 0};
    return false;
}

// The items the compiler reads, found once by letting it read a document in which every item is
// "1", which turns every port and the gateway on.
const QSet<QString>& parameterKeys() {
    static const QSet<QString> keys = [] {
        QSet<QString> read;
        BankImage image;
        compileParameters(
            [&read](const char* key) {
                read.insert(QString::fromLatin1(key));
                return QStringLiteral("1");
            },
            image);
        return read;
    }();
    return keys;
}

void fixedParameters(BankImage& image) {
    image.setU16(ApplicationPort, ApplicationPortValue);
    image.setU32(RuleTableAddress, RuleTableAddressValue);
}

struct Channel {
    const char* text;
    quint8 enableBit;
    quint8 code;
};

// The channel of a trimmed, upper-cased Serial_Channel text.
std::optional<Channel> channelCode(const QString& channel) {
    static constexpr Channel kChannels[] = {
        {"RS232", EnableRS232, 0},
        {"RS485 1", EnableRS485_1, 1},
        {"RS485 / RS422", EnableRS485_1, 1},
        {"RS485 2", EnableRS485_2, 2},
    };
    for (const Channel& c : kChannels) {
        if (channel == QLatin1String(c.text))
            return c;
    }
    return std::nullopt;
}

bool accessRules(const QString& path, BankImage& image, CompileError* error) {
    image.setU32(RuleCount, 0);
    const quint8 enableBits = image.u8(SerialEnable);
    int accepted = 0;
    const bool read = readRuleDocument(
        path,
        [&](const Nmea::RuleAttributes& rule) {
            const RuleDecision decision = compileRule(rule, enableBits);
            if (!decision.record)
                return;
            // Counted on past the last record so the refusal can say how many there are.
            if (accepted < MaxRules)
                image.setRecord(accepted, *decision.record);
            ++accepted;
        },
        error);
    if (!read)
        return false;
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

RuleDecision compileRule(const Nmea::RuleAttributes& rule, quint8 enableBits) {
    RuleDecision decision;
    const auto reject = [&decision](RuleRejection why) {
        decision.rejection = why;
        return decision;
    };
    if (rule.Enable != u"Y")
        return reject(RuleRejection::Enable);
    const auto cleaned = [](const QString& text) { return upperAscii(trimText(text)); };
    const QString channelText = cleaned(rule.Serial_Channel);
    const auto channel = channelCode(channelText);
    if (!channel)
        return reject(RuleRejection::Channel);
    if (!(enableBits & channel->enableBit))
        return reject(RuleRejection::PortDisabled);
    const int sentence = Nmea::Find_Sentence(cleaned(rule.Sentence));
    if (sentence < 1)
        return reject(RuleRejection::Sentence);
    if (!Nmea::isSupported(sentence))
        return reject(RuleRejection::Unsupported);
    const int field = Nmea::GetIndexDataField(sentence, cleaned(rule.DataField));
    if (field < 0)
        return reject(RuleRejection::Field);

    RuleRecord record;
    record.sentence = static_cast<quint16>(sentence);
    record.channel = channel->code;
    record.field = static_cast<quint8>(field);
    // The device reads the Index only where the field repeats.
    if (Nmea::indexRule(sentence, field).required) {
        const auto index = parseIntText(trimText(rule.Index));
        record.index = static_cast<quint8>(index.value_or(0));
        decision.indexNotByte = !index || *index < 0 || *index > 0xFF;
    }
    const QString postOperation = trimText(rule.PortOperation);
    record.postOperation = static_cast<quint8>(Nmea::GetIndexPostOperation(postOperation));
    decision.postOperationUnknown = record.postOperation == 0 && !postOperation.isEmpty() &&
                                    postOperation != Nmea::postOperationLabels().at(0);
    if (cleaned(rule.SwapAll) == u"Y")
        record.swaps |= SwapAllBit;
    if (cleaned(rule.Swap16) == u"Y")
        record.swaps |= Swap16Bit;
    const auto position = parseIntText(trimText(rule.Position));
    record.position = static_cast<quint16>(position.value_or(0));
    decision.positionNotWord = !position || *position < 0 || *position > 0xFFFF;
    decision.record = record;
    return decision;
}

void compileParameters(const ParameterItems& source, BankImage& image) {
    const ParGenItems items(source);
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
}

bool compileParameterDocument(const QString& File_ParGen, BankImage& image, CompileError* error) {
    initialValues(image);
    // Written whether or not the document exists.
    fixedParameters(image);
    XmlRootReader reader;
    const Opened opened = openDocument(File_ParGen, reader, error);
    if (opened != Opened::Yes)
        return opened == Opened::Missing;
    // The first child of the root of each name counts; its text is all the text inside it.
    const QSet<QString>& keys = parameterKeys();
    QHash<QString, QString> items;
    QString* item = nullptr;
    while (reader.next()) {
        switch (reader.token()) {
        case XmlRootReader::Token::StartElement:
            if (reader.depth() == 2) {
                const QString name = reader.name().toString();
                item = keys.contains(name) && !items.contains(name) ? &items[name] : nullptr;
            }
            break;
        case XmlRootReader::Token::EndElement:
            if (reader.depth() == 2)
                item = nullptr;
            break;
        case XmlRootReader::Token::Text:
            if (item)
                item->append(reader.text());
            break;
        }
    }
    if (!readWhole(reader, File_ParGen, error))
        return false;
    compileParameters(
        [&items](const char* key) {
            const auto found = items.constFind(QLatin1String(key));
            // A present item reads as a text, never null, even when empty.
            return found == items.cend() ? QString() : found->isNull() ? QString(u""_s) : *found;
        },
        image);
    return true;
}

BankImage compileParameterSet(const ParGenSet& set) {
    BankImage image;
    initialValues(image);
    fixedParameters(image);
    const QStringList texts = ParGen::storedTexts(set);
    compileParameters(
        [&texts](const char* key) {
            // As the saved document holds the text: without characters XML cannot carry.
            for (int i = 0; i < ParGen::ItemCount; ++i) {
                if (qstrcmp(ParGen::kKeys[i], key) == 0)
                    return xmlCharactersOnly(texts.value(i));
            }
            return QString();
        },
        image);
    return image;
}

bool readRuleDocument(const QString& File_NMEA_Access,
                      const std::function<void(const Nmea::RuleAttributes&)>& visit, CompileError* error) {
    return readRuleElements(
        File_NMEA_Access, [&visit](const XmlRootReader& element) { visit(Nmea::attributesOf(element)); },
        error);
}

bool readRuleElements(const QString& File_NMEA_Access, const std::function<void(const XmlRootReader&)>& visit,
                      CompileError* error) {
    if (!QFileInfo::exists(File_NMEA_Access))
        return true;
    // A node in NMEA_Listener that is not an element has no attributes, so it fails the Enable test
    // and is no rule.
    QString message;
    const Nmea::RowsRead read = Nmea::readRuleRows(File_NMEA_Access, visit, &message);
    if (read == Nmea::RowsRead::Read)
        return true;
    if (error)
        *error = CompileError{CompileError::Kind::Document, File_NMEA_Access,
                              read == Nmea::RowsRead::NoListener
                                  ? QStringLiteral("The element NMEA_Listener is missing")
                                  : message,
                              0};
    return false;
}

bool Compile_Bank(const QString& File_ParGen, const QString& File_NMEA_Access, BankImage& image,
                  CompileError* error) {
    // The rules need the enable bits of the parameter block being built.
    if (!compileParameterDocument(File_ParGen, image, error))
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
