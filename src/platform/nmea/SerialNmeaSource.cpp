#include "platform/nmea/SerialNmeaSource.h"

#include <QSerialPort>
#include <QSerialPortInfo>

namespace Platform {

SerialNmeaSource::SerialNmeaSource(const QString& portName, const SerialLine& line, QObject* parent)
    : NmeaSource(parent), m_portName(portName), m_line(line) {}

SerialNmeaSource::~SerialNmeaSource() {
    stop();
}

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
        const QString reason = m_port->errorString();
        stop();
        reportFailed(reason);
        return;
    }
    connect(m_port, &QSerialPort::readyRead, this, [this] { emit bytesReceived(m_port->readAll()); });
    connect(m_port, &QSerialPort::errorOccurred, this, &SerialNmeaSource::onError);
    reportStarted();
}

void SerialNmeaSource::onError() {
    if (!m_port || m_port->error() == QSerialPort::NoError || m_port->error() == QSerialPort::TimeoutError)
        return;
    const QString reason = m_port->errorString();
    stop();
    reportFailed(reason);
}

void SerialNmeaSource::stop() {
    cancelReports();
    if (!m_port)
        return;
    m_port->disconnect(this);
    m_port->close();
    m_port->deleteLater();
    m_port = nullptr;
}

bool SerialNmeaSource::isRunning() const {
    return m_port && m_port->isOpen();
}

QString SerialNmeaSource::description() const {
    const char parity = m_line.parity == SerialLine::Parity::Odd    ? 'O'
                        : m_line.parity == SerialLine::Parity::Even ? 'E'
                                                                    : 'N';
    return QStringLiteral("%1, %2 %3%4%5")
        .arg(m_portName)
        .arg(m_line.baudRate)
        .arg(m_line.dataBits)
        .arg(QLatin1Char(parity))
        .arg(m_line.stopBits);
}

} // namespace Platform
