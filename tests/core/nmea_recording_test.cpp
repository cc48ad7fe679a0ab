// The log recorder: what a source receives goes to a file as it arrives, reads back to the same
// counts and values, and a failed write stops the recording without losing what was written.
#include "NmeaSamples.h"

#include "core/nmea/LogRecorder.h"
#include "core/nmea/NmeaMonitor.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/resource.h>
#endif

using NmeaSamples::framed;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What arrives from a stream in pieces and from datagrams, with the bad and the odd: a sentence
// split between pieces, datagrams without a line end, one ending inside a sentence, noise.
struct Arrival {
    bool message;
    QByteArray bytes;
};

const std::vector<Arrival>& arrivals() {
    static const std::vector<Arrival> list = {
        {false, framed("HEHDT,274.07,T") + "\r\n$GPGGA,0927"},
        {false, "50.00,5321.6802,N,00630.3372,W,1,08,1.03,61.7,M,55.2,M,,*"},
        {false, "7E\r\n" + framed("WIMWV,045.5,R,12.4,N,A") + "\r\n\x01\x02 noise\r\n"},
        {true, framed("WIMWV,030.0,T,10.1,N,A")},
        {true, framed("HEHDT,275.10,T") + "\r\n$HEHDT,27"},
        {true, "6.00,T*1E\r\n"},
        {false, framed("GPZDA,160012.71,11,03,2026,-1,00") + "\r\n$HEHDT,28"},
    };
    return list;
}

Nmea::RuleTable rules() {
    return NmeaSamples::table({
        {"HDT", "Heading, degrees True, Number [floating point]", "", "x 10"},
        {"GGA", "Latitude, Minutes [floating point]"},
        {"MWV", "wind angle [floating point]"},
    });
}

TEST(LogRecorder, ARecordingReadBackGivesTheSameCountsAndValues) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ship.nmea"));
    Nmea::LogRecorder recorder;
    ASSERT_TRUE(recorder.open(path)) << qPrintable(recorder.error());
    Nmea::Monitor heard(rules());
    qint64 expectedSize = 0;
    for (const Arrival& a : arrivals()) {
        if (a.message) {
            heard.feedMessage(a.bytes);
            EXPECT_TRUE(recorder.writeMessage(a.bytes));
            expectedSize += a.bytes.size() + (a.bytes.endsWith('\n') ? 0 : 2);
        } else {
            heard.feed(a.bytes);
            EXPECT_TRUE(recorder.write(a.bytes));
            expectedSize += a.bytes.size();
        }
        EXPECT_EQ(recorder.size(), expectedSize) << "the size grows as the bytes go to the file";
    }
    heard.cutOpenLine();
    recorder.close();
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_EQ(recorder.error(), QString());

    const QByteArray log = readAll(path);
    EXPECT_EQ(log.size(), expectedSize);
    EXPECT_TRUE(log.startsWith(arrivals()[0].bytes + arrivals()[1].bytes)) << "stream bytes as they came";
    EXPECT_TRUE(log.contains(framed("WIMWV,030.0,T,10.1,N,A") + "\r\n" + framed("HEHDT,275.10,T")))
        << "a datagram's end is a line end";

    // Read back in pieces that have nothing to do with how it arrived.
    Nmea::Monitor replayed(rules());
    for (qsizetype at = 0; at < log.size(); at += 7)
        replayed.feed(log.mid(at, 7));
    replayed.finish();
    EXPECT_EQ(replayed.counts(), heard.counts());
    EXPECT_EQ(replayed.unused(), heard.unused());
    ASSERT_EQ(replayed.rules().size(), heard.rules().size());
    for (size_t i = 0; i < heard.rules().size(); ++i) {
        EXPECT_EQ(replayed.rules()[i].hits, heard.rules()[i].hits) << i;
        EXPECT_EQ(replayed.rules()[i].last, heard.rules()[i].last) << i;
        EXPECT_EQ(replayed.rules()[i].value, heard.rules()[i].value) << i;
    }
    // The datagram's end ended "$HEHDT,27" as a sentence without checksum, in the log as while listening.
    EXPECT_EQ(heard.rules()[0].hits, 3);
    EXPECT_EQ(heard.rules()[0].last, u"27");
    EXPECT_EQ(heard.rules()[2].references, (QStringList{"R", "T"}));
}

TEST(LogRecorder, AFileThatCannotBeOpenedIsSaid) {
    QTemporaryDir dir;
    Nmea::LogRecorder recorder;
    EXPECT_FALSE(recorder.open(dir.path()));
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_FALSE(recorder.error().isEmpty());
    EXPECT_FALSE(recorder.write("$HEHDT,274.07,T*19\r\n"));
}

#ifdef Q_OS_LINUX
// A full device: the first write fails, the recording stops and says why.
TEST(LogRecorder, AFullDiskStopsTheRecordingWithItsReason) {
    Nmea::LogRecorder recorder;
    ASSERT_TRUE(recorder.open(QStringLiteral("/dev/full"))) << qPrintable(recorder.error());
    EXPECT_FALSE(recorder.write(framed("HEHDT,274.07,T") + "\r\n"));
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_EQ(recorder.size(), 0);
    EXPECT_TRUE(recorder.error().contains(u"space", Qt::CaseInsensitive)) << qPrintable(recorder.error());
    EXPECT_FALSE(recorder.write("more")) << "a stopped recording stays stopped";
}

// A file that cannot grow past a limit, as a disk that fills up in the middle of a recording:
// every byte written before the failure is kept, and the size says how many.
TEST(LogRecorder, KeepsWhatWasWrittenBeforeTheDiskFilled) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("full.nmea"));
    const QByteArray line = framed("HEHDT,274.07,T") + "\r\n";
    constexpr rlim_t Limit = 1010; // 50 lines and half of one

    struct rlimit before {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN); // the write fails instead of ending us
    struct rlimit limited = before;
    limited.rlim_cur = Limit;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);

    Nmea::LogRecorder recorder;
    const bool opened = recorder.open(path);
    int accepted = 0;
    while (opened && accepted < 1000 && recorder.write(line))
        ++accepted;
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);

    ASSERT_TRUE(opened) << qPrintable(recorder.error());
    EXPECT_EQ(accepted, static_cast<int>(Limit / line.size()));
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_FALSE(recorder.error().isEmpty());
    EXPECT_EQ(recorder.size(), static_cast<qint64>(Limit)) << "the part of the last chunk that fitted too";
    const QByteArray kept = readAll(path);
    EXPECT_EQ(kept.size(), recorder.size());
    EXPECT_TRUE(kept.startsWith(line.repeated(accepted)));
}
#endif

} // namespace
