#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class MessageCatalog;

// One serial port: RS232, RS485 1 or RS485 2. The list positions index kBaudRates, kParities and
// kStopBits, so a stored port always holds one of the list entries.
struct SerialPortSet {
    bool Enable = true;
    int BaudIndex = 2;     // "4800"
    int ParityIndex = 0;   // "NONE"
    int StopBitsIndex = 0; // "1 bit"

    bool operator==(const SerialPortSet&) const = default;
};

// The communication parameter set of one configuration, as ParGen.xml holds it. Octets, byte
// counts and the host name are kept as typed: only the data check judges them. The member values
// are the defaults the parameters window shows for a missing document or item.
struct ParGenSet {
    QString Eth_Conn_Device_Name;
    bool Eth_Conn_DHCP_Cable = false;
    bool Eth_Conn_DHCP_WiFi = false; // always off in this product
    bool Eth_Conn_Enable_DNS = false;
    std::array<QString, 4> Eth_Conn_Primary_DNS{QStringLiteral("8"), QStringLiteral("8"), QStringLiteral("8"),
                                                QStringLiteral("8")};
    std::array<QString, 4> Eth_Conn_Secondary_DNS{QStringLiteral("8"), QStringLiteral("8"),
                                                  QStringLiteral("4"), QStringLiteral("4")};
    SerialPortSet RS232;
    SerialPortSet RS485_1;
    SerialPortSet RS485_2;
    std::array<QString, 4> EtherNetIP_IP{QStringLiteral("192"), QStringLiteral("168"), QStringLiteral("0"),
                                         QStringLiteral("5")};
    std::array<QString, 4> EtherNetIP_SM{QStringLiteral("255"), QStringLiteral("255"), QStringLiteral("255"),
                                         QStringLiteral("0")};
    std::array<QString, 4> EtherNetIP_GAT{QStringLiteral("192"), QStringLiteral("168"), QStringLiteral("0"),
                                          QStringLiteral("1")};
    bool EtherNetIP_EN_GAT = false;
    QString EtherNetIP_NB_Input = QStringLiteral("496");
    QString EtherNetIP_NB_Output = QStringLiteral("496");

    bool operator==(const ParGenSet&) const = default;
};

namespace ParGen {

inline constexpr int ItemCount = 39;
// The element names in document order, the order in which they are written.
extern const char* const kKeys[ItemCount];

// The 39 stored texts in document order ("1"/"0" for flags, list entries for the ports).
QStringList storedTexts(const ParGenSet& set);
// The set that 39 stored texts describe: flags on only for "1", ports through the text-to-index
// operations, the Wi-Fi DHCP flag always off.
ParGenSet fromStoredTexts(const QStringList& texts);

enum class LoadResult { Loaded, Missing, Failed };

// Reads the document at path. Missing: set becomes the defaults. Loaded: each item from the first
// element of its name under the first node of the document, missing items from the defaults.
// Failed (not well-formed or unreadable): set is left as it was and error names the file and
// carries the parser's message and line.
LoadResult load(const QString& path, ParGenSet& set, QString* error = nullptr);

// The document as written: root Par_Gen with the 39 items, then the version comment.
QByteArray serialize(const ParGenSet& set);

// Replaces the file whole; on failure the old file stays and error names the file and the reason.
bool save(const QString& path, const ParGenSet& set, QString* error = nullptr);

// The range of both byte counts.
inline constexpr int MaxBytes = 496;

} // namespace ParGen

// The data check run on OK: the first failing field's message from the catalog, or nothing when
// the set may be saved. DNS octets count only with DNS on, gateway octets only with the gateway
// on; every other item but the byte counts and the address and mask octets goes unchecked.
std::optional<QString> Controllo_Dati(const ParGenSet& set, const MessageCatalog& catalog);
