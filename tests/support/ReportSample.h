#pragma once

#include "core/comm/ParGen.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <gtest/gtest.h>

// Configurations for the commissioning report's tests, written as the editors write them.
namespace ReportSample {

struct Row {
    const char* channel;
    const char* sentence;
    const char* field;
    int position;
    const char* mnemonic = "";
    const char* index = "";
    const char* postOperation = "None";
    const char* swapAll = "N";
    const char* swap16 = "N";
};

inline QByteArray row(const Row& r) {
    return QStringLiteral(
               "<row Enable=\"Y\" Serial_Channel=\"%1\" Sentence=\"%2\" Index=\"%3\" DataField=\"%4\" "
               "PortOperation=\"%5\" SwapAll=\"%6\" Swap16=\"%7\" Position=\"%8\" Mnemonic=\"%9\"/>")
        .arg(QLatin1String(r.channel), QLatin1String(r.sentence), QLatin1String(r.index),
             QString::fromUtf8(r.field), QLatin1String(r.postOperation), QLatin1String(r.swapAll),
             QLatin1String(r.swap16), QString::number(r.position), QString::fromUtf8(r.mnemonic))
        .toUtf8();
}

inline QByteArray rules(const QByteArray& rows) {
    return "<NMEA_0183><NMEA_Listener>" + rows + "</NMEA_Listener></NMEA_0183>";
}

const char* const kHeading = "Heading, degrees True, Number [floating point]"; // 4 bytes
const char* const kSatellites = "Number of satellites in use [decimal]";       // 1 byte
const char* const kProbe = "Measurement data [floating point]";                // XDR, 4 bytes, indexed
const char* const kProbeName = "Transducer ID [character string] (20 characters)";

// A configuration folder with its bin folder, as a new configuration has it.
inline void write(const QString& folder, const ParGenSet& parameters, const QByteArray& rulesDocument) {
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/bin")));
    ASSERT_TRUE(ParGen::save(folder + QStringLiteral("/ParGen.xml"), parameters));
    QFile file(folder + QStringLiteral("/NMEA_0183_Set_Access.xml"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(rulesDocument);
}

// count XDR rules four bytes apart from byte 0, named Probe_1 up: Index 1 to 10 on each channel in
// turn, then the next field, so that the first 90 read different values.
inline QByteArray probes(int count) {
    static const char* const channels[] = {"RS232", "RS485 / RS422", "RS485 2"};
    static const char* const fields[] = {kProbe, "Transducer type [character]",
                                         "Units of measure [character]"};
    QByteArray rows;
    for (int k = 0; k < count; ++k) {
        const QByteArray index = QByteArray::number(k % 10 + 1);
        const QByteArray mnemonic = "Probe_" + QByteArray::number(k + 1);
        rows += row({channels[k / 10 % 3], "XDR", fields[k / 30 % 3], 4 * k, mnemonic.constData(),
                     index.constData(), k % 2 ? "None" : "x 10"});
    }
    return rows;
}

} // namespace ReportSample
