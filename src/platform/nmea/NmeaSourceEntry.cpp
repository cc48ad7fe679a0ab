// The entries of the sources module, which the program loads by name.

#include "platform/enip/QtAdapterSockets.h"
#include "platform/nmea/NmeaSourceModule.h"
#include "platform/nmea/NmeaSources.h"
#include "platform/nmea/SerialNmeaSource.h"

namespace {

// Passes a source's signals on to the program's events.
class SourceHandle final : public Platform::NmeaSourceHandle {
public:
    SourceHandle(std::unique_ptr<Platform::NmeaSource> source, Platform::NmeaSourceEvents& events)
        : m_source(std::move(source)) {
        using Platform::NmeaSource;
        NmeaSource* s = m_source.get();
        QObject::connect(s, &NmeaSource::started, s, [&events] { events.sourceStarted(); });
        QObject::connect(s, &NmeaSource::bytesReceived, s,
                         [&events](const QByteArray& bytes) { events.sourceBytes(bytes); });
        QObject::connect(s, &NmeaSource::messageReceived, s,
                         [&events](const QByteArray& bytes) { events.sourceMessage(bytes); });
        QObject::connect(s, &NmeaSource::failed, s,
                         [&events](const QString& reason, Platform::NmeaSourceFailure why) {
                             events.sourceFailed(reason, why);
                         });
        QObject::connect(s, &NmeaSource::finished, s, [&events] { events.sourceFinished(); });
        QObject::connect(s, &NmeaSource::progress, s,
                         [&events](qint64 done, qint64 total) { events.sourceProgress(done, total); });
    }
    ~SourceHandle() override {
        // The handle may go from inside one of the source's signals, which is still on the stack.
        m_source->stop();
        m_source->disconnect();
        m_source.release()->deleteLater();
    }

    void start() override { m_source->start(); }
    void stop() override { m_source->stop(); }
    bool isRunning() const override { return m_source->isRunning(); }
    QString description() const override { return m_source->description(); }

private:
    std::unique_ptr<Platform::NmeaSource> m_source;
};

// Passes the program's calls on to the adapter's sockets.
class AdapterHandle final : public Platform::AdapterSocketsHandle {
public:
    AdapterHandle(const Platform::AdapterSocketSettings& settings, Platform::AdapterSocketEvents& events)
        : m_sockets(new Platform::QtAdapterSockets(settings, events)) {}
    ~AdapterHandle() override {
        // The handle may go from inside one of the sockets' events, which is still on the stack.
        m_sockets->stop();
        m_sockets->deleteLater();
    }

    void start() override { m_sockets->start(); }
    void stop() override { m_sockets->stop(); }
    void send(int stream, const QByteArray& bytes) override { m_sockets->send(stream, bytes); }
    void closeStream(int stream) override { m_sockets->closeStream(stream); }
    void sendDatagram(Platform::AdapterPort port, const QByteArray& bytes, quint32 address,
                      quint16 to) override {
        m_sockets->sendDatagram(port, bytes, address, to);
    }

private:
    Platform::QtAdapterSockets* m_sockets;
};

} // namespace

extern "C" {

Q_DECL_EXPORT int tessellor_nmea_interface_version() {
    return Platform::NmeaSourceModule::InterfaceVersion;
}

Q_DECL_EXPORT Platform::NmeaSourceHandle*
tessellor_create_nmea_source(const Platform::NmeaSourceSettings& settings,
                             Platform::NmeaSourceEvents& events) {
    std::unique_ptr<Platform::NmeaSource> source = Platform::createNmeaSource(settings);
    return source ? new SourceHandle(std::move(source), events) : nullptr;
}

Q_DECL_EXPORT void tessellor_list_serial_ports(QStringList& ports) {
    ports = Platform::SerialNmeaSource::availablePorts();
}

Q_DECL_EXPORT Platform::AdapterSocketsHandle*
tessellor_create_adapter_sockets(const Platform::AdapterSocketSettings& settings,
                                 Platform::AdapterSocketEvents& events) {
    return new AdapterHandle(settings, events);
}

} // extern "C"

// The entries must keep the shapes the program calls them with.
static_assert(
    std::is_same_v<decltype(&tessellor_nmea_interface_version), Platform::NmeaSourceModule::VersionFunction>);
static_assert(
    std::is_same_v<decltype(&tessellor_create_nmea_source), Platform::NmeaSourceModule::CreateFunction>);
static_assert(
    std::is_same_v<decltype(&tessellor_list_serial_ports), Platform::NmeaSourceModule::PortsFunction>);
static_assert(
    std::is_same_v<decltype(&tessellor_create_adapter_sockets), Platform::NmeaSourceModule::AdapterFunction>);
