// The serial source's port through Qt Serial Port.
#include "platform/nmea/SerialNmeaSource.h"

#include <QSerialPort>
#include <QSerialPortInfo>

namespace Platform {

QStringList SerialNmeaSource::availablePorts() {
    QStringList names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        names << info.portName();
    names.sort();
    return names;
}

void SerialNmeaSource::start() {
    stop();
    m_port = new QSerialPort(m_portName, this);
    m_port->setBaudRate(m_line.baudRate);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(m_line.parity == SerialLine::Parity::Odd    ? QSerialPort::OddParity
                      : m_line.parity == SerialLine::Parity::Even ? QSerialPort::EvenParity
                                                                  : QSerialPort::NoParity);
    m_port->setStopBits(m_line.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port->open(QIODevice::ReadOnly)) {
        portBroken(m_port->errorString());
        return;
    }
    connect(m_port, &QSerialPort::readyRead, this, [this] { emit bytesReceived(m_port->readAll()); });
    connect(m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        if (!m_port || error == QSerialPort::NoError || error == QSerialPort::TimeoutError)
            return;
        // A read failing on an open port: the device was unplugged or hung up, or the system took
        // the port away. The system's text ("Inappropriate ioctl for device") names no cause.
        const bool closed = error == QSerialPort::ReadError || error == QSerialPort::ResourceError;
        portBroken(m_port->errorString(), closed ? NmeaSourceFailure::PortClosed : NmeaSourceFailure::System);
    });
    reportStarted();
}

void SerialNmeaSource::stop() {
    releaseDevice(m_port);
}

bool SerialNmeaSource::isRunning() const {
    return m_port && m_port->isOpen();
}

} // namespace Platform
