#pragma once

// The tests' own EtherNet/IP scanner, the PLC's side of a Generic Ethernet Module: registers a
// session, asks over TCP, opens a class 1 connection and exchanges I/O datagrams, on the loopback
// range only. It runs on the test's event loop beside the adapter, so every wait processes events.

#include "EnipMessages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QTcpSocket>
#include <QUdpSocket>

#include <functional>

namespace EnipTest {

// Processes events until done() holds or timeoutMs pass; true when it held.
inline bool spinUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

inline void spinFor(int ms) {
    spinUntil([] { return false; }, ms);
}

class Scanner {
public:
    struct Received {
        qint64 atUs;
        OutputPacket packet;
    };

    explicit Scanner(const QString& adapter, quint16 encapsulationPort, const QString& own = "127.0.0.1")
        : m_adapter(adapter), m_port(encapsulationPort), m_own(own) {
        m_clock.start();
    }

    bool connectTcp(int timeoutMs = 3000) {
        m_tcp.bind(QHostAddress(m_own), 0);
        m_tcp.connectToHost(QHostAddress(m_adapter), m_port);
        return spinUntil([this] { return m_tcp.state() == QAbstractSocket::ConnectedState; }, timeoutMs);
    }
    QTcpSocket& tcp() { return m_tcp; }

    // Sends a message and waits for one whole reply message.
    std::optional<QByteArray> exchange(const QByteArray& request, int timeoutMs = 3000) {
        m_tcp.write(request);
        QByteArray reply;
        const bool whole = spinUntil(
            [&] {
                reply += m_tcp.readAll();
                const std::optional<Header> header = readHeader(reply);
                return header && reply.size() >= Header::Size + header->length;
            },
            timeoutMs);
        if (!whole)
            return std::nullopt;
        return reply;
    }

    quint32 registerSession() {
        const std::optional<QByteArray> reply = exchange(EnipTest::registerSession());
        const std::optional<Header> header = reply ? readHeader(*reply) : std::nullopt;
        m_session = header && header->status == 0 ? header->session : 0;
        return m_session;
    }
    quint32 session() const { return m_session; }

    std::optional<RRReply> ask(const QByteArray& cip, const QList<CpfOut>& extra = {}) {
        const std::optional<QByteArray> reply = exchange(sendRRData(m_session, cip, extra));
        return reply ? readRRReply(*reply) : std::nullopt;
    }

    // Binds the I/O socket on the scanner's address, any free port unless one is given.
    bool bindIo(quint16 port = 0) {
        if (!m_io.bind(QHostAddress(m_own), port, QAbstractSocket::DontShareAddress))
            return false;
        QObject::connect(&m_io, &QUdpSocket::readyRead, [this] {
            while (m_io.hasPendingDatagrams()) {
                const QNetworkDatagram datagram = m_io.receiveDatagram();
                if (const std::optional<OutputPacket> packet = readOutputPacket(datagram.data()))
                    received << Received{m_clock.nsecsElapsed() / 1000, *packet};
                else
                    ++strays;
            }
        });
        return true;
    }
    quint16 ioPort() const { return m_io.localPort(); }

    // A Forward Open asking for the Output array on the scanner's I/O port; remembers where to
    // send the Input array on success.
    std::optional<RRReply> forwardOpen(const Cip::ForwardOpen& open, const QByteArray& path,
                                       quint16 adapterIoPort) {
        const std::optional<RRReply> reply =
            ask(forwardOpenRequest(open, path),
                {{Item::SockaddrTargetToOriginator, socketAddressItem({ioPort(), 0})}});
        if (reply && reply->general == 0)
            if (const std::optional<Opened> o = readOpened(reply->data)) {
                m_opened = *o;
                m_adapterIoPort = adapterIoPort;
            }
        return reply;
    }
    const Opened& opened() const { return m_opened; }

    // Sends the next Input array packet to the adapter's I/O port.
    void sendInput(const QByteArray& input, bool run = true) {
        ++m_inputSequence;
        m_io.writeDatagram(inputPacket(m_opened.inputId, m_inputSequence, input, run),
                           QHostAddress(m_adapter), m_adapterIoPort);
    }
    void sendRaw(const QByteArray& datagram, quint16 port) {
        m_io.writeDatagram(datagram, QHostAddress(m_adapter), port);
    }
    QUdpSocket& io() { return m_io; }

    QList<Received> received;
    int strays = 0;

private:
    QString m_adapter;
    quint16 m_port;
    QString m_own;
    QTcpSocket m_tcp;
    QUdpSocket m_io;
    QElapsedTimer m_clock;
    quint32 m_session = 0;
    Opened m_opened;
    quint16 m_adapterIoPort = 0;
    quint32 m_inputSequence = 0;
};

} // namespace EnipTest
