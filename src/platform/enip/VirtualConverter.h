#pragma once

#include "core/enip/Adapter.h"
#include "platform/enip/AdapterSockets.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <memory>

namespace Enip {
class OutputArraySource;
}

namespace Platform {

// The virtual converter on the network: core's adapter over the sockets of the sources module, on
// the owner's event loop, with a timer for the productions at the connection's interval. What a
// window shows comes as signals; nothing here waits.
class VirtualConverter : public QObject {
    Q_OBJECT
public:
    // settings.address is ignored: the sockets bind address, which ListIdentity then tells.
    VirtualConverter(const Enip::AdapterSettings& settings, const QString& address,
                     const Enip::OutputArraySource& output, QObject* parent = nullptr);
    ~VirtualConverter() override;

    // Loads the sockets from the sources module and binds them: listening() or failed() follows
    // from the event loop. False, with the loader's reason, when the module cannot be had.
    bool start(QString* problem = nullptr);
    // Closes every socket and ends the connection.
    void stop();
    bool isListening() const { return m_listening; }

    QString address() const { return m_address; }
    // The ports bound, once listening.
    quint16 encapsulationPort() const { return m_adapter.settings().encapsulationPort; }
    quint16 ioPort() const { return m_adapter.settings().ioPort; }
    const Enip::AdapterStatus& status() const { return m_adapter.status(); }

signals:
    void listening();
    void failed(const QString& reason);
    // Waiting, connected (from whom, at which interval) or timed out: status() says.
    void stateChanged();
    void packetsChanged(quint64 sent, quint64 received);
    void inputArrayChanged(const QByteArray& input);
    // A Forward Open refused, with the status the PLC was given.
    void forwardOpenRefused(quint8 general, quint16 extended);

private:
    class Events;
    qint64 nowUs() const { return m_clock.nsecsElapsed() / 1000; }
    // After anything the adapter was told: its due work, the signals of what changed, the timer.
    void settle();

    QString m_address;
    std::unique_ptr<Events> m_events;
    Enip::Adapter m_adapter;
    std::unique_ptr<AdapterSocketsHandle> m_sockets;
    QElapsedTimer m_clock;
    QTimer m_timer;
    std::optional<qint64> m_timerDueUs;
    bool m_listening = false;
    bool m_settlePosted = false;
    Enip::AdapterStatus m_shown;
};

} // namespace Platform
