// tessellor-cli listen, run as the built program: UDP and TCP on 127.0.0.1, a serial port through a
// pseudo-terminal, ended by its time limit or by Ctrl+C (SIGINT), its recording replayed.
#include "CliRun.h"
#include "NmeaSamples.h"
#include "core/comm/ParGen.h"

#include "core/nmea/AccessRules.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QUdpSocket>
#include <gtest/gtest.h>

#include <csignal>
#include <pty.h>
#include <unistd.h>

using NmeaSamples::framed;

namespace {

// A listen run that the test talks to while it runs.
class RunningCli {
public:
    RunningCli(const QString& folder, const QStringList& arguments) {
        m_process.setWorkingDirectory(folder);
        m_process.start(QStringLiteral(TESSELLOR_BINARY_DIR "/tessellor-cli" TESSELLOR_EXE_SUFFIX),
                        QStringList{"listen"} + arguments);
    }
    ~RunningCli() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    // Waits until the source has started, as the companion says on standard error.
    bool waitListening() {
        QElapsedTimer clock;
        clock.start();
        while (!m_err.contains("listening to") && clock.elapsed() < 30000) {
            if (m_process.state() == QProcess::NotRunning)
                return false;
            m_process.waitForReadyRead(100);
            m_err += m_process.readAllStandardError();
        }
        return m_err.contains("listening to");
    }
    void interrupt() { ::kill(static_cast<pid_t>(m_process.processId()), SIGINT); }
    CliOutcome finish() {
        EXPECT_TRUE(m_process.waitForFinished(60000));
        m_err += m_process.readAllStandardError();
        return {m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1,
                QString::fromUtf8(m_process.readAllStandardOutput()), QString::fromUtf8(m_err)};
    }

private:
    QProcess m_process;
    QByteArray m_err;
};

// Waits until cond holds, for at most 30 s.
template <typename Cond> bool waitUntil(Cond cond) {
    QElapsedTimer clock;
    clock.start();
    while (!cond() && clock.elapsed() < 30000)
        QThread::msleep(20);
    return cond();
}

quint16 freeUdpPort() {
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

QJsonObject jsonOf(const CliOutcome& outcome) {
    QJsonParseError error;
    const QJsonObject o = QJsonDocument::fromJson(outcome.out.toUtf8(), &error).object();
    EXPECT_EQ(error.error, QJsonParseError::NoError) << outcome.out.toStdString();
    return o;
}

// What every listen here receives, on RS232: heading and wind, the wind once relative and once
// true, a checksum failure and noise.
const QByteArray kSentences = framed("HEHDT,274.07,T") + "\r\n" + framed("WIMWV,045.5,R,12.4,N,A") + "\r\n" +
                              "$HEHDT,274.07,T*18\r\n" + framed("WIMWV,030.0,T,10.1,N,A") + "\r\n" +
                              "\x01\x02 noise\r\n" + framed("GPZDA,160012.71,11,03,2026,-1,00") + "\r\n";

class ListenTest : public CliFolderTest {
protected:
    void SetUp() override {
        CliFolderTest::SetUp();
        ASSERT_TRUE(QDir(m_root.path()).mkdir(QStringLiteral("Ship")));
        const Nmea::RuleTable table = NmeaSamples::table({
            {"HDT", "Heading, degrees True, Number [floating point]", "", "x 10", "RS232"},
            {"MWV", "wind angle [floating point]", "", "None", "RS232"},
            {"GGA", "Latitude, Degrees [decimal]", "", "None", "RS485 2"},
        });
        ASSERT_EQ(Nmea::saveAccessRules(path("Ship/NMEA_0183_Set_Access.xml"), table), QString());
    }

    // What the report of kSentences must hold, from listen or from replay.
    static void expectReportOfTheSentences(const QJsonObject& o) {
        EXPECT_EQ(o["sentences"].toInt(), 4);
        EXPECT_EQ(o["checksum_errors"].toInt(), 1);
        EXPECT_EQ(o["bad_lines"].toInt(), 1);
        const QJsonArray rules = o["rules"].toArray();
        ASSERT_EQ(rules.size(), 2) << "the rules of RS232";
        EXPECT_EQ(rules[0].toObject()["hits"].toInt(), 1);
        EXPECT_DOUBLE_EQ(rules[0].toObject()["value"].toDouble(), 2740.7);
        EXPECT_EQ(rules[1].toObject()["last"].toString(), u"030.0");
        EXPECT_EQ(o["unused"].toObject(), (QJsonObject{{"GPZDA", 1}}));
        const QJsonArray findings = o["findings"].toArray();
        ASSERT_EQ(findings.size(), 1) << QJsonDocument(o).toJson().toStdString();
        EXPECT_EQ(findings[0].toObject()["rule"].toInt(), 2);
        EXPECT_EQ(findings[0].toObject()["kind"].toString(), u"mixed-reference");
        EXPECT_TRUE(findings[0].toObject()["message"].toString().contains(u"(R, T)"));
    }
};

TEST_F(ListenTest, UsageAndFailures) {
    const CliCase cases[]{
        {{"--help"}, 0, "Usage: tessellor-cli listen CONFIG_DIR --channel NAME", ""},
        {{"Ship", "--udp", "10110"}, 2, "", "listen: missing --channel"},
        {{"Ship", "--channel", "RS232"}, 2, "", "missing the source: --serial, --udp or --tcp"},
        {{"Ship", "--channel", "RS232", "--udp", "1", "--tcp", "h:1"}, 2, "", "one source only"},
        {{"Ship", "--channel", "RS422", "--udp", "10110"}, 2, "", "unknown channel RS422"},
        {{"Ship", "--channel", "RS232", "--udp", "70000"},
         2,
         "",
         "--udp needs a port number from 1 to 65535"},
        {{"Ship", "--channel", "RS232", "--tcp", "localhost"}, 2, "", "--tcp needs HOST:PORT"},
        {{"Ship", "--channel", "RS232", "--udp", "10110", "--baud", "4800"}, 2, "", "--baud is for --serial"},
        {{"Ship", "--channel", "RS232", "--serial", "ttyS0", "--baud", "fast"},
         2,
         "",
         "--baud needs a positive"},
        {{"Ship", "--channel", "RS232", "--udp", "10110", "--seconds", "0"},
         2,
         "",
         "--seconds needs a number"},
        {{"Ship", "--channel", "RS232", "--udp", "10110", "--seconds"},
         2,
         "",
         "--seconds needs a number of seconds"},
        {{"Nowhere", "--channel", "RS232", "--udp", "10110"}, 2, "", "no such configuration folder Nowhere"},
        {{"Ship", "--channel", "RS232", "--udp", "10110", "--record", "Ship"},
         1,
         "",
         "cannot record to Ship"},
        {{"Ship", "--channel", "RS232", "--serial", "/dev/no-such-port", "--seconds", "5"},
         1,
         "",
         "/dev/no-such-port, 4800 8N1: No such file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        expectCliCase(run(QStringList{"listen"} + c.arguments), c);
    }

    // Nothing listens on the port: the connection is refused and nothing is reported.
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    const CliOutcome refused =
        run({"listen", "Ship", "--channel", "RS232", "--tcp", QStringLiteral("127.0.0.1:%1").arg(port)});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(u"refused")) << qPrintable(refused.err);
    EXPECT_EQ(refused.out, QString());
}

TEST_F(ListenTest, UdpDatagramsUntilTheTimeIsUp) {
    const quint16 port = freeUdpPort();
    RunningCli cli(m_root.path(), {"Ship", "--channel", "RS232", "--udp", QString::number(port), "--seconds",
                                   "3", "--json"});
    ASSERT_TRUE(cli.waitListening());
    QUdpSocket sender;
    // One datagram a sentence, without line ends, as many senders do.
    for (const QByteArray& sentence : kSentences.split('\n')) {
        if (!sentence.isEmpty())
            sender.writeDatagram(sentence.chopped(1), QHostAddress::LocalHost, port);
    }
    const CliOutcome outcome = cli.finish();
    ASSERT_EQ(outcome.exitCode, 0) << qPrintable(outcome.err);
    expectReportOfTheSentences(jsonOf(outcome));
}

TEST_F(ListenTest, TcpStreamAsText) {
    // An output array of 8 bytes: without ParGen.xml the image has none.
    ParGenSet parameters;
    parameters.EtherNetIP_NB_Output = QStringLiteral("8");
    ASSERT_TRUE(ParGen::save(path("Ship/ParGen.xml"), parameters));
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    RunningCli cli(m_root.path(), {"Ship", "--channel", "RS232", "--tcp",
                                   QStringLiteral("127.0.0.1:%1").arg(server.serverPort()), "--seconds", "2",
                                   "--output-array"});
    ASSERT_TRUE(server.waitForNewConnection(30000));
    QTcpSocket* connection = server.nextPendingConnection();
    // In two pieces that split a sentence.
    connection->write(kSentences.first(30));
    connection->waitForBytesWritten(5000);
    QThread::msleep(100);
    connection->write(kSentences.sliced(30));
    connection->waitForBytesWritten(5000);
    const CliOutcome outcome = cli.finish();
    ASSERT_EQ(outcome.exitCode, 0) << qPrintable(outcome.err);
    EXPECT_TRUE(
        outcome.out.contains(u"Rule 1: HDT / Heading, degrees True, Number [floating point]; hits 1, last "
                             u"\"274.07\", value 2740.7\n"))
        << qPrintable(outcome.out);
    EXPECT_TRUE(outcome.out.contains(u"Sentences: 4\nChecksum failures: 1\n"));
    EXPECT_TRUE(outcome.out.contains(u"Findings:\n  mixed-reference: Rule 2 is fed by MWV sentences"))
        << qPrintable(outcome.out);
    // The Output array the values make, after the findings.
    EXPECT_TRUE(
        outcome.out.contains(u"\nOutput array, 8 bytes, as this program assumes the converter places the "
                             u"values:\n0000: "))
        << qPrintable(outcome.out);
}

// The far end closes the connection: listen ends by itself, reports what arrived before and fails.
TEST_F(ListenTest, TcpClosedByTheFarEndStillReports) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    RunningCli cli(m_root.path(), {"Ship", "--channel", "RS232", "--tcp",
                                   QStringLiteral("127.0.0.1:%1").arg(server.serverPort()), "--json"});
    ASSERT_TRUE(server.waitForNewConnection(30000));
    QTcpSocket* connection = server.nextPendingConnection();
    connection->write(kSentences);
    connection->waitForBytesWritten(5000);
    connection->disconnectFromHost();
    const CliOutcome outcome = cli.finish();
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(outcome.err.contains(u"broke off")) << qPrintable(outcome.err);
    expectReportOfTheSentences(jsonOf(outcome));
}

// A serial port through a pseudo-terminal, recorded, ended with Ctrl+C once everything arrived;
// the recording replayed gives the same report.
TEST_F(ListenTest, SerialRecordedAndInterruptedThenReplayed) {
    int master = -1;
    int slave = -1;
    char device[128] = {};
    ASSERT_EQ(openpty(&master, &slave, device, nullptr, nullptr), 0);
    const QString recording = path("ship.nmea");
    RunningCli cli(m_root.path(), {"Ship", "--channel", "RS232", "--serial", QString::fromLocal8Bit(device),
                                   "--baud", "115200", "--record", recording, "--json"});
    ASSERT_TRUE(cli.waitListening());
    ASSERT_EQ(::write(master, kSentences.constData(), size_t(kSentences.size())), kSentences.size());
    ASSERT_TRUE(waitUntil([&] { return QFileInfo(recording).size() == kSentences.size(); }))
        << QFileInfo(recording).size();
    cli.interrupt();
    const CliOutcome heard = cli.finish();
    ::close(master);
    ::close(slave);
    ASSERT_EQ(heard.exitCode, 0) << qPrintable(heard.err);
    EXPECT_TRUE(heard.err.contains(u", 115200 8N1")) << qPrintable(heard.err);
    expectReportOfTheSentences(jsonOf(heard));

    QFile file(recording);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), kSentences);
    const CliOutcome replayed = run({"replay", "Ship", recording, "--channel", "RS232", "--json"});
    ASSERT_EQ(replayed.exitCode, 0) << qPrintable(replayed.err);
    EXPECT_EQ(replayed.out, heard.out);
}

// Bad lines and no sentence for two seconds on a serial port: the rate may be wrong.
TEST_F(ListenTest, SerialWithOnlyBadLinesSuggestsTheBaudRate) {
    int master = -1;
    int slave = -1;
    char device[128] = {};
    ASSERT_EQ(openpty(&master, &slave, device, nullptr, nullptr), 0);
    RunningCli cli(m_root.path(), {"Ship", "--channel", "RS232", "--serial", QString::fromLocal8Bit(device),
                                   "--seconds", "2.5", "--json"});
    ASSERT_TRUE(cli.waitListening());
    const QByteArray garbage("\x93\xfe\x0f\r\n\xe6\x1b\x80\r\n", 10);
    ASSERT_EQ(::write(master, garbage.constData(), size_t(garbage.size())), garbage.size());
    const CliOutcome outcome = cli.finish();
    ::close(master);
    ::close(slave);
    ASSERT_EQ(outcome.exitCode, 0) << qPrintable(outcome.err);
    const QJsonArray findings = jsonOf(outcome)["findings"].toArray();
    ASSERT_EQ(findings.size(), 1) << outcome.out.toStdString();
    EXPECT_TRUE(findings[0].toObject()["rule"].isNull());
    EXPECT_EQ(findings[0].toObject()["kind"].toString(), u"wrong-baud?");
}

} // namespace
