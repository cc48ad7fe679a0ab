#pragma once

#include <QByteArray>
#include <QString>

namespace Platform {

// The sockets of the virtual converter's EtherNet/IP adapter: a TCP server and a UDP socket on the
// encapsulation port, a UDP socket on the I/O port, all on one address. They live in the sources
// module, beside the other users of Qt Network; the protocol is core's (Enip::Adapter), so what
// crosses into the module is plain data and the two interfaces below, which have no code.

struct AdapterSocketSettings {
    QString address = QStringLiteral("127.0.0.2");
    quint16 encapsulationPort = 44818; // 0: any free port
    quint16 ioPort = 2222;             // 0: any free port
};

enum class AdapterPort { Encapsulation, Io };

// Told what the sockets receive, always from the event loop. Addresses are IPv4, host order.
class AdapterSocketEvents {
public:
    // Bound, with the ports the system gave.
    virtual void socketsListening(quint16 encapsulationPort, quint16 ioPort) = 0;
    // Could not bind; the sockets are closed.
    virtual void socketsFailed(const QString& reason, bool portInUse) = 0;
    virtual void streamOpened(int stream, quint32 address, quint16 port) = 0;
    virtual void streamBytes(int stream, const QByteArray& bytes) = 0;
    // The client closed, or was let go for not reading what it was sent.
    virtual void streamClosed(int stream) = 0;
    virtual void datagramReceived(AdapterPort port, const QByteArray& bytes, quint32 address,
                                  quint16 from) = 0;

protected:
    ~AdapterSocketEvents() = default;
};

// Made by the module. Deleting it closes every socket at once; its memory goes from the event loop,
// so it may be deleted from inside one of its own events.
class AdapterSocketsHandle {
public:
    virtual ~AdapterSocketsHandle() = default;
    // Binds; listening or failed follows from the event loop.
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual void send(int stream, const QByteArray& bytes) = 0;
    // Closes a client's connection once what was sent to it has gone; no streamClosed follows.
    virtual void closeStream(int stream) = 0;
    virtual void sendDatagram(AdapterPort port, const QByteArray& bytes, quint32 address, quint16 to) = 0;
};

} // namespace Platform
