#include "NmeaReplay.h"

#include "core/nmea/NmeaCatalog.h"
#include "core/nmea/NmeaMonitor.h"
#include "platform/nmea/LogReplaySource.h"

#include <QEventLoop>
#include <QFile>

#include <chrono>

long peakResidentKb(); // FrameClock.cpp

namespace NmeaReplay {

namespace {

using Clock = std::chrono::steady_clock;

QByteArray framed(const QByteArray& body) {
    quint8 sum = 0;
    for (const char c : body)
        sum ^= static_cast<quint8>(c);
    return '$' + body + '*' + QByteArray::number(sum, 16).rightJustified(2, '0').toUpper() + "\r\n";
}

// Starts a fresh peak: Linux resets VmHWM to the present size on "5" in clear_refs.
void resetPeak() {
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

// A hundred rules over the sentences of the log, every channel.
Nmea::RuleTable hundredRules() {
    const char* const sentences[] = {"GGA", "RMC", "HDT", "MWV", "GSV", "XDR", "VTG", "DBT", "ZDA", "MTW"};
    Nmea::RuleTable table{};
    for (int row = 0; row < Nmea::RuleRows; ++row) {
        const QString sentence = QString::fromLatin1(sentences[row % 10]);
        const int index = Nmea::Find_Sentence(sentence);
        const int field = (row / 10) % Nmea::fieldCount(index);
        Nmea::AccessRule& rule = table[row];
        rule.Serial_Channel = QStringLiteral("RS232");
        rule.Sentence = sentence;
        rule.DataField = Nmea::fieldText(index, field);
        rule.Index = QString::number(1 + row % 4);
        rule.PortOperation = row % 3 ? QStringLiteral("None") : QStringLiteral("x 100");
    }
    return table;
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

long long hitsOf(const Nmea::Monitor& monitor) {
    long long hits = 0;
    for (const Nmea::RuleFeed& rule : monitor.rules())
        hits += rule.hits;
    return hits;
}

} // namespace

bool writeLog(const QString& path, int megabytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const qint64 target = qint64(megabytes) * 1024 * 1024;
    QByteArray block;
    for (int i = 0; file.size() + block.size() < target; ++i) {
        const QByteArray s = QByteArray::number(i % 60).rightJustified(2, '0');
        const QByteArray heading = QByteArray::number(200 + (i % 1000) / 10.0, 'f', 1);
        block += framed("GPGGA,0927" + s + ".00,5321." + QByteArray::number(6800 + i % 100) +
                        ",N,00630.3372,W,1,08,1.03,61.7,M,55.2,M,,");
        block += framed("GPRMC,0927" + s + ".00,A,5321.6802,N,00630.3372,W,012.4," + heading +
                        ",101226,002.3,W,A,V");
        block += framed("HEHDT," + heading + ",T");
        block += framed("WIMWV," + QByteArray::number(i % 360) + ".0,R,12.4,N,A");
        block += framed("GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292," +
                        QByteArray::number(i % 50) + ",1");
        block += framed("GPGSV,3,2,11,14,25,170,00,16,57,208,39,18,67,296,40,19,40,246,00,1");
        block += framed("GPGSV,3,3,11,22,42,067,42,24,14,311,43,27,05,244,00,1");
        block += framed("IIXDR,C,19." + QByteArray::number(i % 10) + ",C,AIRTEMP,P,1.0212,B,BARO");
        block += framed("GPVTG," + heading + ",T,,M,012.4,N,023.0,K,A");
        block += framed("SDDBT,36.2,f,11.03,M,6.03,F");
        block += framed("GPZDA,0927" + s + ".00,10,12,2026,,");
        block += framed("AIALR,092750.00,001,A,V,Bilge alarm"); // an address no rule uses
        if (i % 100 == 0)
            block += "$GPGGA,0927*00\r\n\x01\x02garbage\r\n"; // a checksum failure and a bad line
        if (block.size() > (1 << 20)) {
            if (file.write(block) != block.size())
                return false;
            block.clear();
        }
    }
    return file.write(block) == block.size();
}

Run replay(const QString& path) {
    Run run;
    Nmea::Monitor monitor(hundredRules(), QStringLiteral("RS232"));
    monitor.setHistory(0);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return run;
    resetPeak();
    const Clock::time_point start = Clock::now();
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    for (qint64 read; (read = file.read(chunk.data(), chunk.size())) > 0;)
        monitor.feed(QByteArrayView(chunk.constData(), read));
    monitor.finish();
    run.ms = msSince(start);
    run.peakKb = peakResidentKb();
    run.hits = hitsOf(monitor);
    return run;
}

Run replayThroughSource(const QString& path) {
    Run run;
    Nmea::Monitor monitor(hundredRules(), QStringLiteral("RS232"));
    Platform::LogReplaySource source(path);
    QEventLoop loop;
    QObject::connect(&source, &Platform::NmeaSource::bytesReceived,
                     [&monitor](const QByteArray& bytes) { monitor.feed(bytes); });
    QObject::connect(&source, &Platform::NmeaSource::finished, &loop, &QEventLoop::quit);
    QObject::connect(&source, &Platform::NmeaSource::failed, &loop, &QEventLoop::quit);
    resetPeak();
    const Clock::time_point start = Clock::now();
    source.start();
    loop.exec();
    monitor.finish();
    run.ms = msSince(start);
    run.peakKb = peakResidentKb();
    run.hits = hitsOf(monitor);
    return run;
}

Run readLines(const QString& path) {
    Run run;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return run;
    resetPeak();
    const Clock::time_point start = Clock::now();
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        ++run.hits;
    }
    run.ms = msSince(start);
    run.peakKb = peakResidentKb();
    return run;
}

} // namespace NmeaReplay
