#include "core/enip/Cip.h"

#include "core/enip/Bytes.h"

namespace Enip::Cip {

namespace {

constexpr quint8 ElectronicKeySegment = 0x34;
constexpr quint8 ElectronicKeyFormat = 4;
constexpr quint8 SimpleDataSegment = 0x80;
// More connection points than a connection has (configuration, consumed, produced).
constexpr int MaxConnectionPoints = 4;

enum class LogicalType { Class = 0, Instance = 1, Member = 2, ConnectionPoint = 3, Attribute = 4 };

} // namespace

std::optional<Path> readPath(QByteArrayView bytes) {
    ByteReader in(bytes);
    Path path;
    while (in.left() > 0) {
        const quint8 segment = in.u8();
        if (segment == ElectronicKeySegment) {
            if (in.u8() != ElectronicKeyFormat)
                return std::nullopt;
            ElectronicKey key;
            key.vendorId = in.u16();
            key.deviceType = in.u16();
            key.productCode = in.u16();
            const quint8 major = in.u8();
            key.majorRevision = major & 0x7F;
            key.compatible = (major & 0x80) != 0;
            key.minorRevision = in.u8();
            if (!in.ok())
                return std::nullopt;
            path.key = key;
            continue;
        }
        if (segment == SimpleDataSegment) {
            const quint8 words = in.u8();
            path.data = in.bytes(2 * qsizetype(words)).toByteArray();
            if (!in.ok())
                return std::nullopt;
            continue;
        }
        if ((segment & 0xE0) != 0x20)
            return std::nullopt; // a port, symbolic or network segment: nothing this adapter routes
        const int format = segment & 0x03;
        quint32 value = 0;
        if (format == 0) {
            value = in.u8();
        } else if (format == 1) {
            in.skip(1);
            value = in.u16();
        } else if (format == 2) {
            in.skip(1);
            value = in.u32();
        } else {
            return std::nullopt;
        }
        if (!in.ok())
            return std::nullopt;
        switch (LogicalType((segment >> 2) & 0x07)) {
        case LogicalType::Class:
            path.classId = value;
            break;
        case LogicalType::Instance:
            path.instance = value;
            break;
        case LogicalType::Member:
            break;
        case LogicalType::ConnectionPoint:
            if (path.connectionPoints.size() == MaxConnectionPoints)
                return std::nullopt;
            path.connectionPoints << value;
            break;
        case LogicalType::Attribute:
            path.attribute = value;
            break;
        default:
            return std::nullopt;
        }
    }
    return path;
}

namespace {

void logicalSegment(ByteWriter& out, LogicalType type, quint32 value) {
    const quint8 base = quint8(0x20 | int(type) << 2);
    if (value <= 0xFF)
        out.u8(base).u8(value);
    else if (value <= 0xFFFF)
        out.u8(base | 1).u8(0).u16(value);
    else
        out.u8(base | 2).u8(0).u32(value);
}

} // namespace

QByteArray logicalPath(quint32 classId, quint32 instance, std::optional<quint32> attribute) {
    ByteWriter out;
    logicalSegment(out, LogicalType::Class, classId);
    logicalSegment(out, LogicalType::Instance, instance);
    if (attribute)
        logicalSegment(out, LogicalType::Attribute, *attribute);
    return out.data();
}

std::optional<Request> readRequest(QByteArrayView message) {
    ByteReader in(message);
    Request request;
    request.service = in.u8();
    const quint8 words = in.u8();
    request.pathBytes = in.bytes(2 * qsizetype(words));
    if (!in.ok())
        return std::nullopt;
    request.data = in.rest();
    return request;
}

QByteArray request(quint8 service, QByteArrayView path, QByteArrayView data) {
    ByteWriter out;
    out.u8(service).u8(quint8((path.size() + 1) / 2)).bytes(path);
    if (path.size() % 2)
        out.u8(0);
    out.bytes(data);
    return out.data();
}

QByteArray reply(quint8 service, quint8 general, const QList<quint16>& extended, QByteArrayView data) {
    ByteWriter out;
    out.u8(service | Service::Reply).u8(0).u8(general).u8(quint8(extended.size()));
    for (const quint16 word : extended)
        out.u16(word);
    out.bytes(data);
    return out.data();
}

std::optional<Reply> readReply(QByteArrayView message) {
    ByteReader in(message);
    Reply reply;
    const quint8 service = in.u8();
    in.skip(1);
    reply.general = in.u8();
    const quint8 words = in.u8();
    for (int i = 0; i < words; ++i)
        reply.extended << in.u16();
    if (!in.ok() || !(service & Service::Reply))
        return std::nullopt;
    reply.service = service & ~Service::Reply;
    reply.data = in.rest();
    return reply;
}

ConnectionParameters readParameters(quint32 word, bool large) {
    ConnectionParameters p;
    if (large) {
        p.size = int(word & 0xFFFF);
        p.variable = (word >> 25) & 1;
        p.priority = int((word >> 26) & 3);
        p.type = ConnectionParameters::Type((word >> 29) & 3);
        p.redundantOwner = (word >> 31) & 1;
    } else {
        p.size = int(word & 0x1FF);
        p.variable = (word >> 9) & 1;
        p.priority = int((word >> 10) & 3);
        p.type = ConnectionParameters::Type((word >> 13) & 3);
        p.redundantOwner = (word >> 15) & 1;
    }
    return p;
}

quint32 parametersWord(const ConnectionParameters& p, bool large) {
    if (large)
        return quint32(p.size & 0xFFFF) | quint32(p.variable) << 25 | quint32(p.priority & 3) << 26 |
               quint32(int(p.type) & 3) << 29 | quint32(p.redundantOwner) << 31;
    return quint32(p.size & 0x1FF) | quint32(p.variable) << 9 | quint32(p.priority & 3) << 10 |
           quint32(int(p.type) & 3) << 13 | quint32(p.redundantOwner) << 15;
}

std::optional<ForwardOpen> readForwardOpen(QByteArrayView data, bool large) {
    ByteReader in(data);
    ForwardOpen open;
    open.large = large;
    open.tick = in.u8();
    open.timeoutTicks = in.u8();
    open.originatorToTargetId = in.u32();
    open.targetToOriginatorId = in.u32();
    open.connectionSerial = in.u16();
    open.originatorVendor = in.u16();
    open.originatorSerial = in.u32();
    open.timeoutMultiplier = in.u8();
    in.skip(3);
    open.originatorToTargetRpi = in.u32();
    open.originatorToTarget = readParameters(large ? in.u32() : in.u16(), large);
    open.targetToOriginatorRpi = in.u32();
    open.targetToOriginator = readParameters(large ? in.u32() : in.u16(), large);
    open.transport = in.u8();
    const quint8 words = in.u8();
    open.path = in.bytes(2 * qsizetype(words));
    if (!in.ok())
        return std::nullopt;
    return open;
}

QByteArray forwardOpenData(const ForwardOpen& open) {
    ByteWriter out;
    out.u8(open.tick).u8(open.timeoutTicks).u32(open.originatorToTargetId).u32(open.targetToOriginatorId);
    out.u16(open.connectionSerial).u16(open.originatorVendor).u32(open.originatorSerial);
    out.u8(open.timeoutMultiplier).zeros(3);
    const auto parameters = [&](const ConnectionParameters& p) {
        const quint32 word = parametersWord(p, open.large);
        if (open.large)
            out.u32(word);
        else
            out.u16(word);
    };
    out.u32(open.originatorToTargetRpi);
    parameters(open.originatorToTarget);
    out.u32(open.targetToOriginatorRpi);
    parameters(open.targetToOriginator);
    out.u8(open.transport).u8(quint8((open.path.size() + 1) / 2)).bytes(open.path);
    if (open.path.size() % 2)
        out.u8(0);
    return out.data();
}

std::optional<ForwardClose> readForwardClose(QByteArrayView data) {
    ByteReader in(data);
    ForwardClose close;
    in.skip(2); // tick and time-out ticks
    close.connectionSerial = in.u16();
    close.originatorVendor = in.u16();
    close.originatorSerial = in.u32();
    const quint8 words = in.u8();
    in.skip(1);
    close.path = in.bytes(2 * qsizetype(words));
    if (!in.ok())
        return std::nullopt;
    return close;
}

} // namespace Enip::Cip
