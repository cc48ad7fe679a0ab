// The monitor on duty: three serial channels at 115200 baud, each through a pseudo-terminal into a
// serial source and a monitor, for a long time, as an engineer leaves it open during
// commissioning. Reports whether memory stays flat, whether every sentence sent was counted, and
// the share of a CPU the listening thread takes, against a floor measured in the same run: the same
// sources reading the same lines and dropping the bytes.
//
// Usage: tessellor_soak [--seconds N] (300 by default; the floor runs a fifth of it, at least 5 s).
// Linux only: the lines are pseudo-terminals, which ignore the baud rate, so writers pace
// themselves at what 115200 baud 8N1 carries, 11520 bytes a second, the line full.
#include "core/comm/SerialLine.h"
#include "core/language/MessageCatalog.h"
#include "core/nmea/AccessRules.h"
#include "core/nmea/NmeaCatalog.h"
#include "core/nmea/NmeaMonitor.h"
#include "platform/nmea/SerialNmeaSource.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include <pty.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr qint32 Baud = 115200;
constexpr double BytesPerSecond = Baud / 10.0; // 8N1: ten bits a byte
constexpr int RefreshMs = 250;                 // how often the monitor window redraws

QByteArray framed(const QByteArray& body) {
    quint8 sum = 0;
    for (const char c : body)
        sum ^= static_cast<quint8>(c);
    return '$' + body + '*' + QByteArray::number(sum, 16).rightJustified(2, '0').toUpper() + "\r\n";
}

QByteArray number(double value, int decimals) {
    return QByteArray::number(value, 'f', decimals);
}

// The i-th burst of each channel's instruments, values moving from burst to burst.
QByteArray gpsBurst(qint64 i) {
    const QByteArray time = QByteArray::number(100000 + i % 86400).right(6) + ".00";
    const QByteArray lat = "53" + number(20 + (i % 1000) / 1000.0, 4).rightJustified(7, '0');
    return framed("GPGGA," + time + "," + lat + ",N,00630.3372,W,1,08,1.03,61.7,M,55.2,M,,") +
           framed("GPRMC," + time + ",A," + lat + ",N,00630.3372,W,012.4," + number(i % 3600 / 10.0, 1) +
                  ",101226,002.3,W,A,V") +
           framed("GPVTG," + number(i % 3600 / 10.0, 1) + ",T,,M,012.4,N,023.0,K,A") +
           framed("GPGSV,2,1,07,03,03,111," + QByteArray::number(20 + i % 30) +
                  ",04,15,270,00,06,01,010,00,13,06,292,00,1") +
           framed("GPGSV,2,2,07,14,25,170,00,16,57,208,39,18,67,296,40,1") +
           framed("GLGSV,1,1,02,65,22,045,30,66,64,320,35,1") + framed("GPZDA," + time + ",11,12,2026,00,00");
}

QByteArray headingBurst(qint64 i) {
    const QByteArray heading = number(200 + (i % 1000) / 10.0, 1);
    return framed("HEHDT," + heading + ",T") + framed("HCHDG," + heading + ",0.0,E,2.3,W") +
           framed("TIROT," + number((i % 200 - 100) / 10.0, 1) + ",A") + framed("HETHS," + heading + ",A") +
           framed("WIMWV," + number(i % 360, 1) + "," + (i % 2 ? "R" : "T") + ",12.4,N,A") +
           framed("VWVHW," + heading + ",T,,M,12.3,N,22.8,K");
}

QByteArray environmentBurst(qint64 i) {
    const QByteArray depth = number(10 + (i % 500) / 10.0, 1);
    return framed("SDDBT,," + QByteArrayLiteral("f,") + depth + ",M,,F") +
           framed("SDDPT," + depth + ",-0.5,100.0") +
           framed("YXMTW," + number(15 + (i % 50) / 10.0, 1) + ",C") +
           framed("IIXDR,C," + number(19 + (i % 30) / 10.0, 1) + ",C,AIRTEMP,P,1.0212,B,BARO") +
           framed("WIMWD,215.0,T,213.2,M,7.3,N,3.8,M") +
           framed("WIMDA,30.1,I,1.0193,B,18.4,C,,C,62.0,,10.9,C,215.0,T,213.2,M,7.3,N,3.8,M");
}

struct ChannelPlan {
    const char* name;
    QByteArray (*burst)(qint64);
    std::vector<const char*> sentences; // the sentences its rules read
};

const ChannelPlan kPlans[] = {
    {"RS232", gpsBurst, {"GGA", "RMC", "VTG", "GSV", "ZDA"}},
    {"RS485 / RS422", headingBurst, {"HDT", "HDG", "ROT", "THS", "MWV", "VHW"}},
    {"RS485 2", environmentBurst, {"DBT", "DPT", "MTW", "XDR", "MWD", "MDA"}},
};

// A hundred rules spread over the channels, field after field of each channel's sentences.
Nmea::RuleTable rules() {
    Nmea::RuleTable table{};
    for (int row = 0; row < Nmea::RuleRows; ++row) {
        const ChannelPlan& plan = kPlans[row % 3];
        const int turn = row / 3;
        const QString sentence =
            QString::fromLatin1(plan.sentences[static_cast<size_t>(turn) % plan.sentences.size()]);
        const int index = Nmea::Find_Sentence(sentence);
        const int field = static_cast<int>(turn / plan.sentences.size()) % Nmea::fieldCount(index);
        Nmea::AccessRule& rule = table[row];
        rule.Enable = true;
        rule.Serial_Channel = QString::fromLatin1(plan.name);
        rule.Sentence = sentence;
        rule.DataField = Nmea::fieldText(index, field);
        rule.Index = QString::number(1 + turn % 4);
        rule.PortOperation = row % 3 ? QStringLiteral("None") : QStringLiteral("x 100");
    }
    return table;
}

// Writes a channel's bursts into the master side of its pseudo-terminal at the line's pace.
class Writer {
public:
    Writer(int master, QByteArray (*burst)(qint64)) : m_master(master), m_burst(burst) {}
    ~Writer() { stop(); }

    void start() {
        m_stop = false;
        m_thread = std::thread([this] { run(); });
    }
    void stop() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    qint64 sentences() const { return m_sentences; }
    qint64 bytes() const { return m_bytes; }

private:
    void run() {
        const auto start = std::chrono::steady_clock::now();
        qint64 burst = 0;
        QByteArray pending;
        while (!m_stop) {
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            const qint64 allowed = static_cast<qint64>(seconds * BytesPerSecond);
            while (!m_stop && m_bytes < allowed) {
                if (pending.isEmpty())
                    pending = m_burst(burst++);
                // A sentence at a time, so that the count is of sentences written whole.
                const qsizetype end = pending.indexOf('\n') + 1;
                const ssize_t written = ::write(m_master, pending.constData(), static_cast<size_t>(end));
                if (written != end)
                    return;
                m_bytes += end;
                ++m_sentences;
                pending.remove(0, end);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    int m_master;
    QByteArray (*m_burst)(qint64);
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<qint64> m_sentences{0};
    std::atomic<qint64> m_bytes{0};
};

struct Line {
    int master = -1;
    int slave = -1;
    QString device;
};

double threadCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

void runFor(qint64 ms) {
    QEventLoop loop;
    QTimer::singleShot(std::chrono::milliseconds(ms), &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until done() holds or limitMs pass; whether it held.
template <typename Done> bool runUntil(Done done, qint64 limitMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < limitMs)
        runFor(20);
    return done();
}

struct PhaseResult {
    double wallSeconds = 0;
    double cpuSeconds = 0;
    long rssStartKb = 0; // after the warm-up
    long rssEndKb = 0;
    long rssMaxKb = 0;
    std::vector<qint64> sent;
    std::vector<qint64> counted; // sentences the monitor counted; bytes read for the floor
    std::vector<qint64> sentBytes;
    std::vector<qint64> badLines;
    bool ok = true;
};

// One phase: the three lines read by serial sources for ms; withMonitors feeds each channel's
// monitor and refreshes as the window does, otherwise the bytes are dropped.
PhaseResult runPhase(std::vector<Line>& lines, qint64 ms, bool withMonitors) {
    PhaseResult result;
    const Nmea::RuleTable table = rules();
    const MessageCatalog texts;
    std::vector<std::unique_ptr<Nmea::Monitor>> monitors;
    std::vector<std::unique_ptr<Platform::SerialNmeaSource>> sources;
    std::vector<std::unique_ptr<Writer>> writers;
    std::vector<qint64> bytesRead(lines.size(), 0);
    QElapsedTimer clock;
    clock.start();
    int started = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        monitors.push_back(std::make_unique<Nmea::Monitor>(table, QString::fromLatin1(kPlans[i].name)));
        sources.push_back(std::make_unique<Platform::SerialNmeaSource>(lines[i].device, SerialLine{Baud}));
        Platform::SerialNmeaSource* source = sources.back().get();
        Nmea::Monitor* monitor = monitors.back().get();
        QObject::connect(source, &Platform::NmeaSource::started, [&started] { ++started; });
        QObject::connect(source, &Platform::NmeaSource::failed, [&result](const QString& reason) {
            std::fprintf(stderr, "source failed: %s\n", qPrintable(reason));
            result.ok = false;
        });
        QObject::connect(source, &Platform::NmeaSource::bytesReceived,
                         [&, i, monitor, withMonitors](const QByteArray& bytes) {
                             bytesRead[i] += bytes.size();
                             if (withMonitors)
                                 monitor->feed(bytes, clock.elapsed());
                         });
        source->start();
    }
    if (!runUntil([&] { return started == int(lines.size()) || !result.ok; }, 10000)) {
        result.ok = false;
        return result;
    }
    if (!result.ok)
        return result;

    // What the window does on each redraw: the findings, the rates of both address lists, the
    // last lines.
    QTimer refresh;
    QObject::connect(&refresh, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        for (const auto& monitor : monitors) {
            const QList<Nmea::MonitorFinding> findings = monitor->findings(now, texts);
            double rates = 0;
            for (const QMap<QString, qint64>& list : {monitor->used(), monitor->unused()}) {
                for (auto it = list.cbegin(); it != list.cend(); ++it)
                    rates += monitor->rate(it.key(), now);
            }
            const QList<Nmea::RecentLine> recent = monitor->recentLines();
            Q_UNUSED(findings);
            Q_UNUSED(rates);
            Q_UNUSED(recent);
        }
    });
    if (withMonitors)
        refresh.start(RefreshMs);

    for (size_t i = 0; i < lines.size(); ++i) {
        writers.push_back(std::make_unique<Writer>(lines[i].master, kPlans[i].burst));
        writers.back()->start();
    }
    const double cpuStart = threadCpuSeconds();
    const qint64 wallStart = clock.elapsed();
    const qint64 warmUp = std::min<qint64>(10000, ms / 10);
    runFor(warmUp);
    result.rssStartKb = residentKb();
    result.rssMaxKb = result.rssStartKb;
    while (clock.elapsed() - wallStart < ms) {
        runFor(std::min<qint64>(1000, ms - (clock.elapsed() - wallStart)));
        result.rssMaxKb = std::max(result.rssMaxKb, residentKb());
    }
    for (const auto& writer : writers)
        writer->stop();
    // What is still on its way is read before the count.
    runUntil(
        [&] {
            for (size_t i = 0; i < lines.size(); ++i) {
                if (bytesRead[i] < writers[i]->bytes())
                    return false;
            }
            return true;
        },
        10000);
    result.cpuSeconds = threadCpuSeconds() - cpuStart;
    result.wallSeconds = double(clock.elapsed() - wallStart) / 1000.0;
    result.rssEndKb = residentKb();
    for (size_t i = 0; i < lines.size(); ++i) {
        result.sent.push_back(writers[i]->sentences());
        result.sentBytes.push_back(writers[i]->bytes());
        result.counted.push_back(withMonitors ? monitors[i]->counts().sentences : bytesRead[i]);
        result.badLines.push_back(
            withMonitors ? monitors[i]->counts().badLines + monitors[i]->counts().checksumErrors : 0);
    }
    for (const auto& source : sources)
        source->stop();
    runFor(100);
    return result;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    qint64 seconds = 300;
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == u"--seconds" && i + 1 < arguments.size()) {
            seconds = arguments[++i].toLongLong();
        } else {
            std::fprintf(stderr, "Usage: tessellor_soak [--seconds N]\n");
            return 2;
        }
    }
    if (seconds <= 0) {
        std::fprintf(stderr, "tessellor_soak: --seconds needs a number above 0\n");
        return 2;
    }

    std::vector<Line> lines(3);
    for (Line& line : lines) {
        char device[128] = {};
        if (openpty(&line.master, &line.slave, device, nullptr, nullptr) != 0) {
            std::perror("openpty");
            return 1;
        }
        line.device = QString::fromLocal8Bit(device);
    }

    const qint64 floorSeconds = std::max<qint64>(5, seconds / 5);
    std::fprintf(stderr, "floor: %lld s, sources alone...\n", static_cast<long long>(floorSeconds));
    const PhaseResult floor = runPhase(lines, floorSeconds * 1000, false);
    std::fprintf(stderr, "soak: %lld s, sources into monitors...\n", static_cast<long long>(seconds));
    const PhaseResult soak = runPhase(lines, seconds * 1000, true);
    if (!floor.ok || !soak.ok)
        return 1;

    const double soakShare = soak.cpuSeconds / soak.wallSeconds * 100;
    const double floorShare = floor.cpuSeconds / floor.wallSeconds * 100;
    std::printf(
        "Three channels at %d baud through pseudo-terminals, %lld s (floor: the same sources dropping "
        "the bytes, %lld s)\n\n",
        Baud, static_cast<long long>(seconds), static_cast<long long>(floorSeconds));
    std::printf("| Figure | Measured | Floor | Ratio |\n|---|---:|---:|---:|\n");
    std::printf("| CPU share of the listening thread | %.2f %% | %.2f %% | %.2f× |\n", soakShare, floorShare,
                floorShare > 0 ? soakShare / floorShare : 0);
    std::printf("| Resident memory after warm-up | %.1f MB | %.1f MB | %.2f× |\n", soak.rssStartKb / 1024.0,
                floor.rssStartKb / 1024.0,
                floor.rssStartKb > 0 ? double(soak.rssStartKb) / floor.rssStartKb : 0);
    std::printf("| Resident memory at the end | %.1f MB | %.1f MB | %.2f× |\n", soak.rssEndKb / 1024.0,
                floor.rssEndKb / 1024.0, floor.rssEndKb > 0 ? double(soak.rssEndKb) / floor.rssEndKb : 0);
    std::printf("\nMemory from warm-up to the end: %+ld kB (largest %.1f MB)\n",
                soak.rssEndKb - soak.rssStartKb, soak.rssMaxKb / 1024.0);
    bool lost = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const double rate = double(soak.sentBytes[i]) / soak.wallSeconds;
        std::printf("%-14s sent %lld sentences (%.0f bytes/s, line %.0f), counted %lld, bad lines %lld%s\n",
                    kPlans[i].name, static_cast<long long>(soak.sent[i]), rate, BytesPerSecond,
                    static_cast<long long>(soak.counted[i]), static_cast<long long>(soak.badLines[i]),
                    soak.sent[i] == soak.counted[i] && soak.badLines[i] == 0 ? "" : "  LOST");
        lost |= soak.sent[i] != soak.counted[i] || soak.badLines[i] != 0;
    }
    std::printf("No sentence lost: %s\n", lost ? "no" : "yes");
    for (Line& line : lines) {
        ::close(line.master);
        ::close(line.slave);
    }
    return lost ? 1 : 0;
}
