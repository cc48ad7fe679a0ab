// The monitor's sources against real components: a pseudo-terminal pair for the serial port,
// sockets on 127.0.0.1 and files.
#include "NmeaSamples.h"

#include "core/comm/SerialLine.h"
#include "core/nmea/NmeaMonitor.h"
#include "platform/nmea/LogReplaySource.h"
#include "platform/nmea/NetworkNmeaSources.h"
#include "platform/nmea/SerialNmeaSource.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkDatagram>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QUdpSocket>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <thread>

namespace {

// What a source reported, fed through a monitor as the window does.
struct Listener {
    explicit Listener(Platform::NmeaSource& source)
        : monitor(NmeaSamples::table({{"HDT", "Heading, degrees True, Number [floating point]"}})) {
        QObject::connect(&source, &Platform::NmeaSource::started, [this] { ++starts; });
        QObject::connect(&source, &Platform::NmeaSource::bytesReceived, [this](const QByteArray& b) {
            bytes += b;
            monitor.feed(b);
        });
        QObject::connect(&source, &Platform::NmeaSource::messageReceived, [this](const QByteArray& b) {
            bytes += b;
            monitor.feedMessage(b);
        });
        QObject::connect(&source, &Platform::NmeaSource::failed,
                         [this](const QString& r, Platform::NmeaSourceFailure why) {
                             failures << why;
                             reasons << r;
                         });
        QObject::connect(&source, &Platform::NmeaSource::finished, [this] { ++finishes; });
        QObject::connect(&source, &Platform::NmeaSource::progress, [this](qint64 done, qint64 total) {
            lastDone = done;
            lastTotal = total;
        });
    }
    qint64 hits() const { return monitor.rules()[0].hits; }

    Nmea::Monitor monitor;
    int starts = 0;
    int finishes = 0;
    QByteArray bytes;
    QList<Platform::NmeaSourceFailure> failures;
    QStringList reasons;
    qint64 lastDone = -1;
    qint64 lastTotal = -1;
};

class NmeaSources : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "nmea_sources_test";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
    }

    // Runs the event loop until holds() or five seconds pass.
    static bool waitFor(const std::function<bool()>& holds) {
        QElapsedTimer clock;
        clock.start();
        while (!holds() && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return holds();
    }
};

const QByteArray kHeading = "$HEHDT,274.07,T*19\r\n";

TEST_F(NmeaSources, SerialPortReadsAPseudoTerminalWithTheChannelSettings) {
    ParGenSet set;
    set.RS485_2.BaudIndex = 3;   // 9600
    set.RS485_2.ParityIndex = 2; // EVEN
    set.RS485_2.StopBitsIndex = 1;
    const std::optional<SerialLine> line = serialLineOf(set, QStringLiteral("RS485 2"));
    ASSERT_EQ(line, (SerialLine{9600, SerialLine::Parity::Even, 2, 8}));
    EXPECT_EQ(serialLineOf(set, QStringLiteral("RS232")), (SerialLine{4800, SerialLine::Parity::None, 1, 8}));
    EXPECT_EQ(serialLineOf(set, QStringLiteral("RS422")), std::nullopt);

    int master = -1;
    int slave = -1;
    char path[128] = {};
    ASSERT_EQ(openpty(&master, &slave, path, nullptr, nullptr), 0);
    Platform::SerialNmeaSource source(QString::fromLocal8Bit(path), *line);
    Listener listener(source);
    source.start();
    ASSERT_TRUE(waitFor([&] { return listener.starts == 1 || !listener.reasons.isEmpty(); }));
    ASSERT_TRUE(listener.reasons.isEmpty()) << qPrintable(listener.reasons.join(u'\n'));
    EXPECT_TRUE(source.isRunning());

    termios settings{};
    ASSERT_EQ(tcgetattr(slave, &settings), 0);
    EXPECT_EQ(cfgetispeed(&settings), speed_t(B9600));
    EXPECT_EQ(settings.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_TRUE(settings.c_cflag & CSTOPB);
    // A pseudo-terminal keeps no parity (Linux clears PARENB on it), so parity is not looked at here.

    // A sentence split across writes, as a slow line delivers it.
    const QByteArray stream = kHeading + kHeading + "$HEHDT,27";
    ASSERT_EQ(write(master, stream.constData(), size_t(stream.size())), stream.size());
    ASSERT_TRUE(waitFor([&] { return listener.bytes.size() == stream.size(); }));
    ASSERT_EQ(write(master, "5.10,T*1E\r\n", 11), 11);
    ASSERT_TRUE(waitFor([&] { return listener.hits() == 3; }));
    EXPECT_EQ(listener.monitor.rules()[0].last, u"275.10");
    EXPECT_EQ(listener.monitor.counts().checksumErrors, 0);

    // The port is taken while the first source holds it.
    Platform::SerialNmeaSource second(QString::fromLocal8Bit(path), *line);
    Listener busy(second);
    second.start();
    ASSERT_TRUE(waitFor([&] { return busy.starts == 1 || !busy.reasons.isEmpty(); }));
    EXPECT_EQ(busy.starts, 0);
    ASSERT_EQ(busy.reasons.size(), 1);
    EXPECT_TRUE(busy.reasons[0].contains(u"lock")) << qPrintable(busy.reasons[0]);

    source.stop();
    EXPECT_FALSE(source.isRunning());
    close(master);
    close(slave);
}

TEST_F(NmeaSources, SerialPortThatCannotOpenGivesTheSystemsReason) {
    Platform::SerialNmeaSource source(QStringLiteral("/dev/tessellor-no-such-port"), SerialLine{});
    Listener listener(source);
    source.start();
    EXPECT_TRUE(listener.reasons.isEmpty()) << "reported from the event loop, not from start()";
    ASSERT_TRUE(waitFor([&] { return !listener.reasons.isEmpty(); }));
    EXPECT_TRUE(listener.reasons[0].contains(u"No such file or directory"))
        << qPrintable(listener.reasons[0]);
    EXPECT_EQ(listener.starts, 0);
    EXPECT_FALSE(source.isRunning());
}

TEST_F(NmeaSources, UdpReceivesDatagramsOnLoopback) {
    Platform::UdpNmeaSource source(0, QHostAddress::LocalHost);
    Listener listener(source);
    source.start();
    ASSERT_TRUE(waitFor([&] { return listener.starts == 1 || !listener.reasons.isEmpty(); }));
    ASSERT_TRUE(listener.reasons.isEmpty()) << qPrintable(listener.reasons.join(u'\n'));
    const quint16 port = source.boundPort();
    ASSERT_NE(port, 0);

    // One sentence a datagram, without a line end, as many senders send them; a sentence split
    // across two datagrams is two bad lines, never one sentence.
    QUdpSocket sender;
    for (const QByteArray datagram : {"$HEHDT,274.07,T*19", "$HEHDT,275.10,T*1E", "$HEHDT,276.00,T*", "1D"})
        sender.writeDatagram(datagram, QHostAddress::LocalHost, port);
    ASSERT_TRUE(waitFor([&] { return listener.monitor.counts().lines == 4; }));
    EXPECT_EQ(listener.hits(), 2);
    EXPECT_EQ(listener.monitor.rules()[0].last, u"275.10");
    EXPECT_EQ(listener.monitor.counts().badLines, 2);

    EXPECT_EQ(Platform::UdpNmeaSource::DefaultPort, 10110);
}

// A chart plotter already listening on the port, with address reuse as many programs bind: the
// monitor must not take its unicast datagrams, so it does not start.
TEST_F(NmeaSources, UdpLeavesAPortAnotherProgramListensOn) {
    for (const QAbstractSocket::BindMode mode :
         {QAbstractSocket::BindMode(QAbstractSocket::DontShareAddress),
          QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint}) {
        SCOPED_TRACE(int(mode));
        QUdpSocket plotter;
        ASSERT_TRUE(plotter.bind(QHostAddress::LocalHost, 0, mode));
        Platform::UdpNmeaSource source(plotter.localPort(), QHostAddress::LocalHost);
        Listener listener(source);
        source.start();
        ASSERT_TRUE(waitFor([&] { return listener.starts == 1 || !listener.failures.isEmpty(); }));
        EXPECT_EQ(listener.starts, 0);
        EXPECT_EQ(listener.failures, QList{Platform::NmeaSourceFailure::PortInUse});
        EXPECT_TRUE(listener.reasons.value(0).contains(u"in use")) << qPrintable(listener.reasons.value(0));

        QUdpSocket sender;
        sender.writeDatagram(kHeading, QHostAddress::LocalHost, plotter.localPort());
        ASSERT_TRUE(waitFor([&] { return plotter.hasPendingDatagrams(); }));
        EXPECT_EQ(plotter.receiveDatagram().data(), kHeading);
    }
}

TEST_F(NmeaSources, TcpClientReadsAStreamAndReportsItsEnd) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    Platform::TcpNmeaSource source(QStringLiteral("127.0.0.1"), server.serverPort());
    Listener listener(source);
    source.start();
    ASSERT_TRUE(waitFor([&] { return listener.starts == 1 && server.hasPendingConnections(); }));
    QTcpSocket* peer = server.nextPendingConnection();
    peer->write(kHeading + kHeading + "$HEHDT,275.10,T*1E\r\n");
    ASSERT_TRUE(waitFor([&] { return listener.hits() == 3; }));
    peer->close();
    ASSERT_TRUE(waitFor([&] { return !listener.reasons.isEmpty(); }));
    EXPECT_TRUE(listener.reasons[0].contains(u"closed")) << qPrintable(listener.reasons[0]);
    EXPECT_FALSE(source.isRunning());
}

TEST_F(NmeaSources, TcpConnectionRefused) {
    quint16 port = 0;
    {
        QTcpServer closed;
        ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
        port = closed.serverPort();
    }
    Platform::TcpNmeaSource source(QStringLiteral("127.0.0.1"), port);
    Listener listener(source);
    source.start();
    ASSERT_TRUE(waitFor([&] { return !listener.reasons.isEmpty(); }));
    EXPECT_TRUE(listener.reasons[0].contains(u"refused")) << qPrintable(listener.reasons[0]);
    EXPECT_EQ(listener.starts, 0);
}

TEST_F(NmeaSources, LogReplayDeliversTheWholeFileWithProgress) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("ship.nmea"));
    QByteArray log;
    while (log.size() < 3 * Platform::LogReplaySource::ChunkBytes + 100)
        log += kHeading;
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(log);
    }
    Platform::LogReplaySource source(path);
    Listener listener(source);
    source.start();
    ASSERT_TRUE(waitFor([&] { return listener.finishes == 1; }));
    EXPECT_EQ(listener.starts, 1);
    EXPECT_EQ(listener.bytes, log);
    EXPECT_EQ(listener.lastDone, log.size());
    EXPECT_EQ(listener.lastTotal, log.size());
    EXPECT_EQ(listener.hits(), log.size() / kHeading.size());
    EXPECT_FALSE(source.isRunning());

    // A log cut shorter while it is read is not taken as read to its end.
    Platform::LogReplaySource shrinking(path);
    Listener cut(shrinking);
    QObject::connect(&shrinking, &Platform::NmeaSource::progress, [&path](qint64 done, qint64) {
        if (done == Platform::LogReplaySource::ChunkBytes)
            QFile::resize(path, done / 2);
    });
    shrinking.start();
    ASSERT_TRUE(waitFor([&] { return cut.finishes == 1 || !cut.failures.isEmpty(); }));
    EXPECT_EQ(cut.finishes, 0);
    EXPECT_EQ(cut.failures, QList{Platform::NmeaSourceFailure::LogShrank});

    Platform::LogReplaySource missing(folder.filePath(QStringLiteral("none.nmea")));
    Listener failed(missing);
    missing.start();
    ASSERT_TRUE(waitFor([&] { return !failed.reasons.isEmpty(); }));
    EXPECT_TRUE(failed.reasons[0].contains(u"No such file")) << qPrintable(failed.reasons[0]);
    EXPECT_EQ(failed.failures, QList{Platform::NmeaSourceFailure::System});
}

// A FIFO or a device typed as the log would hold the program in open() or read(): it is refused
// at once, without waiting for a writer.
TEST_F(NmeaSources, LogReplayTakesRegularFilesOnly) {
    QTemporaryDir folder;
    const QByteArray fifo = QFile::encodeName(folder.filePath(QStringLiteral("plotter.fifo")));
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    // Should start() wait in open() for a writer, one comes after a second, so the test ends.
    std::atomic<bool> done{false};
    std::thread writer([&done, &fifo] {
        QThread::msleep(1000);
        while (!done) {
            const int fd = open(fifo.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                close(fd);
                return;
            }
            QThread::msleep(20);
        }
    });

    for (const QString& path : {QFile::decodeName(fifo), QStringLiteral("/dev/null")}) {
        SCOPED_TRACE(qPrintable(path));
        Platform::LogReplaySource source(path);
        Listener listener(source);
        QElapsedTimer clock;
        clock.start();
        source.start();
        EXPECT_LT(clock.elapsed(), 500) << "start() waited";
        ASSERT_TRUE(waitFor([&] { return listener.finishes == 1 || !listener.failures.isEmpty(); }));
        EXPECT_EQ(listener.finishes, 0);
        EXPECT_EQ(listener.failures, QList{Platform::NmeaSourceFailure::NotRegularFile});
        EXPECT_FALSE(source.isRunning());
    }
    done = true;
    writer.join();
}

} // namespace
