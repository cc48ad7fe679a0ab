#include "platform/nmea/NetworkNmeaSources.h"

#include <QNetworkDatagram>
#include <QTcpSocket>
#include <QUdpSocket>

namespace Platform {

UdpNmeaSource::UdpNmeaSource(quint16 port, const QHostAddress& address, QObject* parent)
    : NmeaSource(parent), m_port(port), m_address(address) {}

UdpNmeaSource::~UdpNmeaSource() {
    stop();
}

void UdpNmeaSource::start() {
    stop();
    m_socket = new QUdpSocket(this);
    // Never shared: with address reuse on both sockets the system hands unicast datagrams to the
    // last one bound, so a chart plotter already listening on the port would stop receiving.
    if (!m_socket->bind(m_address, m_port, QAbstractSocket::DontShareAddress)) {
        const bool inUse = m_socket->error() == QAbstractSocket::AddressInUseError;
        const QString reason = m_socket->errorString();
        stop();
        reportFailed(reason, inUse ? NmeaSourceFailure::PortInUse : NmeaSourceFailure::System);
        return;
    }
    connect(m_socket, &QUdpSocket::readyRead, this, &UdpNmeaSource::readDatagrams);
    reportStarted();
}

void UdpNmeaSource::readDatagrams() {
    while (m_socket && m_socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram();
        // Many senders put one sentence in a datagram without a line end: the datagram ends it.
        if (!datagram.data().isEmpty())
            emit messageReceived(datagram.data());
    }
}

void UdpNmeaSource::stop() {
    releaseDevice(m_socket);
}

bool UdpNmeaSource::isRunning() const {
    return m_socket && m_socket->state() == QAbstractSocket::BoundState;
}

quint16 UdpNmeaSource::boundPort() const {
    return isRunning() ? m_socket->localPort() : 0;
}

QString UdpNmeaSource::description() const {
    return QStringLiteral("UDP port %1").arg(m_port);
}

TcpNmeaSource::TcpNmeaSource(const QString& host, quint16 port, QObject* parent)
    : NmeaSource(parent), m_host(host), m_port(port) {}

TcpNmeaSource::~TcpNmeaSource() {
    stop();
}

void TcpNmeaSource::start() {
    stop();
    m_socket = new QTcpSocket(this);
    connect(m_socket, &QTcpSocket::connected, this, [this] { emit started(); });
    connect(m_socket, &QTcpSocket::readyRead, this, [this] { emit bytesReceived(m_socket->readAll()); });
    connect(m_socket, &QTcpSocket::errorOccurred, this, &TcpNmeaSource::onError);
    // Name lookup and connection both run on the event loop.
    m_socket->connectToHost(m_host, m_port, QIODevice::ReadOnly);
}

void TcpNmeaSource::onError() {
    if (!m_socket)
        return;
    // What arrived before the far end closed still counts.
    const QByteArray rest = m_socket->readAll();
    if (!rest.isEmpty())
        emit bytesReceived(rest);
    const QString reason = m_socket->errorString();
    stop();
    emit failed(reason, NmeaSourceFailure::System);
}

void TcpNmeaSource::stop() {
    // At once, not after a goodbye to the far side, and without a word of it to this source.
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
    releaseDevice(m_socket);
}

bool TcpNmeaSource::isRunning() const {
    return m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
}

QString TcpNmeaSource::description() const {
    return QStringLiteral("TCP %1:%2").arg(m_host).arg(m_port);
}

} // namespace Platform
