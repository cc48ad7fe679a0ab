#pragma once

#include "core/comm/SerialLine.h"
#include "platform/nmea/NmeaSource.h"

#include <QStringList>

class QSerialPort;

namespace Platform {

// A serial port through Qt Serial Port, read as data arrives.
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
    void onError();

    QString m_portName;
    SerialLine m_line;
    QSerialPort* m_port = nullptr;
};

} // namespace Platform
