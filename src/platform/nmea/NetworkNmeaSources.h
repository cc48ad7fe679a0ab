#pragma once

#include "platform/nmea/NmeaSource.h"
#include "platform/nmea/NmeaSourceSettings.h"

#include <QHostAddress>

class QTcpSocket;
class QUdpSocket;

namespace Platform {

// Datagrams arriving on a UDP port; each is passed on as a whole message.
class UdpNmeaSource : public NmeaSource {
    Q_OBJECT
public:
    static constexpr quint16 DefaultPort = NmeaSourceSettings::DefaultUdpPort;

    explicit UdpNmeaSource(quint16 port = DefaultPort, const QHostAddress& address = QHostAddress::AnyIPv4,
                           QObject* parent = nullptr);
    ~UdpNmeaSource() override;

    void start() override;
    void stop() override;
    bool isRunning() const override;
    QString description() const override;
    // The port bound, useful when 0 was asked for; 0 when not running.
    quint16 boundPort() const;

private:
    void readDatagrams();

    quint16 m_port;
    QHostAddress m_address;
    QUdpSocket* m_socket = nullptr;
};

// A TCP connection to an instrument or a multiplexer that serves NMEA 0183 as a stream.
class TcpNmeaSource : public NmeaSource {
    Q_OBJECT
public:
    TcpNmeaSource(const QString& host, quint16 port, QObject* parent = nullptr);
    ~TcpNmeaSource() override;

    void start() override;
    void stop() override;
    bool isRunning() const override;
    QString description() const override;

private:
    void onError();

    QString m_host;
    quint16 m_port;
    QTcpSocket* m_socket = nullptr;
};

} // namespace Platform
