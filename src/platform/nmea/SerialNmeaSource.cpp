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
    return QStringLiteral("%1, %2").arg(m_portName, frameText(m_line));
}

} // namespace Platform
