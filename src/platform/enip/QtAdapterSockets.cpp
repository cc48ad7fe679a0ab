#include "platform/enip/QtAdapterSockets.h"

#include <QNetworkDatagram>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>

namespace Platform {

namespace {

quint32 ipv4(const QHostAddress& address) {
    bool ok = false;
    const quint32 value = address.toIPv4Address(&ok);
    return ok ? value : 0;
}

} // namespace

QtAdapterSockets::QtAdapterSockets(const AdapterSocketSettings& settings, AdapterSocketEvents& events,
                                   QObject* parent)
    : QObject(parent), m_settings(settings), m_events(events) {}

QtAdapterSockets::~QtAdapterSockets() {
    stop();
}

// Said from the event loop, never from inside the call, and forgotten by a stop() in between.
void QtAdapterSockets::report(std::function<void()> what) {
    QTimer::singleShot(0, this, [this, generation = m_generation, what = std::move(what)] {
        if (generation == m_generation)
            what();
    });
}

void QtAdapterSockets::start() {
    stop();
    const QHostAddress address(m_settings.address);
    const auto fail = [this](const QString& reason, bool inUse) {
        stop();
        report([this, reason, inUse] { m_events.socketsFailed(reason, inUse); });
    };
    if (address.isNull() || address.protocol() != QAbstractSocket::IPv4Protocol) {
        fail(QStringLiteral("%1 is not an IPv4 address").arg(m_settings.address), false);
        return;
    }
    m_server = new QTcpServer(this);
    if (!m_server->listen(address, m_settings.encapsulationPort)) {
        fail(m_server->errorString(), m_server->serverError() == QAbstractSocket::AddressInUseError);
        return;
    }
    connect(m_server, &QTcpServer::newConnection, this, &QtAdapterSockets::accept);
    const quint16 encapsulationPort = m_server->serverPort();
    // Never shared: with address reuse the system would hand the datagrams to whichever bound last.
    m_encapsulation = new QUdpSocket(this);
    m_io = new QUdpSocket(this);
    for (const auto& [socket, port] :
         {std::pair{m_encapsulation, encapsulationPort}, {m_io, m_settings.ioPort}}) {
        if (!socket->bind(address, port, QAbstractSocket::DontShareAddress)) {
            fail(socket->errorString(), socket->error() == QAbstractSocket::AddressInUseError);
            return;
        }
    }
    connect(m_encapsulation, &QUdpSocket::readyRead, this,
            [this] { readDatagrams(AdapterPort::Encapsulation); });
    connect(m_io, &QUdpSocket::readyRead, this, [this] { readDatagrams(AdapterPort::Io); });
    const quint16 ioPort = m_io->localPort();
    report([this, encapsulationPort, ioPort] { m_events.socketsListening(encapsulationPort, ioPort); });
}

void QtAdapterSockets::stop() {
    ++m_generation;
    for (QTcpSocket* socket : std::as_const(m_streams)) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
    m_streams.clear();
    for (QObject* device : {static_cast<QObject*>(m_server), static_cast<QObject*>(m_encapsulation),
                            static_cast<QObject*>(m_io)}) {
        if (device) {
            device->disconnect(this);
            device->deleteLater();
        }
    }
    if (m_server)
        m_server->close();
    if (m_encapsulation)
        m_encapsulation->close();
    if (m_io)
        m_io->close();
    m_server = nullptr;
    m_encapsulation = nullptr;
    m_io = nullptr;
}

void QtAdapterSockets::accept() {
    while (m_server && m_server->hasPendingConnections()) {
        QTcpSocket* socket = m_server->nextPendingConnection();
        const int stream = m_nextStream++;
        socket->setParent(this);
        socket->setReadBufferSize(ReadPiece);
        m_streams.insert(stream, socket);
        connect(socket, &QTcpSocket::readyRead, this, [this, stream, socket] {
            // A piece at a time: the rest waits in the system until the next turn.
            const QByteArray bytes = socket->read(ReadPiece);
            if (!bytes.isEmpty())
                m_events.streamBytes(stream, bytes);
        });
        connect(socket, &QTcpSocket::disconnected, this, [this, stream] {
            if (m_streams.contains(stream)) {
                drop(stream);
                m_events.streamClosed(stream);
            }
        });
        m_events.streamOpened(stream, ipv4(socket->peerAddress()), socket->peerPort());
    }
}

void QtAdapterSockets::drop(int stream) {
    QTcpSocket* socket = m_streams.take(stream);
    if (!socket)
        return;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void QtAdapterSockets::send(int stream, const QByteArray& bytes) {
    QTcpSocket* socket = m_streams.value(stream);
    if (!socket)
        return;
    socket->write(bytes);
    // Out now, so a reply goes before the datagrams it announces.
    socket->flush();
    if (socket->bytesToWrite() > MaxUnsent) {
        drop(stream);
        report([this, stream] { m_events.streamClosed(stream); });
    }
}

void QtAdapterSockets::closeStream(int stream) {
    QTcpSocket* socket = m_streams.take(stream);
    if (!socket)
        return;
    socket->disconnect(this);
    // What was sent goes first; a client that does not take it is cut off after a grace.
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(CloseGraceMs, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    socket->disconnectFromHost();
}

void QtAdapterSockets::readDatagrams(AdapterPort port) {
    QUdpSocket* socket = port == AdapterPort::Io ? m_io : m_encapsulation;
    for (int n = 0; n < MaxDatagramsPerTurn && socket && socket->hasPendingDatagrams(); ++n) {
        const QNetworkDatagram datagram = socket->receiveDatagram(MaxDatagram);
        m_events.datagramReceived(port, datagram.data(), ipv4(datagram.senderAddress()),
                                  quint16(datagram.senderPort()));
        socket = port == AdapterPort::Io ? m_io : m_encapsulation; // a stop from within the event
    }
}

void QtAdapterSockets::sendDatagram(AdapterPort port, const QByteArray& bytes, quint32 address, quint16 to) {
    QUdpSocket* socket = port == AdapterPort::Io ? m_io : m_encapsulation;
    if (socket)
        socket->writeDatagram(bytes, QHostAddress(address), to);
}

} // namespace Platform
