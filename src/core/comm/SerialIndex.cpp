#include "core/comm/SerialIndex.h"

#include "core/util/TextRules.h"

const char* const kBaudRates[8] = {"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"};
const char* const kParities[3] = {"NONE", "ODD", "EVEN"};
const char* const kStopBits[2] = {"1 bit", "2 bits"};

int Baud_to_Index(const QString& text) {
    const qint32 baud = intTextOr(text, 4800);
    for (int i = 0; i < 8; ++i) {
        if (baud == QString::fromLatin1(kBaudRates[i]).toInt())
            return i;
    }
    return 2;
}

int Parity_to_Index(const QString& text) {
    const QString upper = upperAscii(text);
    for (int i = 0; i < 3; ++i) {
        if (upper == QLatin1String(kParities[i]))
            return i;
    }
    return 0;
}

int StopBits_to_Index(const QString& text) {
    const QString upper = upperAscii(text);
    if (upper == QStringLiteral("1 BIT"))
        return 0;
    if (upper == QStringLiteral("2 BITS"))
        return 1;
    return 0;
}
