#include "platform/nmea/NmeaSources.h"

#include "platform/nmea/LogReplaySource.h"
#include "platform/nmea/NetworkNmeaSources.h"
#include "platform/nmea/SerialNmeaSource.h"

namespace Platform {

std::unique_ptr<NmeaSource> createNmeaSource(const NmeaSourceSettings& settings) {
    switch (settings.kind) {
    case NmeaSourceSettings::Kind::LogFile:
        return std::make_unique<LogReplaySource>(settings.logFile);
    case NmeaSourceSettings::Kind::SerialPort:
        return std::make_unique<SerialNmeaSource>(settings.serialPort, settings.line);
    case NmeaSourceSettings::Kind::Udp:
        return std::make_unique<UdpNmeaSource>(settings.udpPort, settings.udpAddress.isEmpty()
                                                                     ? QHostAddress(QHostAddress::AnyIPv4)
                                                                     : QHostAddress(settings.udpAddress));
    case NmeaSourceSettings::Kind::TcpClient:
        return std::make_unique<TcpNmeaSource>(settings.tcpHost, settings.tcpPort);
    }
    return nullptr;
}

} // namespace Platform
