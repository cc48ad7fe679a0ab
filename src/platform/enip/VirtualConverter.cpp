#include "platform/enip/VirtualConverter.h"

#include "core/enip/OutputArraySource.h"
#include "core/update/UpdateAddress.h"
#include "platform/nmea/NmeaSourceModule.h"

namespace Platform {

// The sockets' events into the adapter, and the adapter's replies out through the sockets.
class VirtualConverter::Events final : public AdapterSocketEvents, public Enip::AdapterTransport {
public:
    explicit Events(VirtualConverter& owner) : m_owner(owner) {}

    void socketsListening(quint16 encapsulationPort, quint16 ioPort) override {
        m_owner.m_adapter.setPorts(encapsulationPort, ioPort);
        m_owner.m_listening = true;
        emit m_owner.listening();
    }
    void socketsFailed(const QString& reason, bool) override {
        m_owner.m_listening = false;
        emit m_owner.failed(reason);
    }
    void streamOpened(int stream, quint32 address, quint16 port) override {
        m_owner.m_adapter.streamOpened(stream, address, port, m_owner.nowUs());
        m_owner.settle();
    }
    void streamBytes(int stream, const QByteArray& bytes) override {
        m_owner.m_adapter.streamBytes(stream, bytes, m_owner.nowUs());
        m_owner.settle();
    }
    void streamClosed(int stream) override { m_owner.m_adapter.streamClosed(stream); }
    void datagramReceived(AdapterPort port, const QByteArray& bytes, quint32 address, quint16 from) override {
        m_owner.m_adapter.datagram(port == AdapterPort::Io ? Enip::Channel::Io : Enip::Channel::Encapsulation,
                                   bytes, address, from, m_owner.nowUs());
        // Datagrams come in bursts: the signals and the timer are seen to once after the burst.
        if (!m_owner.m_settlePosted) {
            m_owner.m_settlePosted = true;
            QMetaObject::invokeMethod(&m_owner, &VirtualConverter::settle, Qt::QueuedConnection);
        }
    }

    void sendStream(int stream, const QByteArray& bytes) override {
        if (m_owner.m_sockets)
            m_owner.m_sockets->send(stream, bytes);
    }
    void closeStream(int stream) override {
        if (m_owner.m_sockets)
            m_owner.m_sockets->closeStream(stream);
    }
    void sendDatagram(Enip::Channel channel, const QByteArray& bytes, quint32 address,
                      quint16 port) override {
        if (m_owner.m_sockets)
            m_owner.m_sockets->sendDatagram(channel == Enip::Channel::Io ? AdapterPort::Io
                                                                         : AdapterPort::Encapsulation,
                                            bytes, address, port);
    }

private:
    VirtualConverter& m_owner;
};

namespace {

// The program holds no Qt Network: the address is read here as the sockets will bind it.
Enip::AdapterSettings at(Enip::AdapterSettings settings, const QString& address) {
    settings.address = 0;
    if (const std::optional<std::array<quint8, 4>> octets = dottedDecimalAddress(address))
        settings.address =
            quint32((*octets)[0]) << 24 | (*octets)[1] << 16 | (*octets)[2] << 8 | (*octets)[3];
    return settings;
}

} // namespace

VirtualConverter::VirtualConverter(const Enip::AdapterSettings& settings, const QString& address,
                                   const Enip::OutputArraySource& output, QObject* parent)
    : QObject(parent), m_address(address), m_events(std::make_unique<Events>(*this)),
      m_adapter(at(settings, address), output, *m_events) {
    m_clock.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &VirtualConverter::settle);
}

VirtualConverter::~VirtualConverter() {
    stop();
}

bool VirtualConverter::start(QString* problem) {
    stop();
    AdapterSocketSettings sockets;
    sockets.address = m_address;
    sockets.encapsulationPort = m_adapter.settings().encapsulationPort;
    sockets.ioPort = m_adapter.settings().ioPort;
    QString reason;
    m_sockets = NmeaSourceModule::createAdapterSockets(sockets, *m_events, reason);
    if (!m_sockets) {
        if (problem)
            *problem = reason.isEmpty() ? QStringLiteral("the network sockets cannot be made") : reason;
        return false;
    }
    m_sockets->start();
    return true;
}

void VirtualConverter::stop() {
    m_timer.stop();
    m_adapter.shutdown();
    m_sockets.reset();
    m_listening = false;
    settle();
    m_timer.stop();
}

void VirtualConverter::settle() {
    m_settlePosted = false;
    const qint64 now = nowUs();
    m_adapter.poll(now);
    const Enip::AdapterStatus& s = m_adapter.status();
    if (s.state != m_shown.state || s.peerAddress != m_shown.peerAddress || s.peerPort != m_shown.peerPort ||
        s.rpiUs != m_shown.rpiUs || s.connections != m_shown.connections)
        emit stateChanged();
    if (s.refused != m_shown.refused)
        emit forwardOpenRefused(s.refusedGeneral, s.refusedExtended);
    if (s.sent != m_shown.sent || s.received != m_shown.received)
        emit packetsChanged(s.sent, s.received);
    if (s.lastInput != m_shown.lastInput)
        emit inputArrayChanged(s.lastInput);
    m_shown = s;
    const std::optional<qint64> due = m_sockets ? m_adapter.nextDueUs() : std::nullopt;
    if (due == m_timerDueUs && m_timer.isActive())
        return; // a datagram that changes nothing costs no timer
    m_timerDueUs = due;
    if (due) {
        // Whole milliseconds, rounded up, so the timer never fires before the work is due.
        const qint64 waitMs = std::max<qint64>(0, (*due - now + 999) / 1000);
        m_timer.start(int(std::min<qint64>(waitMs, 24 * 3600 * 1000)));
    } else {
        m_timer.stop();
    }
}

} // namespace Platform
