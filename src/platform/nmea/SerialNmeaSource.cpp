#include "platform/nmea/SerialNmeaSource.h"

namespace Platform {

SerialNmeaSource::SerialNmeaSource(const QString& portName, const SerialLine& line, QObject* parent)
    : NmeaSource(parent), m_portName(portName), m_line(line) {}

SerialNmeaSource::~SerialNmeaSource() {
    stop();
}

void SerialNmeaSource::portBroken(const QString& reason, NmeaSourceFailure why) {
    stop();
    reportFailed(reason, why);
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
