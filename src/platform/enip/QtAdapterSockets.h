#pragma once

#include "platform/enip/AdapterSockets.h"

#include <QHash>
#include <QObject>

class QTcpServer;
class QTcpSocket;
class QUdpSocket;

namespace Platform {

// The adapter's sockets on Qt Network. Reads are bounded: a client's bytes a piece at a time, at
// most MaxDatagramsPerTurn datagrams a turn of the event loop (a flood leaves the loop its other
// work), and a client that does not read its replies is let go once MaxUnsent bytes wait for it.
class QtAdapterSockets : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 ReadPiece = 8 * 1024;
    static constexpr int MaxDatagramsPerTurn = 64;
    static constexpr qint64 MaxDatagram = 4096;
    static constexpr qint64 MaxUnsent = 64 * 1024;
    static constexpr int CloseGraceMs = 2000;

    QtAdapterSockets(const AdapterSocketSettings& settings, AdapterSocketEvents& events,
                     QObject* parent = nullptr);
    ~QtAdapterSockets() override;

    void start();
    void stop();
    void send(int stream, const QByteArray& bytes);
    void closeStream(int stream);
    void sendDatagram(AdapterPort port, const QByteArray& bytes, quint32 address, quint16 to);

private:
    void accept();
    void readDatagrams(AdapterPort port);
    void drop(int stream);
    void report(std::function<void()> what);

    AdapterSocketSettings m_settings;
    AdapterSocketEvents& m_events;
    QTcpServer* m_server = nullptr;
    QUdpSocket* m_encapsulation = nullptr;
    QUdpSocket* m_io = nullptr;
    QHash<int, QTcpSocket*> m_streams;
    int m_nextStream = 1;
    quint64 m_generation = 0;
};

} // namespace Platform
