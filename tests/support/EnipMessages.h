#pragma once

// What a scanner (the PLC's side) sends to the virtual converter and reads back, built on the
// core's codecs: the tests' own scanner, the hostile inputs and the fuzz seeds speak through it.

#include "core/enip/AdapterSettings.h"
#include "core/enip/Bytes.h"
#include "core/enip/Cip.h"
#include "core/enip/Encapsulation.h"

#include <QByteArray>
#include <QList>

#include <optional>

namespace EnipTest {

using namespace Enip;

inline QByteArray message(quint16 command, quint32 session, QByteArrayView data = {}, quint32 options = 0) {
    Header header;
    header.command = command;
    header.session = session;
    header.context = QByteArrayLiteral("scanner!");
    header.options = options;
    return encapsulated(header, data);
}

inline QByteArray registerSession() {
    return message(Command::RegisterSession, 0, ByteWriter().u16(1).u16(0).data());
}

inline QByteArray sendRRData(quint32 session, const QByteArray& cip, const QList<CpfOut>& extra = {}) {
    QList<CpfOut> items{{Item::NullAddress, {}}, {Item::UnconnectedData, cip}};
    items << extra;
    return message(Command::SendRRData, session, ByteWriter().u32(0).u16(10).bytes(cpf(items)).data());
}

// The CIP reply inside a SendRRData reply, and the items beside it.
struct RRReply {
    Header header;
    quint8 service = 0;
    quint8 general = 0;
    QList<quint16> extended;
    QByteArray data;
    QList<CpfOut> items;
};
inline std::optional<RRReply> readRRReply(QByteArrayView bytes) {
    const std::optional<Header> header = readHeader(bytes);
    if (!header || bytes.size() != Header::Size + header->length)
        return std::nullopt;
    RRReply out;
    out.header = *header;
    if (header->length < 6)
        return out;
    const std::optional<QList<CpfItem>> items = readCpf(bytes.sliced(Header::Size + 6));
    if (!items)
        return std::nullopt;
    for (const CpfItem& item : *items)
        out.items << CpfOut{item.type, item.data.toByteArray()};
    const std::optional<CpfItem> data = findItem(*items, Item::UnconnectedData);
    if (!data)
        return std::nullopt;
    const std::optional<Cip::Reply> reply = Cip::readReply(data->data);
    if (!reply)
        return std::nullopt;
    out.service = reply->service;
    out.general = reply->general;
    out.extended = reply->extended;
    out.data = reply->data.toByteArray();
    return out;
}

inline QByteArray getAttributeSingle(quint32 classId, quint32 instance, quint32 attribute) {
    return Cip::request(Cip::Service::GetAttributeSingle, Cip::logicalPath(classId, instance, attribute));
}

// The connection path of a Generic Ethernet Module: configuration, then consumed (O->T), then
// produced (T->O) connection points of the assembly class.
inline QByteArray connectionPath(const Assemblies& assemblies) {
    return ByteWriter()
        .u8(0x20)
        .u8(0x04)
        .u8(0x24)
        .u8(assemblies.configuration)
        .u8(0x2C)
        .u8(assemblies.input)
        .u8(0x2C)
        .u8(assemblies.output)
        .data();
}

// A class 1 exclusive-owner Forward Open for arrays of these sizes at rpiUs both ways.
inline Cip::ForwardOpen classOneOpen(int outputSize, int inputSize, quint32 rpiUs, quint16 serial = 0x1234) {
    Cip::ForwardOpen open;
    open.tick = 0x0A;
    open.timeoutTicks = 0x0E;
    open.originatorToTargetId = 0;
    open.targetToOriginatorId = 0x7E570001;
    open.connectionSerial = serial;
    open.originatorVendor = 0x7E57;
    open.originatorSerial = 0x00C0FFEE;
    open.timeoutMultiplier = 0; // x4
    open.originatorToTargetRpi = rpiUs;
    open.targetToOriginatorRpi = rpiUs;
    using Type = Cip::ConnectionParameters::Type;
    open.originatorToTarget = {inputSize + 6, false, 0, Type::PointToPoint, false};
    open.targetToOriginator = {outputSize + 2, false, 0, Type::PointToPoint, false};
    open.transport = 0x01;
    return open;
}

inline QByteArray forwardOpenRequest(const Cip::ForwardOpen& open, const QByteArray& path) {
    Cip::ForwardOpen withPath = open;
    withPath.path = path;
    return Cip::request(open.large ? Cip::Service::LargeForwardOpen : Cip::Service::ForwardOpen,
                        Cip::logicalPath(Cip::ClassId::ConnectionManager, 1), Cip::forwardOpenData(withPath));
}

inline QByteArray forwardCloseRequest(const Cip::ForwardOpen& open, const QByteArray& path) {
    const QByteArray data = ByteWriter()
                                .u8(open.tick)
                                .u8(open.timeoutTicks)
                                .u16(open.connectionSerial)
                                .u16(open.originatorVendor)
                                .u32(open.originatorSerial)
                                .u8(quint8(path.size() / 2))
                                .u8(0)
                                .bytes(path)
                                .data();
    return Cip::request(Cip::Service::ForwardClose, Cip::logicalPath(Cip::ClassId::ConnectionManager, 1),
                        data);
}

// The Forward Open's success reply data.
struct Opened {
    quint32 inputId = 0; // O->T, the adapter's
    quint32 outputId = 0;
    quint32 inputApi = 0;
    quint32 outputApi = 0;
};
inline std::optional<Opened> readOpened(QByteArrayView data) {
    ByteReader in(data);
    Opened o;
    o.inputId = in.u32();
    o.outputId = in.u32();
    in.skip(8);
    o.inputApi = in.u32();
    o.outputApi = in.u32();
    if (!in.ok())
        return std::nullopt;
    return o;
}

// An I/O datagram: the sequenced address item and the connected data item.
inline QByteArray ioPacket(quint32 connectionId, quint32 sequence, QByteArrayView data) {
    return cpf({{Item::SequencedAddress, ByteWriter().u32(connectionId).u32(sequence).data()},
                {Item::ConnectedData, data.toByteArray()}});
}

// The Input array as the PLC sends it: sequence count, run/idle header, the bytes.
inline QByteArray inputPacket(quint32 connectionId, quint32 sequence, const QByteArray& input,
                              bool run = true) {
    return ioPacket(connectionId, sequence,
                    ByteWriter().u16(quint16(sequence)).u32(run ? 1 : 0).bytes(input).data());
}

struct OutputPacket {
    quint32 connectionId = 0;
    quint32 sequence = 0;
    quint16 count = 0;
    QByteArray output;
};
inline std::optional<OutputPacket> readOutputPacket(QByteArrayView bytes) {
    const std::optional<QList<CpfItem>> items = readCpf(bytes);
    if (!items || items->size() != 2 || (*items)[0].type != Item::SequencedAddress ||
        (*items)[1].type != Item::ConnectedData)
        return std::nullopt;
    ByteReader address((*items)[0].data);
    ByteReader data((*items)[1].data);
    OutputPacket p;
    p.connectionId = address.u32();
    p.sequence = address.u32();
    p.count = data.u16();
    p.output = data.rest().toByteArray();
    if (!address.ok() || !data.ok())
        return std::nullopt;
    return p;
}

} // namespace EnipTest
