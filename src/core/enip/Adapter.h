#pragma once

#include "core/enip/AdapterSettings.h"
#include "core/enip/Cip.h"
#include "core/enip/Encapsulation.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

namespace Enip {

class OutputArraySource;

// The two UDP sockets of an adapter: the encapsulation port (discovery) and the I/O port.
enum class Channel { Encapsulation, Io };

// What the adapter asks of the sockets: replies on a TCP client's stream, its closing, datagrams.
class AdapterTransport {
public:
    virtual void sendStream(int stream, const QByteArray& bytes) = 0;
    virtual void closeStream(int stream) = 0;
    virtual void sendDatagram(Channel channel, const QByteArray& bytes, quint32 address, quint16 port) = 0;

protected:
    ~AdapterTransport() = default;
};

enum class ConnectionState { Waiting, Connected, TimedOut };

// What a window shows of the adapter.
struct AdapterStatus {
    ConnectionState state = ConnectionState::Waiting;
    // The originator of the connection, or of the last one.
    quint32 peerAddress = 0;
    quint16 peerPort = 0; // where the Output array goes
    qint64 rpiUs = 0;     // of the Output array (T->O)
    qint64 inputRpiUs = 0;
    qint64 timeoutUs = 0;
    bool run = false;     // the PLC's run/idle flag in its last packet
    quint64 sent = 0;     // I/O packets with the Output array
    quint64 received = 0; // I/O packets with the Input array taken
    quint64 dropped = 0;  // I/O packets refused: unknown connection, wrong size or sender, old
    quint64 missed = 0;   // productions not sent in their cycle
    quint64 connections = 0;
    QByteArray lastInput; // the Input array of the last packet taken
    // The last Forward Open refused, for the engineer: general and extended status.
    quint8 refusedGeneral = 0;
    quint16 refusedExtended = 0;
    quint64 refused = 0;
};

// The EtherNet/IP adapter of the virtual converter, without sockets: the sockets hand it what they
// receive with the time, it answers through its transport, and poll() produces the Output array
// at its interval and closes what has timed out. Every field read off the network is bounded: a
// message too short, too long or of unknown kind is answered with an error or dropped, and nothing
// it keeps grows with what it receives. One I/O connection at a time, point-to-point: an exclusive
// owner, as the converter has.
class Adapter {
public:
    // The longest request body read; a longer one is refused and its client let go.
    static constexpr int MaxRequest = 2048;
    // The intervals a connection may ask for.
    static constexpr qint64 MinRpiUs = 1'000;
    static constexpr qint64 MaxRpiUs = 10'000'000;
    // The size of an I/O connection beyond the arrays: the sequence count, and for the Input array
    // the run/idle header.
    static constexpr int SequenceCountSize = 2;
    static constexpr int RunIdleHeaderSize = 4;

    Adapter(const AdapterSettings& settings, const OutputArraySource& output, AdapterTransport& transport);

    const AdapterSettings& settings() const { return m_settings; }
    // The ports actually bound, once known (a test may ask for any free port).
    void setPorts(quint16 encapsulationPort, quint16 ioPort);

    // A TCP client connected: false when it is refused (and closed).
    bool streamOpened(int stream, quint32 address, quint16 port, qint64 nowUs);
    void streamBytes(int stream, QByteArrayView bytes, qint64 nowUs);
    void streamClosed(int stream);
    void datagram(Channel channel, QByteArrayView bytes, quint32 address, quint16 port, qint64 nowUs);
    // Sends the productions due and closes what has timed out.
    void poll(qint64 nowUs);
    // When poll() has work next, or none.
    std::optional<qint64> nextDueUs() const;
    // Ends the connection and lets every client go.
    void shutdown();

    const AdapterStatus& status() const { return m_status; }
    int streamCount() const { return int(m_streams.size()); }

    // The connection sizes a Forward Open must ask for.
    int outputConnectionSize() const { return m_settings.outputSize + SequenceCountSize; }
    int inputConnectionSize() const { return m_settings.inputSize + SequenceCountSize + RunIdleHeaderSize; }

private:
    struct Stream {
        int id = 0;
        quint32 address = 0;
        quint16 port = 0;
        quint32 session = 0;
        qint64 lastHeardUs = 0;
        qint64 openedUs = 0;
        QByteArray pending;
    };
    struct Connection {
        Cip::ConnectionTriad triad;
        quint32 inputId = 0;  // O->T, chosen here
        quint32 outputId = 0; // T->O, the originator's
        quint32 address = 0;
        quint16 port = 0;
        qint64 rpiUs = 0;
        qint64 inputRpiUs = 0;
        qint64 timeoutUs = 0;
        qint64 nextProductionUs = 0;
        qint64 lastConsumedUs = 0;
        quint32 outputSequence = 0; // of the sequenced address item
        quint16 outputCount = 0;    // the CIP sequence count
        std::optional<quint32> inputSequence;
    };

    Stream* stream(int id);
    void handleMessage(Stream& stream, const Header& header, QByteArrayView data, qint64 nowUs);
    // The reply to an encapsulation command that needs no session, or none.
    std::optional<QByteArray> sessionlessReply(const Header& header);
    // Who asks, for a Forward Open: the client's address, the port it wants the Output array on.
    struct Asker {
        quint32 address = 0;
        std::optional<quint16> outputPort;
        qint64 nowUs = 0;
    };
    QByteArray sendRRData(const Header& header, QByteArrayView data, quint32 peer, qint64 nowUs);
    QByteArray cipReply(QByteArrayView message, const Asker& asker, QList<CpfOut>& extraItems, int depth = 0);
    QByteArray identityReply(const Cip::Request& request, const Cip::Path& path);
    QByteArray assemblyReply(const Cip::Request& request, const Cip::Path& path);
    QByteArray forwardOpen(const Cip::Request& request, const Asker& asker, QList<CpfOut>& extraItems);
    QByteArray forwardClose(const Cip::Request& request);
    void consume(QByteArrayView bytes, quint32 address, qint64 nowUs);
    void produce(qint64 nowUs);
    void endConnection(ConnectionState state);
    QByteArray identityItem() const;
    QByteArray identityAttributes() const;
    quint16 identityStatus() const;

    AdapterSettings m_settings;
    const OutputArraySource& m_output;
    AdapterTransport& m_transport;
    QList<Stream> m_streams;
    std::optional<Connection> m_connection;
    AdapterStatus m_status;
    quint32 m_nextSession;
    quint32 m_nextConnectionId;
};

} // namespace Enip
