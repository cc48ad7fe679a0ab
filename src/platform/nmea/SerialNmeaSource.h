#pragma once

#include "core/comm/SerialLine.h"
#include "platform/nmea/NmeaSource.h"

#include <QStringList>
#include <QtGlobal>

#ifdef Q_OS_WIN
namespace Platform {
class WinSerialPort;
using SerialPortDevice = WinSerialPort;
} // namespace Platform
#else
class QSerialPort;
namespace Platform {
using SerialPortDevice = QSerialPort;
} // namespace Platform
#endif

namespace Platform {

// A serial port read as data arrives: through Qt Serial Port, on Windows through the Win32 API.
// The part the systems share is here; the port itself is in platform/linux and platform/windows.
class SerialNmeaSource : public NmeaSource {
    Q_OBJECT
public:
    // portName as the system lists it ("ttyUSB0", "COM3") or a device path ("/dev/pts/4").
    SerialNmeaSource(const QString& portName, const SerialLine& line, QObject* parent = nullptr);
    ~SerialNmeaSource() override;

    // The serial ports the system offers, by name, sorted.
    static QStringList availablePorts();

    void start() override;
    void stop() override;
    bool isRunning() const override;
    QString description() const override;

    // Takes effect at the next start().
    void setLine(const SerialLine& line) { m_line = line; }
    const SerialLine& line() const { return m_line; }

private:
    // The port failed to open or broke off: it is closed and the reason reported.
    void portBroken(const QString& reason, NmeaSourceFailure why = NmeaSourceFailure::System);

    QString m_portName;
    SerialLine m_line;
    SerialPortDevice* m_port = nullptr;
};

} // namespace Platform
