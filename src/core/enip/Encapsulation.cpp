#include "core/enip/Encapsulation.h"

#include "core/enip/Bytes.h"

namespace Enip {

std::optional<Header> readHeader(QByteArrayView bytes) {
    if (bytes.size() < Header::Size)
        return std::nullopt;
    ByteReader in(bytes);
    Header header;
    header.command = in.u16();
    header.length = in.u16();
    header.session = in.u32();
    header.status = in.u32();
    header.context = in.bytes(Header::ContextSize).toByteArray();
    header.options = in.u32();
    return header;
}

QByteArray encapsulated(Header header, QByteArrayView data) {
    ByteWriter out;
    out.u16(header.command).u16(quint16(data.size())).u32(header.session).u32(header.status);
    header.context.resize(Header::ContextSize, '\0');
    out.bytes(header.context).u32(header.options).bytes(data);
    return out.data();
}

QByteArray reply(const Header& request, quint32 session, quint32 status, QByteArrayView data) {
    Header header = request;
    header.session = session;
    header.status = status;
    header.options = 0;
    return encapsulated(header, data);
}

std::optional<QList<CpfItem>> readCpf(QByteArrayView bytes) {
    ByteReader in(bytes);
    const quint16 count = in.u16();
    if (!in.ok() || count > MaxCpfItems)
        return std::nullopt;
    QList<CpfItem> items;
    items.reserve(count);
    for (int i = 0; i < count; ++i) {
        CpfItem item;
        item.type = in.u16();
        const quint16 length = in.u16();
        item.data = in.bytes(length);
        if (!in.ok())
            return std::nullopt;
        items << item;
    }
    if (in.left() != 0)
        return std::nullopt;
    return items;
}

QByteArray cpf(const QList<CpfOut>& items) {
    ByteWriter out;
    out.u16(quint16(items.size()));
    for (const CpfOut& item : items)
        out.u16(item.type).u16(quint16(item.data.size())).bytes(item.data);
    return out.data();
}

std::optional<CpfItem> findItem(const QList<CpfItem>& items, quint16 type) {
    for (const CpfItem& item : items)
        if (item.type == type)
            return item;
    return std::nullopt;
}

namespace {
constexpr quint16 AddressFamilyInet = 2;
constexpr int SocketAddressSize = 16;
} // namespace

QByteArray socketAddressItem(SocketAddress address) {
    ByteWriter out;
    out.u16BigEndian(AddressFamilyInet).u16BigEndian(address.port).u32BigEndian(address.address).zeros(8);
    return out.data();
}

std::optional<SocketAddress> readSocketAddress(QByteArrayView data) {
    if (data.size() != SocketAddressSize)
        return std::nullopt;
    const auto big16 = [&data](int at) { return quint16(quint8(data[at]) << 8 | quint8(data[at + 1])); };
    if (big16(0) != AddressFamilyInet)
        return std::nullopt;
    return SocketAddress{big16(2), quint32(big16(4)) << 16 | big16(6)};
}

} // namespace Enip
