// The monitor window over real sources: a log replayed, UDP on 127.0.0.1, a pseudo-terminal for
// the serial port; opened from the rules window as the user opens it.
#include "NmeaSamples.h"
#include "ProgramFixture.h"

#include "core/comm/ParGen.h"
#include "core/language/TextSlots.h"
#include "core/nmea/AccessRules.h"
#include "core/nmea/NmeaCatalog.h"
#include "gui/nmea/TFNMEA_0183_Set_Access2.h"
#include "gui/nmea/TFNmeaMonitor.h"
#include "gui/shell/TFTesselloreFirmWare.h"
#include "platform/nmea/NmeaSourceModule.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QUdpSocket>

#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <functional>
#include <map>

namespace {

namespace Text = TextSlot::NmeaMonitor;
using NmeaSamples::framed;
using Kind = TFNmeaMonitor::SourceKind;

const char* const kHeading = "Heading, degrees True, Number [floating point]";
const char* const kWindAngle = "wind angle [floating point]";
const char* const kWindSpeed = "wind speed [floating point]";

// Two rules on RS232 and one on RS485 2.
Nmea::RuleTable sampleRules() {
    return NmeaSamples::table({{"HDT", kHeading, "", "x 10", "RS232", true, "0"},
                               {"MWV", kWindSpeed, "", "None", "RS485 2", true, "10"},
                               {"MWV", kWindAngle, "", ": 10", "RS232", true, "4"}});
}

// A short watch: headings, a wind sentence, a position no rule uses, a heading without its value,
// a heading whose checksum fails and a burst of noise.
QByteArray sampleLog() {
    return framed("HEHDT,274.07,T") + "\r\n" + framed("WIMWV,045.5,R,12.4,N,A") + "\r\n" +
           framed("GPGGA,101530.00,4530.1234,N,01245.6789,E,1,08,0.9,12.3,M,45.6,M,,") + "\r\n" +
           framed("HEHDT,275.10,T") + "\r\n" + framed("HEHDT,,T") + "\r\n" + "$HEHDT,276.00,T*00\r\n" +
           "\x01\x02noise\xff\r\n";
}

class MonitorWindowTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        startProgram();
        openConfiguration(QStringLiteral("Conf1"));
        ParGenSet parameters;
        parameters.RS485_2.BaudIndex = 3;   // 9600
        parameters.RS485_2.ParityIndex = 2; // EVEN
        parameters.RS485_2.StopBitsIndex = 1;
        ASSERT_TRUE(ParGen::save(m_state.File_ParGen, parameters));
        ASSERT_TRUE(Nmea::saveAccessRules(m_state.File_NMEA_Access, sampleRules()).isEmpty());
        m_rulesWindow = m_main->nmeaAccessWindow();
        m_rulesWindow->show();
        QApplication::processEvents();
        EXPECT_EQ(m_rulesWindow->monitorWindow(), nullptr) << "made when first opened";
    }
    void TearDown() override {
        if (m_monitor)
            m_monitor->hide();
        m_rulesWindow->hide();
        ProgramFixture::TearDown();
    }

    void openMonitor() {
        QTest::mouseClick(m_rulesWindow->Btn_Monitor, Qt::LeftButton);
        m_monitor = m_rulesWindow->monitorWindow();
        ASSERT_TRUE(m_monitor && m_monitor->isVisible());
        m_monitor->setClock([this] { return m_now; });
    }
    QString writeLog(const QByteArray& content) {
        const QString path = programPath(QStringLiteral("watch.nmea"));
        writeFile(QStringLiteral("watch.nmea"), content);
        return path;
    }
    void start(Kind kind) {
        m_monitor->CB_Source->setCurrentIndex(static_cast<int>(kind));
        QTest::mouseClick(m_monitor->Btn_Start, Qt::LeftButton);
    }
    // Runs the event loop until holds() or five seconds pass, then redraws as the timer would.
    bool waitFor(const std::function<bool()>& holds) {
        QElapsedTimer clock;
        clock.start();
        while (!holds() && clock.elapsed() < 5000)
            QTest::qWait(10);
        m_monitor->refresh();
        return holds();
    }
    bool statusIs(int slot) const { return m_monitor->L_Status->text().startsWith(m_state.msg(slot)); }
    QString cell(int row, int col) const {
        const QTableWidgetItem* item = m_monitor->ASG_Rules->item(row, col);
        return item ? item->text() : QStringLiteral("<none>");
    }
    bool highlighted(int row) const {
        return m_monitor->ASG_Rules->item(row, TFNmeaMonitor::ColRule)->background().style() != Qt::NoBrush;
    }
    std::map<QString, QString> unusedShown() const {
        std::map<QString, QString> shown;
        for (int row = 0; row < m_monitor->ASG_Unused->rowCount(); ++row)
            shown[m_monitor->ASG_Unused->item(row, 0)->text()] = m_monitor->ASG_Unused->item(row, 1)->text();
        return shown;
    }
    QStringList counters() const {
        QStringList values;
        for (const QLabel* value : m_monitor->L_CounterValues)
            values << value->text();
        return values;
    }

    TFNMEA_0183_Set_Access2* m_rulesWindow = nullptr;
    TFNmeaMonitor* m_monitor = nullptr;
    qint64 m_now = 1000;
};

TEST_F(MonitorWindowTest, LogReplayShowsTheChosenChannelsRulesOnly) {
    openMonitor();
    ASSERT_EQ(m_monitor->CB_Channel->currentText(), u"RS232");
    m_monitor->E_LogFile->setText(writeLog(sampleLog()));
    start(Kind::LogFile);
    ASSERT_TRUE(waitFor([this] { return statusIs(Text::LogEnded); }))
        << qPrintable(m_monitor->L_Status->text());
    EXPECT_FALSE(m_monitor->isListening());

    // Rules 1 and 3 are on RS232; the heading's value is multiplied, the angle divided.
    ASSERT_EQ(m_monitor->ASG_Rules->rowCount(), 2);
    const QStringList heading{"1", "HDT", kHeading, "", "0-3", "2", "275.10", "2751", "0.0 s", "1"};
    const QStringList angle{"3", "MWV", kWindAngle, "", "4-7", "1", "045.5", "4.55", "0.0 s", "0"};
    for (int col = 0; col < TFNmeaMonitor::RuleColumns; ++col) {
        EXPECT_EQ(cell(0, col), heading[col]) << "column " << col;
        EXPECT_EQ(cell(1, col), angle[col]) << "column " << col;
    }
    EXPECT_TRUE(highlighted(0));

    // The position feeds nothing; the wind speed belongs to another channel.
    EXPECT_EQ(unusedShown(), (std::map<QString, QString>{{"GPGGA", "1"}}));
    // lines, sentences, checksum errors, without checksum, long lines, bad lines
    EXPECT_EQ(counters(), (QStringList{"7", "5", "1", "0", "0", "1"}));

    ASSERT_EQ(m_monitor->LB_Lines->count(), 7);
    const auto kindOf = [this](int row) {
        return static_cast<Nmea::LineKind>(m_monitor->LB_Lines->item(row)->data(Qt::UserRole).toInt());
    };
    EXPECT_EQ(kindOf(0), Nmea::LineKind::Sentence);
    EXPECT_EQ(kindOf(5), Nmea::LineKind::ChecksumError);
    EXPECT_EQ(kindOf(6), Nmea::LineKind::Bad);
    EXPECT_TRUE(m_monitor->LB_Lines->item(0)->text().startsWith(u"$HEHDT"));
    EXPECT_EQ(m_monitor->LB_Lines->item(6)->text(), QString::fromUtf8("\u2717 \\x01\\x02noise\\xFF"));

    // The highlight fades while the time since the last value grows.
    m_now = 2600;
    m_monitor->refresh();
    EXPECT_FALSE(highlighted(0));
    EXPECT_EQ(cell(0, TFNmeaMonitor::ColSince), u"1.6 s");

    // Another channel: its own rules, nothing received yet, then the same log again.
    m_monitor->CB_Channel->setCurrentText(QStringLiteral("RS485 2"));
    ASSERT_EQ(m_monitor->ASG_Rules->rowCount(), 1);
    EXPECT_EQ(cell(0, TFNmeaMonitor::ColRule), u"2");
    EXPECT_EQ(cell(0, TFNmeaMonitor::ColHits), u"0");
    start(Kind::LogFile);
    ASSERT_TRUE(waitFor([this] { return statusIs(Text::LogEnded); }));
    EXPECT_EQ(cell(0, TFNmeaMonitor::ColValue), u"12.4");
    EXPECT_EQ(unusedShown(), (std::map<QString, QString>{{"GPGGA", "1"}, {"HEHDT", "3"}}));

    QTest::mouseClick(m_monitor->Btn_Clear, Qt::LeftButton);
    EXPECT_EQ(cell(0, TFNmeaMonitor::ColHits), u"0");
    EXPECT_EQ(m_monitor->ASG_Unused->rowCount(), 0);
    EXPECT_EQ(m_monitor->LB_Lines->count(), 0);
    EXPECT_EQ(counters(), (QStringList{"0", "0", "0", "0", "0", "0"}));
}

TEST_F(MonitorWindowTest, LargeLogShowsReplayProgress) {
    openMonitor();
    QByteArray log;
    const QByteArray line = framed("HEHDT,274.07,T") + "\r\n";
    while (log.size() < TFNmeaMonitor::ProgressFromBytes + 1024)
        log += line;
    m_monitor->E_LogFile->setText(writeLog(log));
    int progressShown = 0;
    QObject::connect(m_monitor->PB_Replay, &QProgressBar::valueChanged, m_monitor,
                     [&progressShown](int value) { progressShown = std::max(progressShown, value); });
    start(Kind::LogFile);
    ASSERT_TRUE(waitFor([this] { return statusIs(Text::LogEnded); }));
    EXPECT_TRUE(m_monitor->PB_Replay->isVisible());
    EXPECT_EQ(progressShown, m_monitor->PB_Replay->maximum());
    EXPECT_EQ(cell(0, TFNmeaMonitor::ColHits), QString::number(log.size() / line.size()));
}

// A source that fails shows the system's reason in the window, which stays ready for another.
TEST_F(MonitorWindowTest, FailingSourcesShowTheReasonAndLeaveTheWindowUsable) {
    openMonitor();
    m_monitor->setUdpAddress(QStringLiteral("127.0.0.1"));
    quint16 closedPort = 0;
    {
        QTcpServer closed;
        ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
        closedPort = closed.serverPort();
    }
    // A chart plotter listening on a port, bound with address reuse.
    QUdpSocket holder;
    ASSERT_TRUE(holder.bind(QHostAddress::LocalHost, 0,
                            QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint));

    struct Case {
        const char* name;
        Kind kind;
        std::function<void()> prepare;
        QString reason;
    };
    const std::vector<Case> cases = {
        {"connection refused", Kind::TcpClient,
         [&] {
             m_monitor->E_Host->setText(QStringLiteral("127.0.0.1"));
             m_monitor->E_TcpPort->setValue(closedPort);
         },
         QStringLiteral("refused")},
        {"UDP port in use", Kind::Udp, [&] { m_monitor->E_UdpPort->setValue(holder.localPort()); },
         m_state.msg(Text::PortInUse)},
        {"missing log", Kind::LogFile,
         [&] { m_monitor->E_LogFile->setText(programPath(QStringLiteral("none.nmea"))); },
         QStringLiteral("No such file")},
        {"device as the log", Kind::LogFile,
         [&] { m_monitor->E_LogFile->setText(QStringLiteral("/dev/null")); },
         m_state.msg(Text::NotRegularFile)},
        {"missing serial port", Kind::SerialPort,
         [&] { m_monitor->CB_Port->setCurrentText(QStringLiteral("/dev/tessellor-no-such-port")); },
         QStringLiteral("No such file")},
        {"no log chosen", Kind::LogFile, [&] { m_monitor->E_LogFile->clear(); },
         m_state.msg(Text::NoLogFile)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.prepare();
        start(c.kind);
        ASSERT_TRUE(waitFor([this] { return statusIs(Text::SourceFailed); }));
        EXPECT_TRUE(m_monitor->L_Status->text().contains(c.reason))
            << qPrintable(m_monitor->L_Status->text());
        EXPECT_TRUE(m_monitor->L_Status->property("error").toBool());
        EXPECT_FALSE(m_monitor->isListening());
        EXPECT_FALSE(m_monitor->Btn_Stop->isEnabled());
        EXPECT_TRUE(m_monitor->isVisible());
    }
    EXPECT_TRUE(m_boxes.shown().empty());

    // Then a source that works: UDP datagrams from this computer.
    quint16 freePort = 0;
    {
        QUdpSocket probe;
        ASSERT_TRUE(probe.bind(QHostAddress::LocalHost, 0));
        freePort = probe.localPort();
    }
    m_monitor->E_UdpPort->setValue(freePort);
    start(Kind::Udp);
    ASSERT_TRUE(waitFor([this] { return statusIs(Text::Listening); }))
        << qPrintable(m_monitor->L_Status->text());
    EXPECT_TRUE(m_monitor->isListening());
    EXPECT_FALSE(m_monitor->L_Status->property("error").toBool());
    QUdpSocket sender;
    sender.writeDatagram(framed("HEHDT,274.07,T"), QHostAddress::LocalHost, freePort);
    sender.writeDatagram(framed("HEHDT,275.10,T"), QHostAddress::LocalHost, freePort);
    ASSERT_TRUE(waitFor([this] { return cell(0, TFNmeaMonitor::ColHits) == u"2"; }));
    EXPECT_EQ(cell(0, TFNmeaMonitor::ColLast), u"275.10");

    // Closing the window stops listening.
    m_monitor->close();
    EXPECT_FALSE(m_monitor->isListening());
    EXPECT_TRUE(statusIs(Text::Stopped));
}

// The sources are a module beside the program; without it the monitor still opens and says why it
// cannot listen, and listens as soon as the module is back.
TEST_F(MonitorWindowTest, MissingSourcesModuleIsReportedAndNothingElseBreaks) {
    const QString emptyFolder = programPath(QStringLiteral("no-module"));
    ASSERT_TRUE(QDir().mkpath(emptyFolder));
    Platform::NmeaSourceModule::setFolder(emptyFolder);
    openMonitor();
    m_monitor->E_LogFile->setText(writeLog(sampleLog()));
    start(Kind::LogFile);
    EXPECT_TRUE(statusIs(Text::ModuleFailed)) << qPrintable(m_monitor->L_Status->text());
    EXPECT_TRUE(m_monitor->L_Status->text().contains(Platform::NmeaSourceModule::fileName()));
    EXPECT_TRUE(m_monitor->L_Status->property("error").toBool());
    EXPECT_FALSE(m_monitor->isListening());
    EXPECT_EQ(m_monitor->CB_Port->count(), 0);
    EXPECT_TRUE(m_boxes.shown().empty());

    Platform::NmeaSourceModule::setFolder(QStringLiteral(TESSELLOR_NMEA_MODULE_DIR));
    start(Kind::LogFile);
    ASSERT_TRUE(waitFor([this] { return statusIs(Text::LogEnded); }))
        << qPrintable(m_monitor->L_Status->text());
    EXPECT_EQ(cell(0, TFNmeaMonitor::ColHits), u"2");
}

TEST_F(MonitorWindowTest, SerialPortUsesTheChannelsSettingsAndTheChangesMadeHere) {
    openMonitor();
    m_monitor->CB_Channel->setCurrentText(QStringLiteral("RS485 2"));
    EXPECT_EQ(m_monitor->CB_Baud->currentText(), u"9600");
    EXPECT_EQ(m_monitor->CB_Parity->currentText(), u"EVEN");
    EXPECT_EQ(m_monitor->CB_StopBits->currentText(), u"2 bits");
    m_monitor->CB_Baud->setCurrentText(QStringLiteral("19200"));

    int master = -1;
    int slave = -1;
    char path[128] = {};
    ASSERT_EQ(openpty(&master, &slave, path, nullptr, nullptr), 0);
    m_monitor->CB_Port->setCurrentText(QString::fromLocal8Bit(path));
    start(Kind::SerialPort);
    ASSERT_TRUE(waitFor([this] { return m_monitor->isListening(); }))
        << qPrintable(m_monitor->L_Status->text());
    termios settings{};
    ASSERT_EQ(tcgetattr(slave, &settings), 0);
    EXPECT_EQ(cfgetispeed(&settings), speed_t(B19200));
    EXPECT_TRUE(settings.c_cflag & CSTOPB);

    const QByteArray wind = framed("WIMWV,045.5,R,12.4,N,A") + "\r\n";
    ASSERT_EQ(write(master, wind.constData(), size_t(wind.size())), wind.size());
    ASSERT_TRUE(waitFor([this] { return cell(0, TFNmeaMonitor::ColHits) == u"1"; }));
    EXPECT_EQ(cell(0, TFNmeaMonitor::ColValue), u"12.4");

    QTest::mouseClick(m_monitor->Btn_Stop, Qt::LeftButton);
    EXPECT_FALSE(m_monitor->isListening());
    EXPECT_TRUE(statusIs(Text::Stopped));
    close(master);
    close(slave);
}

// The far side writes half a sentence, the connection ends, the rest comes over the next one: the
// halves never make a sentence ("$HEHDT,91.5,T" would feed 91.5).
TEST_F(MonitorWindowTest, HalvesOfALineFromTwoConnectionsAreNeverJoined) {
    openMonitor();
    const QByteArray firstHalf = framed("HEHDT,274.07,T") + "\r\n$HEHDT,9";
    const QByteArray secondHalf = "1.5,T\r\n";
    const auto expectApart = [this] {
        ASSERT_TRUE(waitFor([this] {
            return m_monitor->monitor().counts().lines >= 3 || cell(0, TFNmeaMonitor::ColHits) == u"2";
        }));
        EXPECT_EQ(cell(0, TFNmeaMonitor::ColHits), u"1");
        EXPECT_EQ(cell(0, TFNmeaMonitor::ColLast), u"274.07");
        EXPECT_EQ(m_monitor->monitor().counts().badLines, 2) << "both halves are cut lines";
        QTest::mouseClick(m_monitor->Btn_Clear, Qt::LeftButton);
    };

    // A serial port closed and opened again.
    int master = -1;
    int slave = -1;
    char path[128] = {};
    ASSERT_EQ(openpty(&master, &slave, path, nullptr, nullptr), 0);
    const auto toPort = [master](const QByteArray& bytes) {
        ASSERT_EQ(write(master, bytes.constData(), size_t(bytes.size())), bytes.size());
    };
    m_monitor->CB_Port->setCurrentText(QString::fromLocal8Bit(path));
    start(Kind::SerialPort);
    ASSERT_TRUE(waitFor([this] { return m_monitor->isListening(); }));
    toPort(firstHalf);
    ASSERT_TRUE(waitFor([this] { return cell(0, TFNmeaMonitor::ColHits) == u"1"; }));
    QTest::qWait(100); // the half line, should the port deliver it apart
    QTest::mouseClick(m_monitor->Btn_Stop, Qt::LeftButton);
    start(Kind::SerialPort);
    ASSERT_TRUE(waitFor([this] { return m_monitor->isListening(); }));
    toPort(secondHalf);
    expectApart();
    m_monitor->Btn_StopClick();
    close(master);
    close(slave);

    // A TCP connection the far side closes, and a new one.
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    m_monitor->E_Host->setText(QStringLiteral("127.0.0.1"));
    m_monitor->E_TcpPort->setValue(server.serverPort());
    start(Kind::TcpClient);
    ASSERT_TRUE(waitFor([&] { return m_monitor->isListening() && server.hasPendingConnections(); }));
    QTcpSocket* peer = server.nextPendingConnection();
    peer->write(firstHalf);
    ASSERT_TRUE(waitFor([this] { return cell(0, TFNmeaMonitor::ColHits) == u"1"; }));
    QTest::qWait(100);
    peer->close();
    ASSERT_TRUE(waitFor([this] { return statusIs(Text::SourceFailed); }));
    start(Kind::TcpClient);
    ASSERT_TRUE(waitFor([&] { return m_monitor->isListening() && server.hasPendingConnections(); }));
    peer = server.nextPendingConnection();
    peer->write(secondHalf);
    expectApart();
}

// The status line says what the source is doing: connecting until it is connected, receiving
// nothing, closed by the far side; a failure goes when another kind of source is chosen.
TEST_F(MonitorWindowTest, StatusLineSaysWhatTheSourceIsDoing) {
    openMonitor();
    m_monitor->setStallAfter(2000);
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    m_monitor->E_Host->setText(QStringLiteral("127.0.0.1"));
    m_monitor->E_TcpPort->setValue(server.serverPort());
    start(Kind::TcpClient);
    EXPECT_TRUE(statusIs(Text::Connecting)) << qPrintable(m_monitor->L_Status->text());
    EXPECT_TRUE(
        m_monitor->L_Status->text().endsWith(QStringLiteral("127.0.0.1:%1").arg(server.serverPort())));
    ASSERT_TRUE(waitFor([&] { return m_monitor->isListening() && server.hasPendingConnections(); }));
    EXPECT_TRUE(statusIs(Text::Listening)) << qPrintable(m_monitor->L_Status->text());
    QTcpSocket* peer = server.nextPendingConnection();

    // Nothing arrives for the stall interval, then a sentence.
    m_now += 1999;
    m_monitor->refresh();
    EXPECT_TRUE(statusIs(Text::Listening));
    m_now += 1001;
    m_monitor->refresh();
    const QString stalled = m_state.msg(Text::Stalled).arg(3);
    EXPECT_TRUE(m_monitor->L_Status->text().startsWith(stalled)) << qPrintable(m_monitor->L_Status->text());
    EXPECT_FALSE(m_monitor->L_Status->property("error").toBool());
    peer->write(framed("HEHDT,274.07,T") + "\r\n");
    ASSERT_TRUE(waitFor([this] { return cell(0, TFNmeaMonitor::ColHits) == u"1"; }));
    EXPECT_TRUE(statusIs(Text::Listening)) << qPrintable(m_monitor->L_Status->text());

    // The far side closes; choosing another kind of source clears the failure.
    peer->close();
    ASSERT_TRUE(waitFor([this] { return statusIs(Text::SourceFailed); }));
    m_monitor->CB_Source->setCurrentIndex(static_cast<int>(Kind::Udp));
    EXPECT_TRUE(statusIs(Text::Stopped)) << qPrintable(m_monitor->L_Status->text());
    EXPECT_FALSE(m_monitor->L_Status->property("error").toBool());

    // A serial port that the system closes under the monitor: the pseudo-terminal's other side goes.
    int master = -1;
    int slave = -1;
    char path[128] = {};
    ASSERT_EQ(openpty(&master, &slave, path, nullptr, nullptr), 0);
    m_monitor->CB_Port->setCurrentText(QString::fromLocal8Bit(path));
    start(Kind::SerialPort);
    ASSERT_TRUE(waitFor([this] { return m_monitor->isListening(); }));
    close(slave);
    close(master);
    ASSERT_TRUE(waitFor([this] { return statusIs(Text::SourceFailed); }));
    EXPECT_EQ(m_monitor->L_Status->text(), m_state.msg(Text::SourceFailed) + m_state.msg(Text::PortClosed));
}

// The last lines hold still while they are read, scrolled back or paused; at the bottom they follow
// the newest line.
TEST_F(MonitorWindowTest, LastLinesHoldStillWhileRead) {
    openMonitor();
    // Headings numbered from..from + count - 1, replayed from a log.
    const auto receive = [this](int from, int count) {
        QByteArray log;
        for (int n = from; n < from + count; ++n)
            log += framed("HEHDT," + QByteArray::number(n) + ",T") + "\r\n";
        m_monitor->E_LogFile->setText(writeLog(log));
        start(Kind::LogFile);
        ASSERT_TRUE(waitFor([this] { return statusIs(Text::LogEnded); }));
    };
    QListWidget* pane = m_monitor->LB_Lines;
    const auto shown = [pane] {
        QStringList texts;
        for (int row = 0; row < pane->count(); ++row)
            texts << pane->item(row)->text();
        return texts;
    };
    const auto newest = [pane] { return pane->item(pane->count() - 1)->text(); };

    receive(0, 250);
    ASSERT_EQ(pane->count(), Nmea::Monitor::DefaultHistory);
    EXPECT_EQ(newest(), framed("HEHDT,249,T"));

    pane->verticalScrollBar()->setValue(0);
    const QStringList before = shown();
    receive(250, 10);
    EXPECT_EQ(shown(), before) << "scrolled back, the rows hold";
    EXPECT_EQ(pane->verticalScrollBar()->value(), 0);
    EXPECT_EQ(cell(0, TFNmeaMonitor::ColLast), u"259") << "the rules go on";

    pane->scrollToBottom();
    m_monitor->refresh();
    EXPECT_EQ(newest(), framed("HEHDT,259,T"));

    QTest::mouseClick(m_monitor->Btn_Pause, Qt::LeftButton);
    ASSERT_TRUE(m_monitor->Btn_Pause->isChecked());
    receive(260, 10);
    EXPECT_EQ(newest(), framed("HEHDT,259,T")) << "paused at the bottom, the rows hold";
    QTest::mouseClick(m_monitor->Btn_Pause, Qt::LeftButton);
    m_monitor->refresh();
    EXPECT_EQ(newest(), framed("HEHDT,269,T"));
    EXPECT_EQ(pane->verticalScrollBar()->value(), pane->verticalScrollBar()->maximum());
}

TEST_F(MonitorWindowTest, OpensOverTheRulesWindowsUnsavedRows) {
    EXPECT_EQ(m_rulesWindow->Btn_Monitor->geometry(), QRect(842, 6, 110, 28));
    EXPECT_EQ(m_rulesWindow->Btn_Monitor->text(), m_state.msg(Text::OpenButton));

    // Rows edited and not saved: the wind speed alone, on RS485 2.
    m_rulesWindow->showRules(NmeaSamples::table({{"MWV", kWindSpeed, "", "x 100", "RS485 2", true, "20"}}));
    ASSERT_TRUE(m_rulesWindow->hasUnsavedChanges());
    openMonitor();
    EXPECT_TRUE(m_monitor->isModal());
    EXPECT_EQ(m_monitor->CB_Channel->currentText(), u"RS485 2") << "the channel that has rules";
    EXPECT_EQ(m_monitor->CB_Baud->currentText(), u"9600");
    ASSERT_EQ(m_monitor->ASG_Rules->rowCount(), 1);
    EXPECT_EQ(cell(0, TFNmeaMonitor::ColField), QString::fromLatin1(kWindSpeed));
    EXPECT_EQ(cell(0, TFNmeaMonitor::ColBytes), u"20-23");

    m_monitor->E_LogFile->setText(writeLog(sampleLog()));
    start(Kind::LogFile);
    ASSERT_TRUE(waitFor([this] { return statusIs(Text::LogEnded); }));
    EXPECT_EQ(cell(0, TFNmeaMonitor::ColValue), u"1240");
    EXPECT_TRUE(m_rulesWindow->hasUnsavedChanges()) << "the monitor changes no rule";

    // A language change reaches the monitor through the rules window.
    m_state.Msg_Catalog.setText(Text::Title, QStringLiteral("Monitor NMEA 0183"));
    m_state.Msg_Catalog.setText(Text::LogEnded, QStringLiteral("Log letto fino alla fine"));
    m_main->Change_Language();
    EXPECT_EQ(m_monitor->windowTitle(), u"Monitor NMEA 0183");
    EXPECT_EQ(m_monitor->L_Status->text(), u"Log letto fino alla fine");
}

} // namespace
