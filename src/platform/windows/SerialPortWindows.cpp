// The serial source's port through the Win32 API.
#include "platform/nmea/SerialNmeaSource.h"
#include "platform/windows/WinSerialPort.h"

namespace Platform {

QStringList SerialNmeaSource::availablePorts() {
    return WinSerialPort::availablePorts();
}

void SerialNmeaSource::start() {
    stop();
    m_port = new WinSerialPort(this);
    QString reason;
    if (!m_port->open(m_portName, m_line, &reason)) {
        portBroken(reason);
        return;
    }
    connect(m_port, &WinSerialPort::bytesRead, this, &SerialNmeaSource::bytesReceived);
    // A read that fails on an open port: the device went or the system closed the port.
    connect(m_port, &WinSerialPort::broken, this,
            [this](const QString& reason) { portBroken(reason, NmeaSourceFailure::PortClosed); });
    reportStarted();
}

void SerialNmeaSource::stop() {
    releaseDevice(m_port);
}

bool SerialNmeaSource::isRunning() const {
    return m_port && m_port->isOpen();
}

} // namespace Platform
