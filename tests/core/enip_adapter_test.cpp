// The virtual converter's EtherNet/IP adapter without sockets: what it answers, what it sends at
// which time, and what it refuses or drops, driven with a clock the tests set.

#include "EnipMessages.h"

#include "core/enip/Adapter.h"
#include "core/enip/OutputArraySource.h"

#include <gtest/gtest.h>

#include <QList>

namespace {

using namespace EnipTest;
using Enip::Adapter;
using Enip::Channel;
using Enip::ConnectionState;

constexpr quint32 Plc = 0x7F000001;
constexpr quint16 PlcIoPort = 40123;
constexpr qint64 Ms = 1000;

struct Sent {
    int stream;
    QByteArray bytes;
};
struct Datagram {
    Channel channel;
    QByteArray bytes;
    quint32 address;
    quint16 port;
};

class Recorder final : public Enip::AdapterTransport {
public:
    void sendStream(int stream, const QByteArray& bytes) override { sent << Sent{stream, bytes}; }
    void closeStream(int stream) override { closed << stream; }
    void sendDatagram(Channel channel, const QByteArray& bytes, quint32 address, quint16 port) override {
        datagrams << Datagram{channel, bytes, address, port};
    }
    QList<Sent> sent;
    QList<int> closed;
    QList<Datagram> datagrams;
};

// An Output array that changes with every production, so that a test sees each one's own bytes.
class CountingOutput final : public Enip::OutputArraySource {
public:
    QByteArray outputArray() const override {
        ++produced;
        QByteArray bytes(size, '\0');
        for (int i = 0; i < size; ++i)
            bytes[i] = char(produced + i);
        return bytes;
    }
    int size = 16;
    mutable int produced = 0;
};

class AdapterTest : public ::testing::Test {
protected:
    AdapterTest() {
        settings.outputSize = 16;
        settings.inputSize = 8;
        settings.streamIdleUs = 5'000 * Ms;
    }
    Adapter& adapter() {
        if (!m_adapter)
            m_adapter = std::make_unique<Adapter>(settings, output, transport);
        return *m_adapter;
    }
    // Sends bytes on stream 1 (opened on first use) and returns what came back, if anything.
    std::optional<QByteArray> exchange(const QByteArray& bytes, int stream = 1) {
        if (!m_opened.contains(stream)) {
            adapter().streamOpened(stream, Plc, quint16(50000 + stream), now);
            m_opened << stream;
        }
        const qsizetype before = transport.sent.size();
        adapter().streamBytes(stream, bytes, now);
        if (transport.sent.size() == before)
            return std::nullopt;
        return transport.sent.last().bytes;
    }
    quint32 registered(int stream = 1) {
        const std::optional<QByteArray> answer = exchange(registerSession(), stream);
        const std::optional<Header> header = answer ? readHeader(*answer) : std::nullopt;
        EXPECT_TRUE(header && header->status == 0 && header->session != 0);
        return header ? header->session : 0;
    }
    RRReply ask(quint32 session, const QByteArray& cip, const QList<CpfOut>& extra = {}, int stream = 1) {
        const std::optional<QByteArray> answer = exchange(sendRRData(session, cip, extra), stream);
        const std::optional<RRReply> reply = answer ? readRRReply(*answer) : std::nullopt;
        EXPECT_TRUE(reply) << "no SendRRData reply";
        return reply.value_or(RRReply{});
    }
    // A Forward Open asking for the Output array on PlcIoPort.
    RRReply open(quint32 session, const Cip::ForwardOpen& fo, int stream = 1) {
        return ask(session, forwardOpenRequest(fo, connectionPath(settings.assemblies)),
                   {{Item::SockaddrTargetToOriginator, socketAddressItem({PlcIoPort, 0})}}, stream);
    }
    QList<OutputPacket> outputPackets() const {
        QList<OutputPacket> packets;
        for (const Datagram& d : transport.datagrams)
            if (d.channel == Channel::Io)
                if (const std::optional<OutputPacket> p = readOutputPacket(d.bytes))
                    packets << *p;
        return packets;
    }

    Enip::AdapterSettings settings;
    CountingOutput output;
    Recorder transport;
    qint64 now = 1'000'000 * Ms;

private:
    std::unique_ptr<Adapter> m_adapter;
    QList<int> m_opened;
};

TEST_F(AdapterTest, RegistersASessionAndTellsItsIdentity) {
    const quint32 session = registered();
    // One session a client: the second registration is refused.
    EXPECT_EQ(readHeader(*exchange(registerSession()))->status, EncapsulationStatus::InvalidCommand);

    // ListIdentity: the identity item with the encapsulation port and the product name.
    const QByteArray list = *exchange(message(Command::ListIdentity, 0));
    const std::optional<QList<CpfItem>> items = readCpf(QByteArrayView(list).sliced(Header::Size));
    ASSERT_TRUE(items && items->size() == 1 && (*items)[0].type == Item::ListIdentity);
    const QByteArrayView item = (*items)[0].data;
    EXPECT_EQ(readSocketAddress(item.sliced(2, 16))->port, 44818);
    EXPECT_EQ(readSocketAddress(item.sliced(2, 16))->address, Enip::AdapterSettings::DefaultAddress);
    EXPECT_TRUE(item.toByteArray().contains("\x1BTessellor virtual converter"));

    // Get_Attribute_Single on the Identity object, directly and through Unconnected Send.
    RRReply name = ask(session, getAttributeSingle(Cip::ClassId::Identity, 1, 7));
    EXPECT_EQ(name.general, 0);
    EXPECT_EQ(name.data, QByteArray("\x1BTessellor virtual converter"));
    EXPECT_EQ(ask(session, getAttributeSingle(Cip::ClassId::Identity, 1, 1)).data, QByteArray(2, '\0'));
    const QByteArray inner = getAttributeSingle(Cip::ClassId::Identity, 1, 4);
    const QByteArray routed =
        Cip::request(Cip::Service::UnconnectedSend, Cip::logicalPath(Cip::ClassId::ConnectionManager, 1),
                     ByteWriter()
                         .u8(0x0A)
                         .u8(0x0E)
                         .u16(quint16(inner.size()))
                         .bytes(inner)
                         .u8(1)
                         .u8(0)
                         .u8(1)
                         .u8(0)
                         .data());
    EXPECT_EQ(ask(session, routed).data, QByteArray("\x01\x00", 2));
    EXPECT_EQ(ask(session, getAttributeSingle(Cip::ClassId::Identity, 1, 99)).general,
              Cip::General::AttributeNotSupported);
    EXPECT_EQ(ask(session, getAttributeSingle(Cip::ClassId::Identity, 2, 1)).general,
              Cip::General::ObjectDoesNotExist);
    EXPECT_EQ(ask(session, getAttributeSingle(0x66, 1, 1)).general, Cip::General::PathDestinationUnknown);

    // Another client's session is not this client's.
    EXPECT_EQ(readHeader(*exchange(sendRRData(session, inner), 2))->status,
              EncapsulationStatus::InvalidSessionHandle);
    // UnRegisterSession lets the client go without a reply.
    EXPECT_FALSE(exchange(message(Command::UnRegisterSession, session)));
    EXPECT_EQ(transport.closed, QList<int>{1});
    EXPECT_EQ(adapter().streamCount(), 1);
}

TEST_F(AdapterTest, SendsTheOutputArrayAtItsIntervalAndTimesOutWhenTheInputStops) {
    const quint32 session = registered();
    const RRReply reply = open(session, classOneOpen(16, 8, 20 * Ms));
    ASSERT_EQ(reply.general, 0) << reply.extended.value(0);
    const std::optional<Opened> opened = readOpened(reply.data);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->outputApi, 20'000u);
    EXPECT_EQ(adapter().status().state, ConnectionState::Connected);

    // 100 cycles of 20 ms, the PLC sending its Input array in each.
    for (int cycle = 0; cycle < 100; ++cycle) {
        adapter().poll(now);
        adapter().datagram(Channel::Io, inputPacket(opened->inputId, cycle + 1, QByteArray(8, char(cycle))),
                           Plc, 2222, now);
        EXPECT_EQ(*adapter().nextDueUs(), now + 20 * Ms);
        now += 20 * Ms;
    }
    const QList<OutputPacket> packets = outputPackets();
    ASSERT_EQ(packets.size(), 100);
    for (int k = 0; k < packets.size(); ++k) {
        EXPECT_EQ(packets[k].connectionId, 0x7E570001u);
        EXPECT_EQ(packets[k].sequence, quint32(k + 1));
        EXPECT_EQ(packets[k].count, quint16(k + 1));
        ASSERT_EQ(packets[k].output.size(), 16);
        EXPECT_EQ(packets[k].output[0], char(k + 1)) << "each production sends the bytes of its own time";
    }
    EXPECT_EQ(transport.datagrams.first().address, Plc);
    EXPECT_EQ(transport.datagrams.first().port, PlcIoPort);
    EXPECT_EQ(adapter().status().received, 100u);
    EXPECT_EQ(adapter().status().lastInput, QByteArray(8, char(99)));
    EXPECT_TRUE(adapter().status().run);
    EXPECT_EQ(adapter().status().missed, 0u);

    // The PLC stops: the connection closes after RPI x 4 and nothing more is sent.
    const qint64 lastHeard = now - 20 * Ms;
    now = lastHeard + 80 * Ms;
    adapter().poll(now);
    EXPECT_EQ(adapter().status().state, ConnectionState::Connected);
    now = lastHeard + 80 * Ms + 1;
    adapter().poll(now);
    EXPECT_EQ(adapter().status().state, ConnectionState::TimedOut);
    const qsizetype sent = transport.datagrams.size();
    now += 1000 * Ms;
    adapter().poll(now);
    EXPECT_EQ(transport.datagrams.size(), sent);
    // And a new connection may be opened.
    EXPECT_EQ(open(session, classOneOpen(16, 8, 20 * Ms)).general, 0);
}

TEST_F(AdapterTest, CountsMissedCyclesAndKeepsItsRhythm) {
    const quint32 session = registered();
    ASSERT_EQ(open(session, classOneOpen(16, 8, 10 * Ms)).general, 0);
    adapter().poll(now);
    now += 35 * Ms; // the cycles at 10 and 20 ms missed, the one at 30 ms late
    adapter().poll(now);
    EXPECT_EQ(adapter().status().missed, 2u);
    EXPECT_EQ(adapter().status().sent, 2u);
    EXPECT_EQ(*adapter().nextDueUs(), now + 5 * Ms);
}

TEST_F(AdapterTest, RefusesAForwardOpenItCannotServeWithTheStatusOfARealAdapter) {
    const quint32 session = registered();
    const auto with = [](auto change) {
        Cip::ForwardOpen fo = classOneOpen(16, 8, 20 * Ms);
        change(fo);
        return fo;
    };
    using Type = Cip::ConnectionParameters::Type;
    const struct {
        const char* what;
        Cip::ForwardOpen open;
        quint16 extended;
        std::optional<quint16> expected;
    } cases[] = {
        {"Input array too small", with([](auto& fo) { fo.originatorToTarget.size = 10; }), 0x0109, 14},
        {"Output array too large", with([](auto& fo) { fo.targetToOriginator.size = 511; }), 0x0109, 18},
        {"absurd size in a large open", with([](auto& fo) {
             fo.large = true;
             fo.targetToOriginator.size = 65535;
         }),
         0x0109, 18},
        {"RPI of zero", with([](auto& fo) { fo.targetToOriginatorRpi = 0; }), 0x0111, {}},
        {"RPI of an hour", with([](auto& fo) { fo.originatorToTargetRpi = 3'600'000'000u; }), 0x0111, {}},
        {"multicast", with([](auto& fo) { fo.targetToOriginator.type = Type::Multicast; }), 0x0108, {}},
        {"null both ways",
         with([](auto& fo) { fo.originatorToTarget.type = fo.targetToOriginator.type = Type::Null; }),
         0x0132,
         {}},
        {"class 3", with([](auto& fo) { fo.transport = 0xA3; }), 0x0103, {}},
        {"timeout multiplier 9", with([](auto& fo) { fo.timeoutMultiplier = 9; }), 0x0133, {}},
    };
    for (const auto& c : cases) {
        const RRReply reply = open(session, c.open);
        EXPECT_EQ(reply.general, Cip::General::ConnectionFailure) << c.what;
        ASSERT_FALSE(reply.extended.isEmpty()) << c.what;
        EXPECT_EQ(reply.extended[0], c.extended) << c.what;
        if (c.expected) {
            EXPECT_EQ(reply.extended.value(1), *c.expected) << c.what << ": the size the adapter expects";
        }
        // The failure reply names the connection it refuses.
        EXPECT_EQ(reply.data.left(2), QByteArray("\x34\x12", 2)) << c.what;
    }

    // Paths: another assembly, another configuration instance, a vendor's key, a cut segment.
    const auto openPath = [&](const QByteArray& path) {
        return ask(session, forwardOpenRequest(classOneOpen(16, 8, 20 * Ms), path)).extended.value(0);
    };
    Enip::Assemblies other = settings.assemblies;
    other.output = 101;
    EXPECT_EQ(openPath(connectionPath(other)), 0x0117);
    other = settings.assemblies;
    other.configuration = 1;
    EXPECT_EQ(openPath(connectionPath(other)), 0x0118);
    const QByteArray key = ByteWriter().u8(0x34).u8(4).u16(1).u16(0x0C).u16(1).u8(1).u8(0).data();
    EXPECT_EQ(openPath(key + connectionPath(settings.assemblies)), 0x0114);
    EXPECT_EQ(openPath(QByteArray("\x20\x04\x24", 3) + QByteArray(1, '\0')), 0x0117);
    EXPECT_EQ(openPath(QByteArray("\x20\x04\x91\x05", 4)), 0x0315);
    EXPECT_EQ(adapter().status().refused, quint64(std::size(cases) + 5));
    EXPECT_EQ(adapter().status().state, ConnectionState::Waiting);
}

TEST_F(AdapterTest, ServesOneOwnerAtATime) {
    const quint32 session = registered();
    const Cip::ForwardOpen first = classOneOpen(16, 8, 20 * Ms);
    ASSERT_EQ(open(session, first).general, 0);
    // The same owner again, then another owner on another client.
    EXPECT_EQ(open(session, first).extended.value(0), 0x0100);
    const quint32 other = registered(2);
    EXPECT_EQ(open(other, classOneOpen(16, 8, 20 * Ms, 0x9999), 2).extended.value(0), 0x0106);
    // A Forward Close for a connection that is not there, then the right one.
    const QByteArray path = connectionPath(settings.assemblies);
    EXPECT_EQ(
        ask(other, forwardCloseRequest(classOneOpen(16, 8, 20 * Ms, 0x9999), path), {}, 2).extended.value(0),
        0x0107);
    EXPECT_EQ(ask(session, forwardCloseRequest(first, path)).general, 0);
    EXPECT_EQ(adapter().status().state, ConnectionState::Waiting);
    EXPECT_EQ(open(other, classOneOpen(16, 8, 20 * Ms, 0x9999), 2).general, 0);
}

TEST_F(AdapterTest, AnswersBrokenStreamsWithErrorsAndKeepsNothingOfThem) {
    const quint32 session = registered();
    // A header cut short waits for the rest, and is answered when it comes.
    const QByteArray list = message(Command::ListIdentity, 0);
    EXPECT_FALSE(exchange(list.left(10)));
    EXPECT_TRUE(exchange(list.mid(10)));

    const struct {
        const char* what;
        QByteArray bytes;
        quint32 status;
    } cases[] = {
        {"unknown command", message(0x00AB, session), EncapsulationStatus::InvalidCommand},
        {"register with a short body", message(Command::RegisterSession, 0, "\x01"),
         EncapsulationStatus::InvalidLength},
        {"register protocol 2", message(Command::RegisterSession, 0, QByteArray("\x02\0\0\0", 4)),
         EncapsulationStatus::UnsupportedProtocol},
        {"SendRRData of another session", sendRRData(session + 2, getAttributeSingle(1, 1, 1)),
         EncapsulationStatus::InvalidSessionHandle},
        {"SendRRData with items that do not add up",
         message(Command::SendRRData, session, QByteArray("\0\0\0\0\0\0\x02\0\0\0\x07\0", 12)),
         EncapsulationStatus::IncorrectData},
        {"SendRRData without its message", message(Command::SendRRData, session, QByteArray(6, '\0')),
         EncapsulationStatus::IncorrectData},
    };
    for (const auto& c : cases) {
        const std::optional<QByteArray> answer = exchange(c.bytes);
        ASSERT_TRUE(answer) << c.what;
        EXPECT_EQ(readHeader(*answer)->status, c.status) << c.what;
    }
    // Options set: discarded without a word.
    EXPECT_FALSE(exchange(message(Command::ListIdentity, 0, {}, 1)));
    // Truncated and nonsense CIP inside a good SendRRData.
    EXPECT_EQ(ask(session, QByteArray("\x0E\x09\x20", 3)).general, Cip::General::PathSegmentError);
    EXPECT_EQ(ask(session, QByteArray()).general, Cip::General::PathSegmentError);
    EXPECT_EQ(ask(session, Cip::request(Cip::Service::ForwardOpen,
                                        Cip::logicalPath(Cip::ClassId::ConnectionManager, 1), "\x01\x02"))
                  .general,
              Cip::General::NotEnoughData);
    EXPECT_TRUE(transport.closed.isEmpty());

    // A header announcing more than any request: refused and the client let go, nothing read.
    QByteArray huge = message(Command::SendRRData, session);
    huge[2] = char(0xFF);
    huge[3] = char(0xFF);
    EXPECT_EQ(readHeader(*exchange(huge))->status, EncapsulationStatus::InvalidLength);
    EXPECT_EQ(transport.closed, QList<int>{1});
    EXPECT_EQ(adapter().streamCount(), 0);
}

TEST_F(AdapterTest, ClientsThatNeverSpeakGiveWayAndGo) {
    settings.maxStreams = 3;
    for (int stream = 1; stream <= 3; ++stream)
        exchange({}, stream);
    registered(2);
    // Full: a newcomer takes the place of the oldest client without a session.
    exchange({}, 4);
    EXPECT_EQ(transport.closed, QList<int>{1});
    registered(3);
    registered(4);
    // Full of sessions: the newcomer is refused.
    EXPECT_FALSE(adapter().streamOpened(5, Plc, 1000, now));
    EXPECT_EQ(transport.closed.last(), 5);
    // A client silent for the idle time is let go.
    now += settings.streamIdleUs + 1;
    EXPECT_LE(*adapter().nextDueUs(), now);
    adapter().poll(now);
    EXPECT_EQ(adapter().streamCount(), 0);
}

TEST_F(AdapterTest, DropsStrayInputPackets) {
    const quint32 session = registered();
    const std::optional<Opened> opened = readOpened(open(session, classOneOpen(16, 8, 20 * Ms)).data);
    ASSERT_TRUE(opened);
    const QByteArray input(8, 'i');
    const struct {
        const char* what;
        QByteArray bytes;
        quint32 from;
    } strays[] = {
        {"another sender", inputPacket(opened->inputId, 1, input), Plc + 1},
        {"another connection", inputPacket(opened->inputId + 1, 1, input), Plc},
        {"a short Input array", inputPacket(opened->inputId, 1, input.left(7)), Plc},
        {"a long Input array", inputPacket(opened->inputId, 1, input + 'x'), Plc},
        {"no sequenced address", cpf({{Item::ConnectedData, QByteArray(14, '\0')}}), Plc},
        {"cut", inputPacket(opened->inputId, 1, input).left(12), Plc},
        {"empty", QByteArray(), Plc},
    };
    for (const auto& s : strays)
        adapter().datagram(Channel::Io, s.bytes, s.from, 2222, now);
    EXPECT_EQ(adapter().status().dropped, quint64(std::size(strays)));
    EXPECT_EQ(adapter().status().received, 0u);

    adapter().datagram(Channel::Io, inputPacket(opened->inputId, 5, input), Plc, 2222, now);
    // Old and repeated packets do not count, and do not keep the connection alive.
    adapter().datagram(Channel::Io, inputPacket(opened->inputId, 5, input), Plc, 2222, now + 60 * Ms);
    adapter().datagram(Channel::Io, inputPacket(opened->inputId, 4, input), Plc, 2222, now + 60 * Ms);
    EXPECT_EQ(adapter().status().received, 1u);
    adapter().poll(now + 81 * Ms);
    EXPECT_EQ(adapter().status().state, ConnectionState::TimedOut);

    // A flood after the connection ends changes nothing but the count.
    for (int i = 0; i < 100000; ++i)
        adapter().datagram(Channel::Io, inputPacket(opened->inputId, quint32(i), input), Plc, 2222, now);
    EXPECT_EQ(adapter().status().dropped, quint64(std::size(strays)) + 2 + 100000);
    EXPECT_EQ(adapter().streamCount(), 1);
}

TEST_F(AdapterTest, AnswersDiscoveryDatagramsOnly) {
    adapter().datagram(Channel::Encapsulation, message(Command::ListIdentity, 0), Plc, 5555, now);
    adapter().datagram(Channel::Encapsulation, message(Command::ListServices, 0), Plc, 5555, now);
    adapter().datagram(Channel::Encapsulation, registerSession(), Plc, 5555, now);
    adapter().datagram(Channel::Encapsulation, message(Command::ListIdentity, 0) + "x", Plc, 5555, now);
    adapter().datagram(Channel::Encapsulation, message(Command::ListIdentity, 0).left(20), Plc, 5555, now);
    ASSERT_EQ(transport.datagrams.size(), 2);
    EXPECT_EQ(transport.datagrams[0].port, 5555);
    EXPECT_EQ(readHeader(transport.datagrams[0].bytes)->command, Command::ListIdentity);
    const QByteArray services = transport.datagrams[1].bytes;
    EXPECT_TRUE(services.contains("Communications"));
}

} // namespace
