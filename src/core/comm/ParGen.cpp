#include "core/comm/ParGen.h"

#include "core/comm/SerialIndex.h"
#include "core/language/MessageCatalog.h"
#include "core/language/TextSlots.h"
#include "core/util/SafeSave.h"
#include "core/util/TextRules.h"
#include "core/util/XmlDocument.h"

#include <QDomDocument>
#include <QFileInfo>

namespace ParGen {

const char* const kKeys[ItemCount] = {
    "Eth_Conn_Device_Name",
    "Eth_Conn_DHCP_Cable",
    "Eth_Conn_DHCP_WiFi",
    "Eth_Conn_Enable_DNS",
    "Eth_Conn_Primary_DNS1",
    "Eth_Conn_Primary_DNS2",
    "Eth_Conn_Primary_DNS3",
    "Eth_Conn_Primary_DNS4",
    "Eth_Conn_Secondary_DNS1",
    "Eth_Conn_Secondary_DNS2",
    "Eth_Conn_Secondary_DNS3",
    "Eth_Conn_Secondary_DNS4",
    "RS232_ENABLE",
    "RS232_BAUDRATE",
    "RS232_PARITY",
    "RS232_STOP_BITS",
    "RS485_1_ENABLE",
    "RS485_1_BAUDRATE",
    "RS485_1_PARITY",
    "RS485_1_STOP_BITS",
    "RS485_2_ENABLE",
    "RS485_2_BAUDRATE",
    "RS485_2_PARITY",
    "RS485_2_STOP_BITS",
    "EtherNetIP_IP1",
    "EtherNetIP_IP2",
    "EtherNetIP_IP3",
    "EtherNetIP_IP4",
    "EtherNetIP_SM1",
    "EtherNetIP_SM2",
    "EtherNetIP_SM3",
    "EtherNetIP_SM4",
    "EtherNetIP_GAT1",
    "EtherNetIP_GAT2",
    "EtherNetIP_GAT3",
    "EtherNetIP_GAT4",
    "EtherNetIP_EN_GAT",
    "EtherNetIP_NB_Input",
    "EtherNetIP_NB_Output",
};

namespace {

const QString kVersionComment = QStringLiteral("SW_VERSION = 1.000");

QString flagText(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

void appendPort(QStringList& texts, const SerialPortSet& port) {
    texts << flagText(port.Enable) << QString::fromLatin1(kBaudRates[port.BaudIndex])
          << QString::fromLatin1(kParities[port.ParityIndex])
          << QString::fromLatin1(kStopBits[port.StopBitsIndex]);
}

// Reads the texts in document order, starting at next.
class Reader {
public:
    explicit Reader(const QStringList& texts) : m_texts(texts) {}
    QString text() { return m_texts.at(m_next++); }
    bool flag() { return text() == QStringLiteral("1"); }
    void octets(std::array<QString, 4>& octets) {
        for (QString& octet : octets)
            octet = text();
    }
    void port(SerialPortSet& port) {
        port.Enable = flag();
        port.BaudIndex = Baud_to_Index(text());
        port.ParityIndex = Parity_to_Index(text());
        port.StopBitsIndex = StopBits_to_Index(text());
    }

private:
    const QStringList& m_texts;
    int m_next = 0;
};

} // namespace

QStringList storedTexts(const ParGenSet& set) {
    QStringList texts;
    texts << set.Eth_Conn_Device_Name << flagText(set.Eth_Conn_DHCP_Cable) << flagText(set.Eth_Conn_DHCP_WiFi)
          << flagText(set.Eth_Conn_Enable_DNS);
    for (const QString& octet : set.Eth_Conn_Primary_DNS)
        texts << octet;
    for (const QString& octet : set.Eth_Conn_Secondary_DNS)
        texts << octet;
    appendPort(texts, set.RS232);
    appendPort(texts, set.RS485_1);
    appendPort(texts, set.RS485_2);
    for (const auto* octets : {&set.EtherNetIP_IP, &set.EtherNetIP_SM, &set.EtherNetIP_GAT}) {
        for (const QString& octet : *octets)
            texts << octet;
    }
    texts << flagText(set.EtherNetIP_EN_GAT) << set.EtherNetIP_NB_Input << set.EtherNetIP_NB_Output;
    return texts;
}

ParGenSet fromStoredTexts(const QStringList& texts) {
    Q_ASSERT(texts.size() == ItemCount);
    ParGenSet set;
    Reader reader(texts);
    set.Eth_Conn_Device_Name = reader.text();
    set.Eth_Conn_DHCP_Cable = reader.flag();
    reader.flag(); // this product has no Wi-Fi: its DHCP flag always reads as off
    set.Eth_Conn_DHCP_WiFi = false;
    set.Eth_Conn_Enable_DNS = reader.flag();
    reader.octets(set.Eth_Conn_Primary_DNS);
    reader.octets(set.Eth_Conn_Secondary_DNS);
    reader.port(set.RS232);
    reader.port(set.RS485_1);
    reader.port(set.RS485_2);
    reader.octets(set.EtherNetIP_IP);
    reader.octets(set.EtherNetIP_SM);
    reader.octets(set.EtherNetIP_GAT);
    set.EtherNetIP_EN_GAT = reader.flag();
    set.EtherNetIP_NB_Input = reader.text();
    set.EtherNetIP_NB_Output = reader.text();
    return set;
}

LoadResult load(const QString& path, ParGenSet& set, QString* error) {
    if (!QFileInfo::exists(path)) {
        set = ParGenSet();
        return LoadResult::Missing;
    }
    QDomDocument document;
    QString reason;
    if (!parseXmlFile(path, document, &reason)) {
        if (error)
            *error = QStringLiteral("%1\n%2").arg(path, reason);
        return LoadResult::Failed;
    }
    const QDomNode root = firstNodeAsRoot(document);
    QStringList texts = storedTexts(ParGenSet());
    for (int i = 0; i < ItemCount; ++i) {
        const QDomElement element = root.firstChildElement(QString::fromLatin1(kKeys[i]));
        if (!element.isNull())
            texts[i] = element.text();
    }
    set = fromStoredTexts(texts);
    return LoadResult::Loaded;
}

QByteArray serialize(const ParGenSet& set) {
    QDomDocument document;
    QDomNode root = document.appendChild(document.createElement(QStringLiteral("Par_Gen")));
    document.appendChild(document.createComment(kVersionComment));
    const QStringList texts = storedTexts(set);
    for (int i = 0; i < ItemCount; ++i) {
        appendTextElement(document, root, QString::fromLatin1(kKeys[i]), texts[i]);
    }
    return documentBytes(document);
}

bool save(const QString& path, const ParGenSet& set, QString* error) {
    QString reason;
    if (saveFileAtomically(path, serialize(set), &reason))
        return true;
    if (error)
        *error = QStringLiteral("%1\n%2").arg(path, reason);
    return false;
}

} // namespace ParGen

namespace {

bool inRange(const QString& text, int maximum) {
    const qint32 value = intTextOr(text, -1);
    return value >= 0 && value <= maximum;
}

namespace Text = TextSlot::ParGen;

// The message slot of the first octet out of 0..255, one slot per octet.
std::optional<int> firstBadOctet(const std::array<QString, 4>& octets, TextRange messages) {
    for (int i = 0; i < 4; ++i) {
        if (!inRange(octets[i], 255))
            return messages.at(i);
    }
    return std::nullopt;
}

// The byte-count messages carry the limit as "%d". Replacing the text, not formatting it, keeps a
// language file with another conversion in that slot from reading a missing argument.
QString withLimit(const QString& text) {
    QString result = text;
    return result.replace(QStringLiteral("%d"), QString::number(ParGen::MaxBytes));
}

} // namespace

std::optional<QString> Controllo_Dati(const ParGenSet& set, const MessageCatalog& catalog) {
    std::optional<int> slot;
    if (set.Eth_Conn_Enable_DNS) {
        slot = firstBadOctet(set.Eth_Conn_Primary_DNS, Text::PrimaryDnsErrors);
        if (!slot)
            slot = firstBadOctet(set.Eth_Conn_Secondary_DNS, Text::SecondaryDnsErrors);
    }
    if (!slot)
        slot = firstBadOctet(set.EtherNetIP_IP, Text::AddressErrors);
    if (!slot)
        slot = firstBadOctet(set.EtherNetIP_SM, Text::MaskErrors);
    if (!slot && set.EtherNetIP_EN_GAT)
        slot = firstBadOctet(set.EtherNetIP_GAT, Text::GatewayErrors);
    if (slot)
        return catalog.text(*slot);
    if (!inRange(set.EtherNetIP_NB_Input, ParGen::MaxBytes))
        return withLimit(catalog.text(Text::BytesInError));
    if (!inRange(set.EtherNetIP_NB_Output, ParGen::MaxBytes))
        return withLimit(catalog.text(Text::BytesOutError));
    return std::nullopt;
}
