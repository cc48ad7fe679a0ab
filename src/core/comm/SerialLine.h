#pragma once

#include "core/comm/ParGen.h"

#include <QString>

#include <QStringList>
#include <optional>

// The line settings of one serial channel of a configuration, as a port opened to listen to the
// same instruments as the converter must use them. The converter always frames 8 data bits.
struct SerialLine {
    enum class Parity { None, Odd, Even };

    qint32 baudRate = 4800;
    Parity parity = Parity::None;
    int stopBits = 1; // 1 or 2
    int dataBits = 8;

    bool operator==(const SerialLine&) const = default;
};

// The line as a port's settings are commonly written, "4800 8N1". Inline, so that the sources module
// has it without linking the core.
inline QString frameText(const SerialLine& line) {
    const char parity = line.parity == SerialLine::Parity::Odd    ? 'O'
                        : line.parity == SerialLine::Parity::Even ? 'E'
                                                                  : 'N';
    return QStringLiteral("%1 %2%3%4")
        .arg(line.baudRate)
        .arg(line.dataBits)
        .arg(QLatin1Char(parity))
        .arg(line.stopBits);
}

// The device's serial channels by the code the image gives them: "RS232" (0), "RS485 1" (1),
// "RS485 2" (2). An image may hold another code; it has no name.
QStringList serialChannels();
QString serialChannelName(int code);

// The settings of the channel named as the rules name it ("RS232", "RS485 / RS422" or "RS485 1",
// "RS485 2"); none for any other name.
std::optional<SerialLine> serialLineOf(const ParGenSet& set, const QString& channel);
