// The serial source on a Windows COM port. scripts/windows.sh points Wine's COM5 at one end of a
// pseudo-terminal pair and writes sentences into the other end while this runs.
#include "core/comm/SerialLine.h"
#include "platform/nmea/SerialNmeaSource.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <gtest/gtest.h>

namespace {

using Platform::SerialNmeaSource;

QString portUnderTest() {
    const QString port = qEnvironmentVariable("TESSELLOR_COM_PORT");
    return port.isEmpty() ? QStringLiteral("COM5") : port;
}

TEST(WindowsSerialSource, ReadsWhatTheFarEndWritesAndStopsCleanly) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    SerialNmeaSource source(portUnderTest(), SerialLine{});
    QByteArray received;
    QString failure;
    bool started = false;
    QObject::connect(&source, &Platform::NmeaSource::started, [&] { started = true; });
    QObject::connect(&source, &Platform::NmeaSource::bytesReceived,
                     [&](const QByteArray& bytes) { received += bytes; });
    QObject::connect(&source, &Platform::NmeaSource::failed,
                     [&](const QString& reason) { failure = reason; });
    source.start();
    QElapsedTimer clock;
    clock.start();
    while (failure.isEmpty() && !received.contains("$HEHDT,274.07,T*") && clock.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_TRUE(failure.isEmpty()) << failure.toStdString();
    EXPECT_TRUE(started);
    EXPECT_TRUE(source.isRunning());
    EXPECT_TRUE(received.contains("$HEHDT,274.07,T*")) << received.toStdString();
    EXPECT_EQ(source.description(), portUnderTest() + QStringLiteral(", 4800 8N1"));
    source.stop();
    EXPECT_FALSE(source.isRunning());
}

TEST(WindowsSerialSource, APortThatDoesNotExistFailsWithTheSystemsReason) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    SerialNmeaSource source(QStringLiteral("COM97"), SerialLine{});
    QString failure;
    QObject::connect(&source, &Platform::NmeaSource::failed,
                     [&](const QString& reason) { failure = reason; });
    source.start();
    QElapsedTimer clock;
    clock.start();
    while (failure.isEmpty() && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_FALSE(failure.isEmpty());
    EXPECT_FALSE(source.isRunning());
}

} // namespace
