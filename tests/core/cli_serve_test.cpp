// tessellor-cli serve, run as the built program: the virtual converter on 127.0.0.3 fed by a log
// at a chosen pace, looped, with the tests' own scanner reading its Output array.
#include "CliRun.h"
#include "EnipScanner.h"

#include "core/comm/ParGen.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

using namespace EnipTest;

constexpr int OutputSize = 24;
constexpr int InputSize = 10;

class ServeTest : public CliFolderTest {
protected:
    void SetUp() override {
        CliFolderTest::SetUp();
        ASSERT_TRUE(QDir().mkpath(path("Ship")));
        ParGenSet set;
        set.EtherNetIP_NB_Output = QString::number(OutputSize);
        set.EtherNetIP_NB_Input = QString::number(InputSize);
        ASSERT_TRUE(ParGen::save(path("Ship/ParGen.xml"), set));
        QFile log(path("watch.nmea"));
        ASSERT_TRUE(log.open(QIODevice::WriteOnly));
        for (int i = 0; i < 5; ++i)
            log.write("$HEHDT,12" + QByteArray::number(i) + ".5,T*00\r\n");
    }
    int argc = 0;
    QCoreApplication app{argc, nullptr};
};

TEST_F(ServeTest, AScannerReadsTheOutputArrayWhileALoopedLogFeedsIt) {
    QProcess serve;
    serve.setWorkingDirectory(path(""));
    serve.start(QStringLiteral(TESSELLOR_BINARY_DIR "/tessellor-cli" TESSELLOR_EXE_SUFFIX),
                {"serve", "Ship", "--log", "watch.nmea", "--pace", "100/s", "--loop", "--address",
                 "127.0.0.3", "--encapsulation-port", "0", "--io-port", "0", "--seconds", "3", "--json"});
    // The ports the system gave, as the companion says them.
    QByteArray err;
    const QRegularExpression serving(QStringLiteral("encapsulation port (\\d+), I/O port (\\d+)"));
    QRegularExpressionMatch ports;
    ASSERT_TRUE(spinUntil(
        [&] {
            serve.waitForReadyRead(20);
            err += serve.readAllStandardError();
            ports = serving.match(QString::fromUtf8(err));
            return ports.hasMatch() || serve.state() == QProcess::NotRunning;
        },
        30000));
    ASSERT_TRUE(ports.hasMatch()) << err.toStdString();

    Scanner plc(QStringLiteral("127.0.0.3"), quint16(ports.captured(1).toUInt()));
    ASSERT_TRUE(plc.connectTcp());
    ASSERT_NE(plc.registerSession(), 0u);
    ASSERT_TRUE(plc.bindIo());
    const std::optional<QByteArray> identity = plc.exchange(message(Command::ListIdentity, 0));
    ASSERT_TRUE(identity && identity->contains("Tessellor virtual converter"));
    const quint16 ioPort = quint16(ports.captured(2).toUInt());
    const QByteArray path = connectionPath({});
    // The PLC set up with another size is refused as on board; then the right one.
    EXPECT_EQ(plc.forwardOpen(classOneOpen(OutputSize, InputSize + 2, 20'000), path, ioPort)->extended,
              (QList<quint16>{0x0109, InputSize + 6}));
    ASSERT_EQ(plc.forwardOpen(classOneOpen(OutputSize, InputSize, 20'000), path, ioPort)->general, 0);
    // The PLC answers each Output array with its Input array.
    qsizetype answered = 0;
    ASSERT_TRUE(spinUntil(
        [&] {
            if (plc.received.size() > answered) {
                answered = plc.received.size();
                plc.sendInput(QByteArray("0123456789"));
            }
            return plc.received.size() >= 40;
        },
        10000));
    // No rule's value is placed yet: the Output array is all zeros, at its size, in rising order.
    for (int k = 0; k < 40; ++k) {
        EXPECT_EQ(plc.received[k].packet.output, QByteArray(OutputSize, '\0'));
        EXPECT_EQ(plc.received[k].packet.count, quint16(k + 1));
    }

    ASSERT_TRUE(serve.waitForFinished(30000));
    EXPECT_EQ(serve.exitCode(), 0) << (err + serve.readAllStandardError()).toStdString();
    const QJsonObject served = QJsonDocument::fromJson(serve.readAllStandardOutput()).object();
    EXPECT_EQ(served["outputBytes"].toInt(), OutputSize);
    EXPECT_EQ(served["inputConnectionSize"].toInt(), InputSize + 6);
    EXPECT_EQ(served["connections"].toInt(), 1);
    EXPECT_GE(served["sent"].toInt(), 40);
    EXPECT_EQ(served["refused"].toInt(), 1);
    EXPECT_EQ(served["lastRefusal"].toString(), "0x01/0x0109");
    EXPECT_EQ(served["lastInput"].toString(), QByteArray("0123456789").toHex());
    EXPECT_EQ(served["assemblies"].toObject()["output"].toInt(), 100);
    // 100 lines a second for about three seconds, the five-line log started again and again.
    EXPECT_GT(served["linesFed"].toInt(), 100);
    EXPECT_GT(served["logLoops"].toInt(), 20);
    EXPECT_TRUE(served["peer"].toString().startsWith("127.0.0.1:"));
}

TEST_F(ServeTest, WrongUsageIsSaidInOneLine) {
    const CliCase cases[] = {
        {{"serve", "Ship"}, 2, "", "missing the source"},
        {{"serve", "Ship", "--log", "watch.nmea", "--loop"}, 2, "", "--loop needs --pace N/s"},
        {{"serve", "Ship", "--log", "watch.nmea", "--pace", "fast"},
         2,
         "",
         "--pace needs recorded or a rate"},
        {{"serve", "Ship", "--log", "watch.nmea", "--pace", "recorded"}, 2, "", "receive times"},
        {{"serve", "Ship", "--udp", "10110", "--loop"}, 2, "", "--pace and --loop are for --log"},
        {{"serve", "Ship", "--log", "watch.nmea", "--address", "ship.local"},
         2,
         "",
         "--address needs an IPv4"},
        {{"serve", "Ship", "--log", "none.nmea"}, 2, "", "no such log"},
        {{"serve", "Ship", "--log", "watch.nmea", "--udp", "10110"}, 2, "", "one source only"},
    };
    for (const CliCase& c : cases)
        expectCliCase(run(c.arguments), c);
    // An address this machine does not have: the adapter cannot listen, and says why.
    const CliOutcome away =
        run({"serve", "Ship", "--log", "watch.nmea", "--address", "192.0.2.1", "--seconds", "1"});
    EXPECT_EQ(away.exitCode, 1);
    EXPECT_TRUE(away.err.contains("cannot serve on 192.0.2.1")) << away.err.toStdString();
}

} // namespace
