#include "core/enip/Adapter.h"

#include "core/enip/Bytes.h"
#include "core/enip/OutputArraySource.h"

#include <QRandomGenerator>

#include <algorithm>

namespace Enip {

namespace {

// ListServices: the one service, with CIP over TCP and class 0/1 I/O over UDP.
constexpr quint16 CommunicationsCapability = 0x0020 | 0x0100;
constexpr char CommunicationsName[] = "Communications";
constexpr int ServiceNameSize = 16;
// ListIdentity's state: operational.
constexpr quint8 IdentityStateOperational = 0x03;
// The Identity object's status word: owned while an I/O connection runs.
constexpr quint16 IdentityOwned = 0x0001;
// The longest product name the Identity object carries.
constexpr int MaxProductName = 32;
// Unconnected Send nests one request; a message nesting more is refused.
constexpr int MaxNesting = 1;

// The transport byte of a cyclic class 1 connection: trigger cyclic, class 1.
constexpr quint8 TransportClassMask = 0x0F;
constexpr quint8 TransportTriggerMask = 0x70;
constexpr quint8 TransportClass1 = 0x01;

using Cip::ConnectionParameters;
namespace General = Cip::General;
namespace Extended = Cip::Extended;
namespace Service = Cip::Service;

QByteArray shortString(const QByteArray& text) {
    const QByteArray cut = text.left(MaxProductName);
    return char(cut.size()) + cut;
}

} // namespace

Adapter::Adapter(const AdapterSettings& settings, const OutputArraySource& output,
                 AdapterTransport& transport)
    : m_settings(settings), m_output(output), m_transport(transport),
      m_nextSession((settings.idSeed ? settings.idSeed : QRandomGenerator::global()->generate()) | 1),
      m_nextConnectionId((settings.idSeed ? settings.idSeed : QRandomGenerator::global()->generate()) | 1) {
    m_settings.outputSize = std::clamp(m_settings.outputSize, 0, 0xFFFF - SequenceCountSize);
    m_settings.inputSize =
        std::clamp(m_settings.inputSize, 0, 0xFFFF - SequenceCountSize - RunIdleHeaderSize);
}

void Adapter::setPorts(quint16 encapsulationPort, quint16 ioPort) {
    m_settings.encapsulationPort = encapsulationPort;
    m_settings.ioPort = ioPort;
}

Adapter::Stream* Adapter::stream(int id) {
    for (Stream& s : m_streams)
        if (s.id == id)
            return &s;
    return nullptr;
}

bool Adapter::streamOpened(int id, quint32 address, quint16 port, qint64 nowUs) {
    if (m_streams.size() >= m_settings.maxStreams) {
        // Clients that connect and never register must not lock the others out.
        const auto idle =
            std::find_if(m_streams.begin(), m_streams.end(), [](const Stream& s) { return s.session == 0; });
        if (idle == m_streams.end()) {
            m_transport.closeStream(id);
            return false;
        }
        const int evicted = idle->id;
        m_streams.erase(idle);
        m_transport.closeStream(evicted);
    }
    m_streams.append(Stream{id, address, port, 0, nowUs, nowUs, {}});
    return true;
}

void Adapter::streamClosed(int id) {
    m_streams.removeIf([id](const Stream& s) { return s.id == id; });
}

void Adapter::streamBytes(int id, QByteArrayView bytes, qint64 nowUs) {
    Stream* s = stream(id);
    if (!s)
        return;
    s->pending.append(bytes);
    // Whole messages only; what stays is at most one header and one body long.
    qsizetype at = 0;
    while (true) {
        s = stream(id);
        if (!s)
            return; // let go from within a message
        const QByteArrayView rest = QByteArrayView(s->pending).sliced(at);
        const std::optional<Header> header = readHeader(rest);
        if (!header)
            break;
        if (header->length > MaxRequest) {
            m_transport.sendStream(id, reply(*header, header->session, EncapsulationStatus::InvalidLength));
            m_transport.closeStream(id);
            streamClosed(id);
            return;
        }
        if (rest.size() < Header::Size + header->length)
            break;
        const QByteArray data = rest.sliced(Header::Size, header->length).toByteArray();
        at += Header::Size + header->length;
        s->lastHeardUs = nowUs;
        handleMessage(*s, *header, data, nowUs);
    }
    s->pending.remove(0, at);
}

void Adapter::handleMessage(Stream& s, const Header& header, QByteArrayView data, qint64 nowUs) {
    // A message with options set is discarded, as the encapsulation asks of a receiver.
    if (header.options != 0)
        return;
    const int id = s.id;
    switch (header.command) {
    case Command::Nop:
        return;
    case Command::ListIdentity:
    case Command::ListServices:
    case Command::ListInterfaces:
        m_transport.sendStream(id, *sessionlessReply(header));
        return;
    case Command::RegisterSession: {
        if (data.size() != 4) {
            m_transport.sendStream(id, reply(header, 0, EncapsulationStatus::InvalidLength));
            return;
        }
        ByteReader in(data);
        const quint16 version = in.u16();
        if (version != ProtocolVersion) {
            m_transport.sendStream(id, reply(header, 0, EncapsulationStatus::UnsupportedProtocol,
                                             ByteWriter().u16(ProtocolVersion).u16(0).data()));
            return;
        }
        if (s.session != 0) { // one session a client
            m_transport.sendStream(id, reply(header, s.session, EncapsulationStatus::InvalidCommand, data));
            return;
        }
        s.session = m_nextSession;
        m_nextSession = m_nextSession + 2; // odd, never zero
        m_transport.sendStream(id, reply(header, s.session, EncapsulationStatus::Success, data));
        return;
    }
    case Command::UnRegisterSession:
        if (s.session != 0 && header.session == s.session) {
            m_transport.closeStream(id);
            streamClosed(id);
        } else {
            m_transport.sendStream(id,
                                   reply(header, header.session, EncapsulationStatus::InvalidSessionHandle));
        }
        return;
    case Command::SendRRData:
        if (s.session == 0 || header.session != s.session) {
            m_transport.sendStream(id,
                                   reply(header, header.session, EncapsulationStatus::InvalidSessionHandle));
            return;
        }
        m_transport.sendStream(id, sendRRData(header, data, s.address, nowUs));
        return;
    case Command::SendUnitData:
        // Connected explicit messages need a class 3 connection, which this adapter never opens.
        if (s.session == 0 || header.session != s.session)
            m_transport.sendStream(id,
                                   reply(header, header.session, EncapsulationStatus::InvalidSessionHandle));
        return;
    default:
        m_transport.sendStream(id, reply(header, header.session, EncapsulationStatus::InvalidCommand));
        return;
    }
}

std::optional<QByteArray> Adapter::sessionlessReply(const Header& header) {
    switch (header.command) {
    case Command::ListIdentity:
        return reply(header, 0, EncapsulationStatus::Success, cpf({{Item::ListIdentity, identityItem()}}));
    case Command::ListServices: {
        QByteArray name(CommunicationsName);
        name.resize(ServiceNameSize, '\0');
        const QByteArray item =
            ByteWriter().u16(ProtocolVersion).u16(CommunicationsCapability).bytes(name).data();
        return reply(header, 0, EncapsulationStatus::Success, cpf({{Item::ListServices, item}}));
    }
    case Command::ListInterfaces:
        return reply(header, 0, EncapsulationStatus::Success, ByteWriter().u16(0).data());
    default:
        return std::nullopt;
    }
}

QByteArray Adapter::sendRRData(const Header& header, QByteArrayView data, quint32 peer, qint64 nowUs) {
    ByteReader in(data);
    const quint32 interfaceHandle = in.u32();
    in.skip(2); // the time-out: every request is answered at once
    const std::optional<QList<CpfItem>> items = in.ok() ? readCpf(in.rest()) : std::nullopt;
    const std::optional<CpfItem> message = items ? findItem(*items, Item::UnconnectedData) : std::nullopt;
    if (interfaceHandle != 0 || !message || !findItem(*items, Item::NullAddress))
        return reply(header, header.session, EncapsulationStatus::IncorrectData);

    Asker asker{peer, std::nullopt, nowUs};
    if (const std::optional<CpfItem> where = findItem(*items, Item::SockaddrTargetToOriginator))
        if (const std::optional<SocketAddress> address = readSocketAddress(where->data);
            address && address->port)
            asker.outputPort = address->port; // the port only: the Output array goes to the client's address
    QList<CpfOut> extra;
    const QByteArray answer = cipReply(message->data, asker, extra);
    QList<CpfOut> out{{Item::NullAddress, {}}, {Item::UnconnectedData, answer}};
    out << extra;
    return reply(header, header.session, EncapsulationStatus::Success,
                 ByteWriter().u32(0).u16(0).bytes(cpf(out)).data());
}

QByteArray Adapter::cipReply(QByteArrayView message, const Asker& asker, QList<CpfOut>& extra, int depth) {
    const quint8 service = message.isEmpty() ? 0 : quint8(message[0]) & ~Service::Reply;
    const std::optional<Cip::Request> request = Cip::readRequest(message);
    if (!request)
        return Cip::reply(service, General::PathSegmentError);
    const std::optional<Cip::Path> path = Cip::readPath(request->pathBytes);
    if (!path)
        return Cip::reply(service, General::PathSegmentError);
    if (!path->classId)
        return Cip::reply(service, General::PathDestinationUnknown);
    switch (*path->classId) {
    case Cip::ClassId::Identity:
        return identityReply(*request, *path);
    case Cip::ClassId::Assembly:
        return assemblyReply(*request, *path);
    case Cip::ClassId::ConnectionManager:
        if (path->instance.value_or(1) != 1)
            return Cip::reply(service, General::ObjectDoesNotExist);
        switch (service) {
        case Service::ForwardOpen:
        case Service::LargeForwardOpen:
            return forwardOpen(*request, asker, extra);
        case Service::ForwardClose:
            return forwardClose(*request);
        case Service::UnconnectedSend: {
            if (depth >= MaxNesting)
                return Cip::reply(service, General::ServiceNotSupported);
            // The message inside, answered as if sent alone; the route after it leads here.
            ByteReader in(request->data);
            in.skip(2);
            const quint16 size = in.u16();
            const QByteArrayView inner = in.bytes(size);
            if (!in.ok())
                return Cip::reply(service, General::NotEnoughData);
            return cipReply(inner, asker, extra, depth + 1);
        }
        default:
            return Cip::reply(service, General::ServiceNotSupported);
        }
    default:
        return Cip::reply(service, General::PathDestinationUnknown);
    }
}

QByteArray Adapter::identityAttributes() const {
    const Identity& id = m_settings.identity;
    return ByteWriter()
        .u16(id.vendorId)
        .u16(id.deviceType)
        .u16(id.productCode)
        .u8(id.revisionMajor)
        .u8(id.revisionMinor)
        .u16(identityStatus())
        .u32(id.serialNumber)
        .bytes(shortString(id.productName))
        .data();
}

quint16 Adapter::identityStatus() const {
    return m_connection ? IdentityOwned : 0;
}

QByteArray Adapter::identityItem() const {
    return ByteWriter()
        .u16(ProtocolVersion)
        .bytes(socketAddressItem({m_settings.encapsulationPort, m_settings.address}))
        .bytes(identityAttributes())
        .u8(IdentityStateOperational)
        .data();
}

QByteArray Adapter::identityReply(const Cip::Request& request, const Cip::Path& path) {
    const quint8 service = request.service;
    if (path.instance.value_or(0) != 1)
        return Cip::reply(service, General::ObjectDoesNotExist);
    if (service == Service::GetAttributesAll)
        return Cip::reply(service, General::Success, {}, identityAttributes());
    if (service != Service::GetAttributeSingle)
        return Cip::reply(service, General::ServiceNotSupported);
    const Identity& id = m_settings.identity;
    ByteWriter out;
    switch (path.attribute.value_or(0)) {
    case 1:
        out.u16(id.vendorId);
        break;
    case 2:
        out.u16(id.deviceType);
        break;
    case 3:
        out.u16(id.productCode);
        break;
    case 4:
        out.u8(id.revisionMajor).u8(id.revisionMinor);
        break;
    case 5:
        out.u16(identityStatus());
        break;
    case 6:
        out.u32(id.serialNumber);
        break;
    case 7:
        out.bytes(shortString(id.productName));
        break;
    default:
        return Cip::reply(service, General::AttributeNotSupported);
    }
    return Cip::reply(service, General::Success, {}, out.data());
}

QByteArray Adapter::assemblyReply(const Cip::Request& request, const Cip::Path& path) {
    const quint8 service = request.service;
    const quint32 instance = path.instance.value_or(0);
    const bool output = instance == m_settings.assemblies.output;
    if (!output && instance != m_settings.assemblies.input)
        return Cip::reply(service, General::ObjectDoesNotExist);
    if (service != Service::GetAttributeSingle)
        return Cip::reply(service, General::ServiceNotSupported);
    const int size = output ? m_settings.outputSize : m_settings.inputSize;
    switch (path.attribute.value_or(0)) {
    case 3: {
        QByteArray data = output ? m_output.outputArray() : m_status.lastInput;
        data.resize(size, '\0');
        return Cip::reply(service, General::Success, {}, data);
    }
    case 4:
        return Cip::reply(service, General::Success, {}, ByteWriter().u16(size).data());
    default:
        return Cip::reply(service, General::AttributeNotSupported);
    }
}

QByteArray Adapter::forwardOpen(const Cip::Request& request, const Asker& asker, QList<CpfOut>& extra) {
    const quint8 service = request.service;
    const bool large = service == Service::LargeForwardOpen;
    const std::optional<Cip::ForwardOpen> open = Cip::readForwardOpen(request.data, large);
    if (!open)
        return Cip::reply(service, General::NotEnoughData);
    const Cip::ConnectionTriad triad{open->connectionSerial, open->originatorVendor, open->originatorSerial};
    const auto refuse = [&](quint16 extended, std::optional<int> expected = std::nullopt) {
        m_status.refusedGeneral = General::ConnectionFailure;
        m_status.refusedExtended = extended;
        ++m_status.refused;
        QList<quint16> words{extended};
        if (expected)
            words << quint16(*expected);
        return Cip::reply(service, General::ConnectionFailure, words,
                          ByteWriter()
                              .u16(triad.connectionSerial)
                              .u16(triad.originatorVendor)
                              .u32(triad.originatorSerial)
                              .u8(0)
                              .u8(0)
                              .data());
    };

    // One exclusive owner: the same owner opening again, or another one, is refused while it runs.
    if (m_connection)
        return refuse(m_connection->triad == triad ? Extended::DuplicateForwardOpen
                                                   : Extended::OwnershipConflict);
    const std::optional<Cip::Path> path = Cip::readPath(open->path);
    if (!path)
        return refuse(Extended::InvalidSegmentInPath);
    if (path->key) {
        const Cip::ElectronicKey& key = *path->key;
        const Identity& id = m_settings.identity;
        if ((key.vendorId && key.vendorId != id.vendorId) ||
            (key.productCode && key.productCode != id.productCode))
            return refuse(Extended::VendorOrProductMismatch);
        if (key.deviceType && key.deviceType != id.deviceType)
            return refuse(Extended::DeviceTypeMismatch);
        if (key.majorRevision &&
            (key.majorRevision != id.revisionMajor ||
             (key.compatible ? key.minorRevision > id.revisionMinor
                             : key.minorRevision && key.minorRevision != id.revisionMinor)))
            return refuse(Extended::RevisionMismatch);
    }
    if ((open->transport & TransportClassMask) != TransportClass1 ||
        (open->transport & TransportTriggerMask) != 0)
        return refuse(Extended::TransportNotSupported);
    const ConnectionParameters& in = open->originatorToTarget;
    const ConnectionParameters& out = open->targetToOriginator;
    if (in.type == ConnectionParameters::Type::Null && out.type == ConnectionParameters::Type::Null)
        return refuse(Extended::NullForwardOpenNotSupported);
    if (in.type != ConnectionParameters::Type::PointToPoint ||
        out.type != ConnectionParameters::Type::PointToPoint || in.redundantOwner)
        return refuse(Extended::InvalidConnectionParameter);
    if (path->classId != Cip::ClassId::Assembly || path->connectionPoints.size() != 2 ||
        path->connectionPoints[0] != m_settings.assemblies.input ||
        path->connectionPoints[1] != m_settings.assemblies.output)
        return refuse(Extended::InvalidConnectionPoint);
    if (path->instance && *path->instance != m_settings.assemblies.configuration)
        return refuse(Extended::InvalidConfigurationPath);
    const auto rpiOk = [](quint32 rpi) { return rpi >= MinRpiUs && rpi <= MaxRpiUs; };
    if (!rpiOk(open->originatorToTargetRpi) || !rpiOk(open->targetToOriginatorRpi))
        return refuse(Extended::RpiNotSupported);
    if (open->timeoutMultiplier > 7)
        return refuse(Extended::TimeoutMultiplierNotAcceptable);
    if (in.size != inputConnectionSize())
        return refuse(Extended::InvalidConnectionSize, inputConnectionSize());
    if (out.size != outputConnectionSize())
        return refuse(Extended::InvalidConnectionSize, outputConnectionSize());

    Connection c;
    c.triad = triad;
    c.inputId = m_nextConnectionId++;
    c.outputId = open->targetToOriginatorId;
    c.address = asker.address;
    c.port = asker.outputPort.value_or(AdapterSettings::DefaultIoPort);
    c.rpiUs = open->targetToOriginatorRpi;
    c.inputRpiUs = open->originatorToTargetRpi;
    c.timeoutUs = c.inputRpiUs * (qint64(4) << open->timeoutMultiplier);
    c.nextProductionUs = asker.nowUs;
    c.lastConsumedUs = asker.nowUs;
    m_connection = c;

    m_status.state = ConnectionState::Connected;
    m_status.peerAddress = c.address;
    m_status.peerPort = c.port;
    m_status.rpiUs = c.rpiUs;
    m_status.inputRpiUs = c.inputRpiUs;
    m_status.timeoutUs = c.timeoutUs;
    m_status.run = false;
    m_status.lastInput.clear();
    ++m_status.connections;

    // Where the Input array goes, when not to the usual port.
    if (m_settings.ioPort != AdapterSettings::DefaultIoPort)
        extra << CpfOut{Item::SockaddrOriginatorToTarget,
                        socketAddressItem({m_settings.ioPort, m_settings.address})};
    return Cip::reply(service, General::Success, {},
                      ByteWriter()
                          .u32(c.inputId)
                          .u32(c.outputId)
                          .u16(triad.connectionSerial)
                          .u16(triad.originatorVendor)
                          .u32(triad.originatorSerial)
                          .u32(open->originatorToTargetRpi)
                          .u32(open->targetToOriginatorRpi)
                          .u8(0)
                          .u8(0)
                          .data());
}

QByteArray Adapter::forwardClose(const Cip::Request& request) {
    const std::optional<Cip::ForwardClose> close = Cip::readForwardClose(request.data);
    if (!close)
        return Cip::reply(request.service, General::NotEnoughData);
    const Cip::ConnectionTriad triad{close->connectionSerial, close->originatorVendor,
                                     close->originatorSerial};
    const QByteArray triadBytes = ByteWriter()
                                      .u16(triad.connectionSerial)
                                      .u16(triad.originatorVendor)
                                      .u32(triad.originatorSerial)
                                      .data();
    if (!m_connection || !(m_connection->triad == triad))
        return Cip::reply(request.service, General::ConnectionFailure, {Extended::ConnectionNotFound},
                          triadBytes + QByteArray(2, '\0'));
    endConnection(ConnectionState::Waiting);
    return Cip::reply(request.service, General::Success, {}, triadBytes + QByteArray(2, '\0'));
}

void Adapter::datagram(Channel channel, QByteArrayView bytes, quint32 address, quint16 port, qint64 nowUs) {
    if (channel == Channel::Io) {
        consume(bytes, address, nowUs);
        return;
    }
    // Discovery: the list commands alone, each in one datagram of exactly its length.
    const std::optional<Header> header = readHeader(bytes);
    if (!header || header->options != 0 || bytes.size() != Header::Size + qsizetype(header->length))
        return;
    if (const std::optional<QByteArray> answer = sessionlessReply(*header))
        m_transport.sendDatagram(Channel::Encapsulation, *answer, address, port);
}

void Adapter::consume(QByteArrayView bytes, quint32 address, qint64 nowUs) {
    const std::optional<QList<CpfItem>> items = m_connection ? readCpf(bytes) : std::nullopt;
    if (!items || items->size() != 2 || (*items)[0].type != Item::SequencedAddress ||
        (*items)[0].data.size() != 8 || (*items)[1].type != Item::ConnectedData ||
        (*items)[1].data.size() != inputConnectionSize() || address != m_connection->address) {
        ++m_status.dropped;
        return;
    }
    ByteReader where((*items)[0].data);
    const quint32 id = where.u32();
    const quint32 sequence = where.u32();
    // An old or repeated packet (the sequence number wraps) does not keep the connection alive.
    if (id != m_connection->inputId ||
        (m_connection->inputSequence && qint32(sequence - *m_connection->inputSequence) <= 0)) {
        ++m_status.dropped;
        return;
    }
    m_connection->inputSequence = sequence;
    m_connection->lastConsumedUs = nowUs;
    ByteReader data((*items)[1].data);
    data.skip(SequenceCountSize);
    m_status.run = (data.u32() & 1) != 0;
    m_status.lastInput = data.rest().toByteArray();
    ++m_status.received;
}

void Adapter::produce(qint64 nowUs) {
    Q_UNUSED(nowUs);
    Connection& c = *m_connection;
    QByteArray output = m_output.outputArray();
    output.resize(m_settings.outputSize, '\0');
    ++c.outputSequence;
    ++c.outputCount;
    const QByteArray address = ByteWriter().u32(c.outputId).u32(c.outputSequence).data();
    const QByteArray data = ByteWriter().u16(c.outputCount).bytes(output).data();
    m_transport.sendDatagram(Channel::Io,
                             cpf({{Item::SequencedAddress, address}, {Item::ConnectedData, data}}), c.address,
                             c.port);
    ++m_status.sent;
}

void Adapter::poll(qint64 nowUs) {
    QList<int> idle;
    for (const Stream& s : m_streams)
        if (nowUs - s.lastHeardUs > m_settings.streamIdleUs)
            idle << s.id;
    for (const int id : idle) {
        m_transport.closeStream(id);
        streamClosed(id);
    }
    if (!m_connection)
        return;
    if (nowUs - m_connection->lastConsumedUs > m_connection->timeoutUs) {
        endConnection(ConnectionState::TimedOut);
        return;
    }
    Connection& c = *m_connection;
    if (nowUs < c.nextProductionUs)
        return;
    // A production a whole interval late is missed: the next goes out in its own cycle.
    const qint64 late = nowUs - c.nextProductionUs;
    if (late >= c.rpiUs) {
        const qint64 skipped = late / c.rpiUs;
        m_status.missed += quint64(skipped);
        c.nextProductionUs += skipped * c.rpiUs;
    }
    produce(nowUs);
    c.nextProductionUs += c.rpiUs;
}

std::optional<qint64> Adapter::nextDueUs() const {
    std::optional<qint64> due;
    const auto sooner = [&due](qint64 at) { due = due ? std::min(*due, at) : at; };
    for (const Stream& s : m_streams)
        sooner(s.lastHeardUs + m_settings.streamIdleUs + 1);
    if (m_connection) {
        sooner(m_connection->nextProductionUs);
        sooner(m_connection->lastConsumedUs + m_connection->timeoutUs + 1);
    }
    return due;
}

void Adapter::endConnection(ConnectionState state) {
    m_connection.reset();
    m_status.state = state;
    m_status.run = false;
}

void Adapter::shutdown() {
    if (m_connection)
        endConnection(ConnectionState::Waiting);
    const QList<Stream> streams = m_streams;
    m_streams.clear();
    for (const Stream& s : streams)
        m_transport.closeStream(s.id);
}

} // namespace Enip
