#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

// The EtherNet/IP encapsulation: the 24-byte header every message over TCP port 44818 (and the
// discovery datagrams on UDP 44818) starts with, and the common packet format of items that
// SendRRData and the I/O datagrams carry. Little-endian throughout.
namespace Enip {

namespace Command {
inline constexpr quint16 Nop = 0x0000;
inline constexpr quint16 ListServices = 0x0004;
inline constexpr quint16 ListIdentity = 0x0063;
inline constexpr quint16 ListInterfaces = 0x0064;
inline constexpr quint16 RegisterSession = 0x0065;
inline constexpr quint16 UnRegisterSession = 0x0066;
inline constexpr quint16 SendRRData = 0x006F;
inline constexpr quint16 SendUnitData = 0x0070;
} // namespace Command

namespace EncapsulationStatus {
inline constexpr quint32 Success = 0x0000;
inline constexpr quint32 InvalidCommand = 0x0001;
inline constexpr quint32 IncorrectData = 0x0003;
inline constexpr quint32 InvalidSessionHandle = 0x0064;
inline constexpr quint32 InvalidLength = 0x0065;
inline constexpr quint32 UnsupportedProtocol = 0x0069;
} // namespace EncapsulationStatus

// The protocol version RegisterSession and ListIdentity speak.
inline constexpr quint16 ProtocolVersion = 1;

struct Header {
    static constexpr int Size = 24;
    static constexpr int ContextSize = 8;

    quint16 command = 0;
    quint16 length = 0; // of the data after the header
    quint32 session = 0;
    quint32 status = 0;
    QByteArray context = QByteArray(ContextSize, '\0'); // the sender's, echoed in the reply
    quint32 options = 0;
};

// The header at the start of bytes, or none when fewer than Header::Size bytes are there.
std::optional<Header> readHeader(QByteArrayView bytes);
// A whole message: the header with data's length, then data.
QByteArray encapsulated(Header header, QByteArrayView data);
// The reply to request: its command and context, the session and status given.
QByteArray reply(const Header& request, quint32 session, quint32 status, QByteArrayView data = {});

namespace Item {
inline constexpr quint16 NullAddress = 0x0000;
inline constexpr quint16 ListIdentity = 0x000C;
inline constexpr quint16 ConnectedAddress = 0x00A1;
inline constexpr quint16 ConnectedData = 0x00B1;
inline constexpr quint16 UnconnectedData = 0x00B2;
inline constexpr quint16 ListServices = 0x0100;
inline constexpr quint16 SockaddrOriginatorToTarget = 0x8000;
inline constexpr quint16 SockaddrTargetToOriginator = 0x8001;
inline constexpr quint16 SequencedAddress = 0x8002;
} // namespace Item

struct CpfItem {
    quint16 type = 0;
    QByteArrayView data;
};

// More items than any message this adapter reads carries; a packet with more is refused.
inline constexpr int MaxCpfItems = 8;

// The items of a common packet format filling bytes exactly (count, then type, length and data of
// each), or none when the count, a length or the total does not add up.
std::optional<QList<CpfItem>> readCpf(QByteArrayView bytes);
struct CpfOut {
    quint16 type;
    QByteArray data;
};
QByteArray cpf(const QList<CpfOut>& items);
// The first item of that type, or none.
std::optional<CpfItem> findItem(const QList<CpfItem>& items, quint16 type);

// A socket address item (sockaddr_in, network byte order): family 2, port, IPv4 address.
struct SocketAddress {
    quint16 port = 0;
    quint32 address = 0;
};
QByteArray socketAddressItem(SocketAddress address);
std::optional<SocketAddress> readSocketAddress(QByteArrayView data);

} // namespace Enip
