#pragma once

#include "platform/nmea/NmeaSourceSettings.h"

#include <QByteArray>
#include <QObject>
#include <QString>

namespace Platform {

// Where NMEA 0183 bytes come from while the monitor listens: a serial port, a UDP port, a TCP
// connection or a log file. Everything runs on the owner's event loop and no call waits: start()
// returns at once and the outcome follows as started() or failed(), both delivered from the
// event loop, never from inside start().
class NmeaSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~NmeaSource() override = default;

    // Opens the port, socket or file. On a running source it starts afresh.
    virtual void start() = 0;
    // Closes it; nothing is emitted afterwards until the next start().
    virtual void stop() = 0;
    virtual bool isRunning() const = 0;
    // What the source listens to, for a status line: "/dev/ttyUSB0, 4800 8N1", "UDP port 10110".
    virtual QString description() const = 0;

signals:
    void started();
    // Bytes as they arrived, in arbitrary pieces: lines may be split between two emissions.
    void bytesReceived(const QByteArray& bytes);
    // A whole message, a datagram: it ends the last line in it, and nothing after it continues
    // that line.
    void messageReceived(const QByteArray& bytes);
    // The source could not start or broke off; reason is the system's text, why says more where it
    // can. The source is stopped.
    void failed(const QString& reason, Platform::NmeaSourceFailure why);
    // A log file was read to its end (the other sources never finish on their own).
    void finished();
    // A log file's progress in bytes (the other sources never report progress).
    void progress(qint64 done, qint64 total);

protected:
    // Emits started() or failed(reason) from the event loop, unless stop() or start() come first.
    void reportStarted();
    void reportFailed(const QString& reason, NmeaSourceFailure why = NmeaSourceFailure::System);
    // Forgets reports still on their way; the sources call it from start() and stop().
    void cancelReports() { ++m_generation; }
    // How a source stops: reports on their way are forgotten, no signal of the device reaches the
    // source any more, and the device is closed and deleted once its events are done (a stop may
    // come from within one of its own signals).
    template <typename Device> void releaseDevice(Device*& device) {
        cancelReports();
        if (!device)
            return;
        device->disconnect(this);
        device->close();
        device->deleteLater();
        device = nullptr;
    }

private:
    quint64 m_generation = 0;
};

} // namespace Platform
