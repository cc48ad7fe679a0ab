#include "core/comm/SerialLine.h"

#include "core/comm/SerialIndex.h"
#include "core/nmea/NmeaMonitor.h"

QStringList serialChannels() {
    return {QStringLiteral("RS232"), QStringLiteral("RS485 1"), QStringLiteral("RS485 2")};
}

QString serialChannelName(int code) {
    const QStringList names = serialChannels();
    return code >= 0 && code < names.size() ? names[code] : QString();
}

std::optional<SerialLine> serialLineOf(const ParGenSet& set, const QString& channel) {
    const QString name = Nmea::channelNamed(channel);
    const SerialPortSet* port = nullptr;
    if (name == u"RS232")
        port = &set.RS232;
    else if (name == u"RS485 / RS422")
        port = &set.RS485_1;
    else if (name == u"RS485 2")
        port = &set.RS485_2;
    if (!port)
        return std::nullopt;
    SerialLine line;
    // The stored indexes are always list positions; the list texts are the numbers themselves.
    line.baudRate = QString::fromLatin1(kBaudRates[port->BaudIndex]).toInt();
    line.parity = static_cast<SerialLine::Parity>(port->ParityIndex);
    line.stopBits = port->StopBitsIndex + 1;
    return line;
}
