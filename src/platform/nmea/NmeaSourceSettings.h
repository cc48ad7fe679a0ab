#pragma once

#include "core/comm/SerialLine.h"

#include <QString>

namespace Platform {

// Why a source failed, where the program has a clearer word for it than the system's text.
enum class NmeaSourceFailure {
    System,         // the system's reason says it
    LogShrank,      // the log became shorter while it was read
    NotRegularFile, // a FIFO or a device named as the log
    PortInUse,      // another program listens on the UDP port
    PortClosed,     // the device or the system closed the serial port under the source
};

// What one NMEA 0183 source is to listen to. Plain data, so that it can cross into the module that
// holds the sources.
struct NmeaSourceSettings {
    enum class Kind { LogFile, SerialPort, Udp, TcpClient };
    // The port commonly used for NMEA 0183 over IP.
    static constexpr quint16 DefaultUdpPort = 10110;

    Kind kind = Kind::LogFile;
    QString logFile;
    // As the system lists it ("ttyUSB0", "COM3") or a device path ("/dev/pts/4").
    QString serialPort;
    SerialLine line;
    quint16 udpPort = DefaultUdpPort;
    // The address the UDP socket binds to; empty for every IPv4 address.
    QString udpAddress;
    QString tcpHost;
    quint16 tcpPort = 0;
};

} // namespace Platform
