// The monitor window over real sources: a log replayed, UDP on 127.0.0.1, a pseudo-terminal for
// the serial port; opened from the rules window as the user opens it.
#include "NmeaSamples.h"
#include "ProgramFixture.h"

#include "core/comm/ParGen.h"
#include "core/language/TextSlots.h"
#include "core/nmea/AccessRules.h"
#include "core/nmea/NmeaCatalog.h"
#include "gui/nmea/MonitorChannel.h"
#include "gui/nmea/TFNMEA_0183_Set_Access2.h"
#include "gui/nmea/TFNmeaMonitor.h"
#include "gui/shell/TFTesselloreFirmWare.h"
#include "platform/nmea/NmeaSourceModule.h"
#include "report/MapColours.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
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
    MonitorChannel* row(const char* channel = "RS232") const {
        return m_monitor->channel(QString::fromLatin1(channel));
    }
    void start(Kind kind, MonitorChannel* source = nullptr) {
        source = source ? source : row();
        source->CB_Source->setCurrentIndex(static_cast<int>(kind));
        QTest::mouseClick(source->Btn_Start, Qt::LeftButton);
    }
    // Starts the row as a TCP client of server, listening on 127.0.0.1; the accepted peer, or
    // null when the row did not connect.
    QTcpSocket* connectTcp(QTcpServer& server, MonitorChannel* source) {
        if (!server.listen(QHostAddress::LocalHost))
            return nullptr;
        source->E_Host->setText(QStringLiteral("127.0.0.1"));
        source->E_TcpPort->setValue(server.serverPort());
        start(Kind::TcpClient, source);
        if (!waitFor([&] { return source->isListening() && server.hasPendingConnections(); }))
            return nullptr;
        return server.nextPendingConnection();
    }
    // Runs the event loop until holds() or the time passes, then redraws as the timer would.
    bool waitFor(const std::function<bool()>& holds, int milliseconds = 5000) {
        QElapsedTimer clock;
        clock.start();
        while (!holds() && clock.elapsed() < milliseconds)
            QTest::qWait(10);
        m_monitor->refresh();
        return holds();
    }
    bool statusIs(int slot, const char* channel = "RS232") const {
        return status(channel).startsWith(m_state.msg(slot));
    }
    QString status(const char* channel = "RS232") const { return row(channel)->L_Status->text(); }
    QString cell(int row, int col) const {
        const QTableWidgetItem* item = m_monitor->ASG_Rules->item(row, col);
        return item ? item->text() : QStringLiteral("<none>");
    }
    bool highlighted(int row) const {
        return m_monitor->ASG_Rules->item(row, TFNmeaMonitor::ColRule)->background().style() != Qt::NoBrush;
    }
    // Channel and address, and the count.
    std::map<QString, QString> addressesShown(const QTableWidget* table) const {
        std::map<QString, QString> shown;
        for (int row = 0; row < table->rowCount(); ++row)
            shown[table->item(row, TFNmeaMonitor::AddressChannel)->text() + u' ' +
                  table->item(row, TFNmeaMonitor::AddressName)->text()] =
                table->item(row, TFNmeaMonitor::AddressCount)->text();
        return shown;
    }
    std::map<QString, QString> unusedShown() const { return addressesShown(m_monitor->ASG_Unused); }
    // The rules table's rows the channel filter leaves, by rule number.
    QStringList rulesShown() const {
        QStringList rules;
        for (int row = 0; row < m_monitor->ASG_Rules->rowCount(); ++row) {
            if (!m_monitor->ASG_Rules->isRowHidden(row))
                rules << cell(row, TFNmeaMonitor::ColRule);
        }
        return rules;
    }
    QStringList lineColumn(int col) const {
        QStringList texts;
        for (int row = 0; row < m_monitor->ASG_Lines->rowCount(); ++row)
            texts << m_monitor->ASG_Lines->item(row, col)->text();
        return texts;
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

TEST_F(MonitorWindowTest, EveryChannelsRulesWithTheChannelFilter) {
    openMonitor();
    EXPECT_EQ(m_monitor->CB_Channel->currentIndex(), 0) << "all channels";
    // The same watch on RS232 and on RS485 2, each its own source.
    const QString log = writeLog(sampleLog());
    for (const char* channel : {"RS232", "RS485 2"}) {
        row(channel)->E_LogFile->setText(log);
        start(Kind::LogFile, row(channel));
        ASSERT_TRUE(waitFor([&] { return statusIs(Text::LogEnded, channel); }))
            << qPrintable(status(channel));
        EXPECT_FALSE(row(channel)->isListening());
    }

    // Every channel's rules in rule order; the heading's value is multiplied, the angle divided.
    ASSERT_EQ(m_monitor->ASG_Rules->rowCount(), 3);
    const QString ago = m_state.msg(Text::SecondsAgo).arg(QStringLiteral("0.0"));
    const QStringList expected[] = {
        {"1", "RS232", "HDT", kHeading, "", "0-3", "2", "1", "275.10", "2751", ago},
        {"2", "RS485 2", "MWV", kWindSpeed, "", "10-13", "1", "0", "12.4", "12.4", ago},
        {"3", "RS232", "MWV", kWindAngle, "", "4-7", "1", "0", "045.5", "4.55", ago}};
    for (int r = 0; r < 3; ++r) {
        for (int col = 0; col < TFNmeaMonitor::RuleColumns; ++col)
            EXPECT_EQ(cell(r, col), expected[r][col]) << "row " << r << " column " << col;
    }
    EXPECT_TRUE(highlighted(0));

    // Unused per channel: the wind sentence feeds a rule on both, the heading only on RS232.
    EXPECT_EQ(unusedShown(), (std::map<QString, QString>{
                                 {"RS232 GPGGA", "1"}, {"RS485 2 GPGGA", "1"}, {"RS485 2 HEHDT", "3"}}));
    EXPECT_EQ(
        addressesShown(m_monitor->ASG_Used),
        (std::map<QString, QString>{{"RS232 HEHDT", "3"}, {"RS232 WIMWV", "1"}, {"RS485 2 WIMWV", "1"}}));
    // All of them heard in the same second.
    EXPECT_EQ(m_monitor->ASG_Used->item(0, TFNmeaMonitor::AddressRate)->text(), u"3.0");
    // lines, sentences, checksum errors, without checksum, long lines, bad lines: both channels
    EXPECT_EQ(counters(), (QStringList{"14", "10", "2", "0", "0", "2"}));
    EXPECT_EQ(lineColumn(TFNmeaMonitor::LineChannel).count(u"RS232"), 7);
    EXPECT_EQ(lineColumn(TFNmeaMonitor::LineChannel).count(u"RS485 2"), 7);

    m_monitor->CB_Channel->setCurrentText(QStringLiteral("RS485 2"));
    EXPECT_EQ(rulesShown(), QStringList{"2"});
    EXPECT_EQ(unusedShown(), (std::map<QString, QString>{{"RS485 2 GPGGA", "1"}, {"RS485 2 HEHDT", "3"}}));
    EXPECT_EQ(counters(), (QStringList{"7", "5", "1", "0", "0", "1"}));
    EXPECT_EQ(lineColumn(TFNmeaMonitor::LineChannel), QStringList(7, QStringLiteral("RS485 2")));
    const auto kindOf = [this](int r) {
        return static_cast<Nmea::LineKind>(
            m_monitor->ASG_Lines->item(r, TFNmeaMonitor::LineText)->data(Qt::UserRole).toInt());
    };
    EXPECT_EQ(kindOf(0), Nmea::LineKind::Sentence);
    EXPECT_EQ(kindOf(5), Nmea::LineKind::ChecksumError);
    EXPECT_EQ(kindOf(6), Nmea::LineKind::Bad);
    EXPECT_EQ(lineColumn(TFNmeaMonitor::LineText).value(6), QString::fromUtf8("\u2717 \\x01\\x02noise\\xFF"));
    m_monitor->CB_Channel->setCurrentIndex(0);
    EXPECT_EQ(rulesShown(), (QStringList{"1", "2", "3"}));

    // The highlight fades while the time since the last value grows.
    m_now = 2600;
    m_monitor->refresh();
    EXPECT_FALSE(highlighted(0));
    EXPECT_EQ(cell(0, TFNmeaMonitor::ColSince), m_state.msg(Text::SecondsAgo).arg(QStringLiteral("1.6")));

    QTest::mouseClick(m_monitor->Btn_Clear, Qt::LeftButton);
    EXPECT_EQ(cell(0, TFNmeaMonitor::ColHits), u"0");
    EXPECT_EQ(m_monitor->ASG_Unused->rowCount(), 0);
    EXPECT_EQ(m_monitor->ASG_Lines->rowCount(), 0);
    EXPECT_EQ(counters(), (QStringList{"0", "0", "0", "0", "0", "0"}));
}

// The GPS on RS232 and the wind on RS485 2, each on its own serial line, watched together.
TEST_F(MonitorWindowTest, TwoChannelsListenAtOnceThroughTwoPseudoTerminals) {
    openMonitor();
    struct Line {
        const char* channel;
        int master = -1;
        int slave = -1;
    };
    Line lines[] = {{"RS232"}, {"RS485 2"}};
    for (Line& line : lines) {
        char path[128] = {};
        ASSERT_EQ(openpty(&line.master, &line.slave, path, nullptr, nullptr), 0);
        row(line.channel)->CB_Port->setCurrentText(QString::fromLocal8Bit(path));
        start(Kind::SerialPort, row(line.channel));
    }
    ASSERT_TRUE(waitFor([&] { return row("RS232")->isListening() && row("RS485 2")->isListening(); }));
    const auto send = [](const Line& line, const QByteArray& bytes) {
        ASSERT_EQ(write(line.master, bytes.constData(), size_t(bytes.size())), bytes.size());
    };
    send(lines[0], framed("HEHDT,274.07,T") + "\r\n" + framed("WIMWV,045.5,R,12.4,N,A") + "\r\n");
    send(lines[1], framed("WIMWV,050.0,R,7.5,N,A") + "\r\n");
    ASSERT_TRUE(waitFor([this] {
        return cell(0, TFNmeaMonitor::ColHits) == u"1" && cell(1, TFNmeaMonitor::ColHits) == u"1" &&
               cell(2, TFNmeaMonitor::ColHits) == u"1";
    }));
    EXPECT_EQ(cell(0, TFNmeaMonitor::ColValue), u"2740.7");
    EXPECT_EQ(cell(1, TFNmeaMonitor::ColValue), u"7.5") << "RS485 2's own wind";
    EXPECT_EQ(cell(2, TFNmeaMonitor::ColValue), u"4.55") << "RS232's wind";
    EXPECT_TRUE(statusIs(Text::Listening, "RS232"));
    EXPECT_TRUE(statusIs(Text::Listening, "RS485 2"));
    QStringList channels = lineColumn(TFNmeaMonitor::LineChannel);
    channels.sort();
    EXPECT_EQ(channels, (QStringList{"RS232", "RS232", "RS485 2"}));

    // Stopping one leaves the other listening.
    QTest::mouseClick(row("RS232")->Btn_Stop, Qt::LeftButton);
    EXPECT_FALSE(row("RS232")->isListening());
    EXPECT_TRUE(row("RS485 2")->isListening());
    send(lines[1], framed("WIMWV,051.0,R,8.0,N,A") + "\r\n");
    ASSERT_TRUE(waitFor([this] { return cell(1, TFNmeaMonitor::ColHits) == u"2"; }));
    for (Line& line : lines) {
        close(line.master);
        close(line.slave);
    }
}

TEST_F(MonitorWindowTest, LargeLogShowsReplayProgress) {
    openMonitor();
    QByteArray log;
    const QByteArray line = framed("HEHDT,274.07,T") + "\r\n";
    while (log.size() < MonitorChannel::ProgressFromBytes + 1024)
        log += line;
    row()->E_LogFile->setText(writeLog(log));
    int progressShown = 0;
    QObject::connect(row()->PB_Replay, &QProgressBar::valueChanged, m_monitor,
                     [&progressShown](int value) { progressShown = std::max(progressShown, value); });
    start(Kind::LogFile);
    // Megabytes through a sanitizer build on a busy machine take their time; only the end matters.
    ASSERT_TRUE(waitFor([this] { return statusIs(Text::LogEnded); }, 60000));
    EXPECT_TRUE(row()->PB_Replay->isVisible());
    EXPECT_EQ(progressShown, row()->PB_Replay->maximum());
    EXPECT_EQ(cell(0, TFNmeaMonitor::ColHits), QString::number(log.size() / line.size()));
}

// A source that fails shows the system's reason in the window, which stays ready for another.
TEST_F(MonitorWindowTest, FailingSourcesShowTheReasonAndLeaveTheWindowUsable) {
    openMonitor();
    m_monitor->setUdpAddress(QStringLiteral("127.0.0.1"));
    MonitorChannel* source = row();
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
             source->E_Host->setText(QStringLiteral("127.0.0.1"));
             source->E_TcpPort->setValue(closedPort);
         },
         QStringLiteral("refused")},
        {"UDP port in use", Kind::Udp, [&] { source->E_UdpPort->setValue(holder.localPort()); },
         m_state.msg(Text::PortInUse)},
        {"missing log", Kind::LogFile,
         [&] { source->E_LogFile->setText(programPath(QStringLiteral("none.nmea"))); },
         QStringLiteral("No such file")},
        {"device as the log", Kind::LogFile, [&] { source->E_LogFile->setText(QStringLiteral("/dev/null")); },
         m_state.msg(Text::NotRegularFile)},
        {"missing serial port", Kind::SerialPort,
         [&] { source->CB_Port->setCurrentText(QStringLiteral("/dev/tessellor-no-such-port")); },
         QStringLiteral("No such file")},
        {"no log chosen", Kind::LogFile, [&] { source->E_LogFile->clear(); }, m_state.msg(Text::NoLogFile)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.prepare();
        start(c.kind);
        ASSERT_TRUE(waitFor([this] { return statusIs(Text::SourceFailed); }));
        EXPECT_TRUE(status().contains(c.reason)) << qPrintable(status());
        EXPECT_TRUE(source->L_Status->property("error").toBool());
        EXPECT_FALSE(source->isListening());
        EXPECT_FALSE(source->Btn_Stop->isEnabled());
        EXPECT_TRUE(m_monitor->isVisible());
    }
    EXPECT_TRUE(m_boxes.shown().empty());

    // Then a source that works: UDP datagrams from this computer, described in the chosen language.
    quint16 freePort = 0;
    {
        QUdpSocket probe;
        ASSERT_TRUE(probe.bind(QHostAddress::LocalHost, 0));
        freePort = probe.localPort();
    }
    m_state.Msg_Catalog.setText(Text::UdpDescription, QStringLiteral("porta UDP %1"));
    source->E_UdpPort->setValue(freePort);
    start(Kind::Udp);
    ASSERT_TRUE(waitFor([this] { return statusIs(Text::Listening); })) << qPrintable(status());
    EXPECT_TRUE(status().endsWith(QStringLiteral("porta UDP %1").arg(freePort))) << qPrintable(status());
    EXPECT_TRUE(source->isListening());
    EXPECT_FALSE(source->L_Status->property("error").toBool());
    QUdpSocket sender;
    sender.writeDatagram(framed("HEHDT,274.07,T"), QHostAddress::LocalHost, freePort);
    sender.writeDatagram(framed("HEHDT,275.10,T"), QHostAddress::LocalHost, freePort);
    ASSERT_TRUE(waitFor([this] { return cell(0, TFNmeaMonitor::ColHits) == u"2"; }));
    EXPECT_EQ(cell(0, TFNmeaMonitor::ColLast), u"275.10");

    // Closing the window stops listening.
    m_monitor->close();
    EXPECT_FALSE(source->isListening());
    EXPECT_TRUE(statusIs(Text::Stopped));
}

// The sources are a module beside the program; without it the monitor still opens and says why it
// cannot listen, and listens as soon as the module is back.
TEST_F(MonitorWindowTest, MissingSourcesModuleIsReportedAndNothingElseBreaks) {
    const QString emptyFolder = programPath(QStringLiteral("no-module"));
    ASSERT_TRUE(QDir().mkpath(emptyFolder));
    Platform::NmeaSourceModule::setFolder(emptyFolder);
    openMonitor();
    row()->E_LogFile->setText(writeLog(sampleLog()));
    start(Kind::LogFile);
    EXPECT_TRUE(statusIs(Text::ModuleFailed)) << qPrintable(status());
    EXPECT_TRUE(status().contains(Platform::NmeaSourceModule::fileName()));
    EXPECT_TRUE(row()->L_Status->property("error").toBool());
    EXPECT_FALSE(row()->isListening());
    EXPECT_EQ(row()->CB_Port->count(), 0);
    EXPECT_TRUE(m_boxes.shown().empty());

    Platform::NmeaSourceModule::setFolder(QStringLiteral(TESSELLOR_NMEA_MODULE_DIR));
    start(Kind::LogFile);
    ASSERT_TRUE(waitFor([this] { return statusIs(Text::LogEnded); })) << qPrintable(status());
    EXPECT_EQ(cell(0, TFNmeaMonitor::ColHits), u"2");
}

TEST_F(MonitorWindowTest, SerialPortUsesTheChannelsSettingsAndTheChangesMadeHere) {
    openMonitor();
    MonitorChannel* source = row("RS485 2");
    EXPECT_EQ(source->CB_Baud->currentText(), u"9600");
    EXPECT_EQ(source->CB_Parity->currentText(), u"EVEN");
    EXPECT_EQ(source->CB_StopBits->currentText(), u"2 bits");
    EXPECT_EQ(row("RS232")->CB_Baud->currentText(), u"4800") << "each channel its own line";
    ASSERT_NE(row("RS485 1"), nullptr);
    EXPECT_EQ(row("RS485 / RS422"), row("RS485 1"));
    EXPECT_EQ(row("RS422"), nullptr);
    source->CB_Baud->setCurrentText(QStringLiteral("19200"));

    int master = -1;
    int slave = -1;
    char path[128] = {};
    ASSERT_EQ(openpty(&master, &slave, path, nullptr, nullptr), 0);
    source->CB_Port->setCurrentText(QString::fromLocal8Bit(path));
    start(Kind::SerialPort, source);
    ASSERT_TRUE(waitFor([source] { return source->isListening(); })) << qPrintable(status("RS485 2"));
    EXPECT_TRUE(status("RS485 2").endsWith(QStringLiteral("%1, 19200 8E2").arg(QString::fromLocal8Bit(path))))
        << qPrintable(status("RS485 2"));
    termios settings{};
    ASSERT_EQ(tcgetattr(slave, &settings), 0);
    EXPECT_EQ(cfgetispeed(&settings), speed_t(B19200));
    EXPECT_TRUE(settings.c_cflag & CSTOPB);

    const QByteArray wind = framed("WIMWV,045.5,R,12.4,N,A") + "\r\n";
    ASSERT_EQ(write(master, wind.constData(), size_t(wind.size())), wind.size());
    ASSERT_TRUE(waitFor([this] { return cell(1, TFNmeaMonitor::ColHits) == u"1"; }));
    EXPECT_EQ(cell(1, TFNmeaMonitor::ColValue), u"12.4");

    QTest::mouseClick(source->Btn_Stop, Qt::LeftButton);
    EXPECT_FALSE(source->isListening());
    EXPECT_TRUE(statusIs(Text::Stopped, "RS485 2"));
    close(master);
    close(slave);
}

// The far side writes half a sentence, the connection ends, the rest comes over the next one: the
// halves never make a sentence ("$HEHDT,91.5,T" would feed 91.5).
TEST_F(MonitorWindowTest, HalvesOfALineFromTwoConnectionsAreNeverJoined) {
    openMonitor();
    MonitorChannel* source = row();
    const QByteArray firstHalf = framed("HEHDT,274.07,T") + "\r\n$HEHDT,9";
    const QByteArray secondHalf = "1.5,T\r\n";
    const auto expectApart = [this, source] {
        ASSERT_TRUE(waitFor([this, source] {
            return source->monitor().counts().lines >= 3 || cell(0, TFNmeaMonitor::ColHits) == u"2";
        }));
        EXPECT_EQ(cell(0, TFNmeaMonitor::ColHits), u"1");
        EXPECT_EQ(cell(0, TFNmeaMonitor::ColLast), u"274.07");
        EXPECT_EQ(source->monitor().counts().badLines, 2) << "both halves are cut lines";
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
    source->CB_Port->setCurrentText(QString::fromLocal8Bit(path));
    start(Kind::SerialPort);
    ASSERT_TRUE(waitFor([source] { return source->isListening(); }));
    toPort(firstHalf);
    ASSERT_TRUE(waitFor([this] { return cell(0, TFNmeaMonitor::ColHits) == u"1"; }));
    QTest::qWait(100); // the half line, should the port deliver it apart
    QTest::mouseClick(source->Btn_Stop, Qt::LeftButton);
    start(Kind::SerialPort);
    ASSERT_TRUE(waitFor([source] { return source->isListening(); }));
    toPort(secondHalf);
    expectApart();
    source->Btn_StopClick();
    close(master);
    close(slave);

    // A TCP connection the far side closes, and a new one.
    QTcpServer server;
    QTcpSocket* peer = connectTcp(server, source);
    ASSERT_NE(peer, nullptr);
    peer->write(firstHalf);
    ASSERT_TRUE(waitFor([this] { return cell(0, TFNmeaMonitor::ColHits) == u"1"; }));
    QTest::qWait(100);
    peer->close();
    ASSERT_TRUE(waitFor([this] { return statusIs(Text::SourceFailed); }));
    start(Kind::TcpClient);
    ASSERT_TRUE(waitFor([&] { return source->isListening() && server.hasPendingConnections(); }));
    peer = server.nextPendingConnection();
    peer->write(secondHalf);
    expectApart();
}

// The status line says what the source is doing: connecting until it is connected, receiving
// nothing, closed by the far side; a failure goes when another kind of source is chosen.
TEST_F(MonitorWindowTest, StatusLineSaysWhatTheSourceIsDoing) {
    openMonitor();
    MonitorChannel* source = row();
    m_monitor->setStallAfter(2000);
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    source->E_Host->setText(QStringLiteral("127.0.0.1"));
    source->E_TcpPort->setValue(server.serverPort());
    start(Kind::TcpClient);
    EXPECT_TRUE(statusIs(Text::Connecting)) << qPrintable(status());
    EXPECT_TRUE(status().endsWith(QStringLiteral("127.0.0.1:%1").arg(server.serverPort())));
    ASSERT_TRUE(waitFor([&] { return source->isListening() && server.hasPendingConnections(); }));
    EXPECT_TRUE(statusIs(Text::Listening)) << qPrintable(status());
    QTcpSocket* peer = server.nextPendingConnection();

    // Nothing arrives for the stall interval, then a sentence.
    m_now += 1999;
    m_monitor->refresh();
    EXPECT_TRUE(statusIs(Text::Listening));
    m_now += 1001;
    m_monitor->refresh();
    const QString stalled = m_state.msg(Text::Stalled).arg(3);
    EXPECT_TRUE(status().startsWith(stalled)) << qPrintable(status());
    EXPECT_FALSE(source->L_Status->property("error").toBool());
    peer->write(framed("HEHDT,274.07,T") + "\r\n");
    ASSERT_TRUE(waitFor([this] { return cell(0, TFNmeaMonitor::ColHits) == u"1"; }));
    EXPECT_TRUE(statusIs(Text::Listening)) << qPrintable(status());

    // The far side closes; choosing another kind of source clears the failure.
    peer->close();
    ASSERT_TRUE(waitFor([this] { return statusIs(Text::SourceFailed); }));
    source->CB_Source->setCurrentIndex(static_cast<int>(Kind::Udp));
    EXPECT_TRUE(statusIs(Text::Stopped)) << qPrintable(status());
    EXPECT_FALSE(source->L_Status->property("error").toBool());

    // A serial port that the system closes under the monitor: the pseudo-terminal's other side goes.
    int master = -1;
    int slave = -1;
    char path[128] = {};
    ASSERT_EQ(openpty(&master, &slave, path, nullptr, nullptr), 0);
    source->CB_Port->setCurrentText(QString::fromLocal8Bit(path));
    start(Kind::SerialPort);
    ASSERT_TRUE(waitFor([source] { return source->isListening(); }));
    close(slave);
    close(master);
    ASSERT_TRUE(waitFor([this] { return statusIs(Text::SourceFailed); }));
    EXPECT_EQ(status(), m_state.msg(Text::SourceFailed) + m_state.msg(Text::PortClosed));
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
        row()->E_LogFile->setText(writeLog(log));
        start(Kind::LogFile);
        ASSERT_TRUE(waitFor([this] { return statusIs(Text::LogEnded); }));
    };
    QTableWidget* pane = m_monitor->ASG_Lines;
    const auto newest = [pane] { return pane->item(pane->rowCount() - 1, TFNmeaMonitor::LineText)->text(); };

    receive(0, 250);
    ASSERT_EQ(pane->rowCount(), Nmea::Monitor::DefaultHistory);
    EXPECT_EQ(newest(), framed("HEHDT,249,T"));

    pane->verticalScrollBar()->setValue(0);
    const QStringList before = lineColumn(TFNmeaMonitor::LineText);
    receive(250, 10);
    EXPECT_EQ(lineColumn(TFNmeaMonitor::LineText), before) << "scrolled back, the rows hold";
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

// Each last line with the time it came to the millisecond, its channel and why it was not taken;
// the filter box keeps the lines that hold its text (an address, a value); the selected line's bytes
// show in hex.
TEST_F(MonitorWindowTest, LastLinesWithTimeReasonFilterAndHex) {
    openMonitor();
    // A heading, a line cut by the next start, one too long and one without an address, a second
    // before the sample watch; then a text with a byte outside ASCII.
    m_now = 45296789; // 12:34:56.789 after the epoch
    QByteArray faults = framed("HEHDT,274.07,T") + "\r\n$HEHDT,27" + framed("HEHDT,275.00,T") +
                        "\r\n$GPTXT," + QByteArray(1100, 'A') + "\r\nno address here\r\n";
    row()->E_LogFile->setText(writeLog(faults));
    start(Kind::LogFile);
    ASSERT_TRUE(waitFor([this] { return statusIs(Text::LogEnded); }));
    m_now += 1001;
    row()->E_LogFile->setText(writeLog(sampleLog()));
    start(Kind::LogFile);
    ASSERT_TRUE(waitFor([this] { return statusIs(Text::LogEnded); }));
    const auto timeOf = [](qint64 ms) {
        return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("HH:mm:ss.zzz"));
    };
    const QStringList times = lineColumn(TFNmeaMonitor::LineTime);
    ASSERT_EQ(times.size(), 12);
    EXPECT_EQ(times.count(timeOf(45296789)), 5);
    EXPECT_EQ(times.count(timeOf(45297790)), 7);
    EXPECT_TRUE(times.first().endsWith(u"56.789")) << qPrintable(times.first());
    const QString none;
    EXPECT_EQ(lineColumn(TFNmeaMonitor::LineReason),
              (QStringList{none, m_state.msg(Text::ReasonCut), none, m_state.msg(Text::ReasonTooLong),
                           m_state.msg(Text::ReasonNoAddress), none, none, none, none, none,
                           m_state.msg(Text::ReasonChecksum), m_state.msg(Text::ReasonNoAddress)}));
    row()->E_LogFile->setText(writeLog(framed("GPTXT,caf\xe9") + "\r\n"));
    start(Kind::LogFile);
    ASSERT_TRUE(waitFor([this] { return statusIs(Text::LogEnded); }));
    EXPECT_EQ(lineColumn(TFNmeaMonitor::LineReason).last(), m_state.msg(Text::ReasonNotPrintable));

    QTest::mouseClick(m_monitor->Btn_Clear, Qt::LeftButton);
    row()->E_LogFile->setText(writeLog(sampleLog()));
    start(Kind::LogFile);
    ASSERT_TRUE(waitFor([this] { return statusIs(Text::LogEnded); }));
    ASSERT_EQ(m_monitor->ASG_Lines->rowCount(), 7);

    const struct {
        const char* filter;
        int lines;
    } cases[] = {{"hehdt", 4}, {"GPGGA", 1}, {"275.10", 1}, {"noise", 1}, {"GLGSV", 0}, {"", 7}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter);
        QTest::keyClick(m_monitor->E_Filter, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(m_monitor->E_Filter, Qt::Key_Delete);
        QTest::keyClicks(m_monitor->E_Filter, QString::fromLatin1(c.filter));
        EXPECT_EQ(m_monitor->ASG_Lines->rowCount(), c.lines);
        for (const QString& text : lineColumn(TFNmeaMonitor::LineText))
            EXPECT_TRUE(text.contains(QString::fromLatin1(c.filter), Qt::CaseInsensitive))
                << qPrintable(text);
    }

    // The noise line: its bytes as they came, the unprintable ones as dots beside.
    m_monitor->ASG_Lines->setCurrentCell(6, TFNmeaMonitor::LineText);
    EXPECT_EQ(m_monitor->E_Hex->toPlainText(), u"01 02 6E 6F 69 73 65 FF");
}

// The monitor stands beside the rules window and both are used at once: an edit in the rules
// reaches the monitor while its sources keep running; closing the rules closes the monitor.
TEST_F(MonitorWindowTest, BesideTheRulesWindowFollowingItsEdits) {
    EXPECT_EQ(m_rulesWindow->Btn_Monitor->geometry(), QRect(842, 6, 110, 28));
    EXPECT_EQ(m_rulesWindow->Btn_Monitor->text(), m_state.msg(Text::OpenButton));

    // Rows edited and not saved: the wind speed alone, on RS485 2.
    m_rulesWindow->showRules(NmeaSamples::table({{"HDT", kHeading, "", "x 10", "RS232", true, "0"},
                                                 {"MWV", kWindSpeed, "", "x 100", "RS485 2", true, "20"}}));
    ASSERT_TRUE(m_rulesWindow->hasUnsavedChanges());
    openMonitor();
    EXPECT_FALSE(m_monitor->isModal());
    EXPECT_EQ(m_monitor->windowModality(), Qt::NonModal);
    ASSERT_EQ(m_monitor->ASG_Rules->rowCount(), 2);
    EXPECT_EQ(cell(1, TFNmeaMonitor::ColField), QString::fromLatin1(kWindSpeed));
    EXPECT_EQ(cell(1, TFNmeaMonitor::ColBytes), u"20-23");

    quint16 port = 0;
    {
        QUdpSocket probe;
        ASSERT_TRUE(probe.bind(QHostAddress::LocalHost, 0));
        port = probe.localPort();
    }
    m_monitor->setUdpAddress(QStringLiteral("127.0.0.1"));
    MonitorChannel* source = row("RS485 2");
    source->E_UdpPort->setValue(port);
    start(Kind::Udp, source);
    ASSERT_TRUE(waitFor([source] { return source->isListening(); }));
    QUdpSocket sender;
    sender.writeDatagram(framed("WIMWV,045.5,R,12.4,N,A"), QHostAddress::LocalHost, port);
    ASSERT_TRUE(waitFor([this] { return cell(1, TFNmeaMonitor::ColHits) == u"1"; }));
    EXPECT_EQ(cell(1, TFNmeaMonitor::ColValue), u"1240");

    // The rules window takes input while the monitor is open: a heading rule is changed and the
    // wind speed moves to row 3, as typed there.
    ASSERT_TRUE(m_rulesWindow->isEnabled());
    ASSERT_EQ(QApplication::activeModalWidget(), nullptr);
    m_rulesWindow->showRules(NmeaSamples::table({{"HDT", kHeading, "", ": 10", "RS232", true, "0"},
                                                 {"HDT", kHeading, "", "None", "RS485 2", true, "4"},
                                                 {"MWV", kWindSpeed, "", "x 100", "RS485 2", true, "20"}}));
    QApplication::processEvents();
    m_monitor->refresh();
    ASSERT_EQ(m_monitor->ASG_Rules->rowCount(), 3);
    EXPECT_EQ(cell(1, TFNmeaMonitor::ColSentence), u"HDT");
    EXPECT_EQ(cell(1, TFNmeaMonitor::ColHits), u"0") << "a new rule starts afresh";
    EXPECT_EQ(cell(2, TFNmeaMonitor::ColRule), u"3");
    EXPECT_EQ(cell(2, TFNmeaMonitor::ColHits), u"1") << "the unchanged rule keeps its count";
    EXPECT_EQ(cell(2, TFNmeaMonitor::ColValue), u"1240");
    EXPECT_TRUE(source->isListening()) << "the source keeps running";
    sender.writeDatagram(framed("HEHDT,274.07,T"), QHostAddress::LocalHost, port);
    ASSERT_TRUE(waitFor([this] { return cell(1, TFNmeaMonitor::ColHits) == u"1"; }));
    EXPECT_EQ(cell(1, TFNmeaMonitor::ColValue), u"274.07");
    EXPECT_TRUE(m_rulesWindow->hasUnsavedChanges()) << "the monitor changes no rule";

    // A language change reaches the monitor through the rules window.
    m_state.Msg_Catalog.setText(Text::Title, QStringLiteral("Monitor NMEA 0183"));
    m_state.Msg_Catalog.setText(Text::Listening, QStringLiteral("In ascolto su "));
    m_main->Change_Language();
    EXPECT_EQ(m_monitor->windowTitle(), u"Monitor NMEA 0183");
    EXPECT_TRUE(status("RS485 2").startsWith(u"In ascolto su ")) << qPrintable(status("RS485 2"));

    // Closing the rules window closes the monitor and ends its listening.
    m_rulesWindow->hide();
    EXPECT_FALSE(m_monitor->isVisible());
    EXPECT_FALSE(source->isListening());
    EXPECT_TRUE(statusIs(Text::Stopped, "RS485 2"));
}

// The traps of a watch where every sentence is good: two talkers feeding the heading rule, a wind
// sentence saying its data is not valid. Each shows on its rule and in the summary line.
TEST_F(MonitorWindowTest, FindingsShowOnTheirRulesAndInTheSummary) {
    openMonitor();
    EXPECT_EQ(m_monitor->L_Findings->text(), m_state.msg(Text::NoFindings));
    const QByteArray log = framed("HEHDT,274.07,T") + "\r\n" + framed("GPHDT,275.00,T") + "\r\n" +
                           framed("WIMWV,045.5,R,12.4,N,V") + "\r\n";
    row()->E_LogFile->setText(writeLog(log));
    start(Kind::LogFile);
    ASSERT_TRUE(waitFor([this] { return statusIs(Text::LogEnded); }));

    const QList<Nmea::MonitorFinding> found = row()->monitor().findings(m_now, m_state.Msg_Catalog);
    ASSERT_EQ(found.size(), 2);
    EXPECT_EQ(found[0].kind, QString::fromLatin1(Nmea::FindingKind::MixedTalkers));
    EXPECT_EQ(found[1].kind, QString::fromLatin1(Nmea::FindingKind::InvalidStatus));
    const auto marked = [this](int r) {
        return !m_monitor->ASG_Rules->item(r, TFNmeaMonitor::ColRule)->icon().isNull();
    };
    EXPECT_TRUE(marked(0));
    EXPECT_FALSE(marked(1));
    EXPECT_TRUE(marked(2));
    EXPECT_TRUE(m_monitor->ASG_Rules->item(0, TFNmeaMonitor::ColRule)->toolTip().contains(found[0].message));
    EXPECT_TRUE(m_monitor->ASG_Rules->item(2, TFNmeaMonitor::ColRule)->toolTip().contains(found[1].message));
    EXPECT_TRUE(m_monitor->L_Findings->text().startsWith(m_state.msg(Text::FindingsSummary).arg(2)))
        << qPrintable(m_monitor->L_Findings->text());
    // The invalid wind angle is shown, marked.
    const QTableWidgetItem* angle = m_monitor->ASG_Rules->item(2, TFNmeaMonitor::ColValue);
    EXPECT_EQ(angle->text(), u"4.55");
    EXPECT_TRUE(angle->font().strikeOut());
    EXPECT_EQ(angle->toolTip(), m_state.msg(Text::InvalidValueTip));
    EXPECT_FALSE(m_monitor->ASG_Rules->item(0, TFNmeaMonitor::ColValue)->font().strikeOut());

    // Filtered to another channel, RS232's findings are not summed up.
    m_monitor->CB_Channel->setCurrentText(QStringLiteral("RS485 2"));
    EXPECT_EQ(m_monitor->L_Findings->text(), m_state.msg(Text::NoFindings));
}

// The Output array as the PLC would receive it: each rule's last value in its bytes, coloured as
// the data map colours the rule, and a value its type cannot hold among the findings.
TEST_F(MonitorWindowTest, OutputArrayShowsTheRulesValuesAsSent) {
    openMonitor();
    row()->E_LogFile->setText(
        writeLog(framed("HEHDT,274.07,T") + "\r\n" + framed("WIMWV,045.5,R,12.4,N,A") + "\r\n"));
    start(Kind::LogFile);
    ASSERT_TRUE(waitFor([this] { return statusIs(Text::LogEnded); }));
    const QStringList lines = m_monitor->E_Output->toPlainText().split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 31); // the 496 bytes of the Output array
    // The heading x 10 at 0, the wind angle : 10 at 4, the RS485 2 wind speed at 10 not yet fed.
    EXPECT_EQ(lines[0], "0000: 33 4b 2b 45 9a 99 91 40 00 00 00 00 00 00 00 00");
    EXPECT_EQ(m_monitor->outputArray().bytes().left(8), QByteArray::fromHex("334b2b459a999140"));
    const QString html = m_monitor->E_Output->toHtml();
    EXPECT_TRUE(html.contains(MapColours::ruleColour(0).name())) << html.toStdString();
    EXPECT_TRUE(html.contains(MapColours::ruleColour(2).name()));
    EXPECT_EQ(m_monitor->L_Findings->text(), m_state.msg(Text::NoFindings));

    // A heading of 4e37 x 10 is past what a REAL holds.
    QTest::mouseClick(m_monitor->Btn_Clear, Qt::LeftButton);
    EXPECT_TRUE(m_monitor->E_Output->toPlainText().startsWith("0000: 00 00 00 00 00 00 00 00"));
    row()->E_LogFile->setText(writeLog(framed("HEHDT,4e37,T") + "\r\n"));
    start(Kind::LogFile);
    ASSERT_TRUE(waitFor([this] { return statusIs(Text::LogEnded); }));
    EXPECT_TRUE(m_monitor->E_Output->toPlainText().startsWith("0000: 00 00 80 7f"));
    EXPECT_TRUE(m_monitor->L_Findings->text().contains("Rule 1: 4e+37 × 10 = 4e+38 does not fit REAL"))
        << m_monitor->L_Findings->text().toStdString();
    EXPECT_FALSE(m_monitor->ASG_Rules->item(0, TFNmeaMonitor::ColRule)->icon().isNull());
}

// A serial line read at the wrong rate gives only bad lines: after two seconds the status line says
// so, and Find baud rate listens at each rate and offers the one that gives sentences. On a
// pseudo-terminal Linux ignores the rate, so what the far side writes depends on the rate being
// tried: sentences at 19200, noise at the others. This tests the window's search, not the line.
TEST_F(MonitorWindowTest, WrongBaudRateIsSuspectedAndFound) {
    openMonitor();
    MonitorChannel* source = row();
    int master = -1;
    int slave = -1;
    char path[128] = {};
    ASSERT_EQ(openpty(&master, &slave, path, nullptr, nullptr), 0);
    const auto toPort = [master](const QByteArray& bytes) {
        return write(master, bytes.constData(), size_t(bytes.size())) == bytes.size();
    };
    const QByteArray noise = "\x8f\xe3$\xa1\xc6*\xff\x11\x98\r\n";
    source->CB_Port->setCurrentText(QString::fromLocal8Bit(path));
    start(Kind::SerialPort);
    ASSERT_TRUE(waitFor([source] { return source->isListening(); }));
    ASSERT_TRUE(toPort(noise + noise));
    ASSERT_TRUE(waitFor([source] { return source->monitor().counts().badLines >= 2; }));
    m_now += 1999;
    m_monitor->refresh();
    EXPECT_FALSE(source->wrongBaud(m_now));
    m_now += 1;
    m_monitor->refresh();
    const std::optional<Nmea::MonitorFinding> suspected = source->wrongBaud(m_now);
    ASSERT_TRUE(suspected);
    EXPECT_TRUE(status().contains(suspected->message)) << qPrintable(status());
    EXPECT_TRUE(m_monitor->L_Findings->text().contains(QStringLiteral("RS232: ") + suspected->message));

    source->setBaudListenMs(250);
    QTimer farSide;
    QList<qint32> tried;
    QObject::connect(&farSide, &QTimer::timeout, [&] {
        const qint32 rate = source->baudBeingTried();
        if (rate && (tried.isEmpty() || tried.last() != rate))
            tried << rate;
        if (rate == 19200)
            toPort(framed("HEHDT,274.07,T") + "\r\n");
        else if (rate)
            toPort(noise);
    });
    farSide.start(20);
    QTest::mouseClick(source->Btn_FindBaud, Qt::LeftButton);
    EXPECT_TRUE(statusIs(Text::TryingBaud) || status().startsWith(m_state.msg(Text::TryingBaud).arg(4800)))
        << qPrintable(status());
    ASSERT_TRUE(waitFor([&] { return !m_boxes.shown().empty(); })) << qPrintable(status());
    farSide.stop();
    EXPECT_EQ(tried, (QList<qint32>{4800, 9600, 19200, 38400, 57600, 115200}));
    EXPECT_EQ(m_boxes.lastText(), m_state.msg(Text::BaudFound).arg(19200));
    // Answered Yes: the monitor listens at the rate found.
    EXPECT_EQ(source->CB_Baud->currentText(), u"19200");
    ASSERT_TRUE(waitFor([source] { return source->isListening(); }));
    termios settings{};
    ASSERT_EQ(tcgetattr(slave, &settings), 0);
    EXPECT_EQ(cfgetispeed(&settings), speed_t(B19200));

    // Nothing but noise at every rate: nothing is offered.
    m_boxes.clear();
    farSide.disconnect();
    QObject::connect(&farSide, &QTimer::timeout, [&] { toPort(noise); });
    farSide.start(20);
    QTest::mouseClick(source->Btn_FindBaud, Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return !m_boxes.shown().empty(); }));
    farSide.stop();
    EXPECT_EQ(m_boxes.lastText(), m_state.msg(Text::BaudNotFound));
    EXPECT_EQ(source->CB_Baud->currentText(), u"19200");
    EXPECT_FALSE(source->isListening());
    close(master);
    close(slave);
}

// What a source receives is recorded as it arrives; the recording replayed gives the same counts
// and values as listening did.
TEST_F(MonitorWindowTest, RecordingReplaysToTheSameCountsAndValues) {
    openMonitor();
    MonitorChannel* source = row();
    const QString recording = programPath(QStringLiteral("recorded.nmea"));
    source->setRecordFileChooser([recording] { return recording; });
    QTest::mouseClick(source->Btn_Record, Qt::LeftButton);
    ASSERT_TRUE(source->isRecording());
    EXPECT_TRUE(source->Btn_Record->isChecked());
    EXPECT_TRUE(source->L_Recording->isVisible());

    // Over TCP, in pieces that split lines.
    QTcpServer server;
    QTcpSocket* peer = connectTcp(server, source);
    ASSERT_NE(peer, nullptr);
    const QByteArray log = sampleLog();
    for (qsizetype at = 0; at < log.size(); at += 17) {
        peer->write(log.mid(at, 17));
        peer->flush();
        QTest::qWait(5);
    }
    ASSERT_TRUE(waitFor([source] { return source->monitor().counts().lines == 7; }));
    m_monitor->refresh();
    EXPECT_EQ(
        source->L_Recording->text(),
        m_state.msg(Text::Recording)
            .arg(recording, QLocale().formattedDataSize(log.size(), 1, QLocale::DataSizeTraditionalFormat)));
    QTest::mouseClick(source->Btn_Record, Qt::LeftButton);
    EXPECT_FALSE(source->isRecording());
    EXPECT_FALSE(source->L_Recording->isVisible());
    QTest::mouseClick(source->Btn_Stop, Qt::LeftButton);
    const QStringList countsHeard = counters();
    QStringList valuesHeard;
    for (int r = 0; r < m_monitor->ASG_Rules->rowCount(); ++r)
        valuesHeard << cell(r, TFNmeaMonitor::ColHits) << cell(r, TFNmeaMonitor::ColLast)
                    << cell(r, TFNmeaMonitor::ColValue);

    QTest::mouseClick(m_monitor->Btn_Clear, Qt::LeftButton);
    source->E_LogFile->setText(recording);
    start(Kind::LogFile);
    ASSERT_TRUE(waitFor([this] { return statusIs(Text::LogEnded); }));
    EXPECT_EQ(counters(), countsHeard);
    QStringList valuesReplayed;
    for (int r = 0; r < m_monitor->ASG_Rules->rowCount(); ++r)
        valuesReplayed << cell(r, TFNmeaMonitor::ColHits) << cell(r, TFNmeaMonitor::ColLast)
                       << cell(r, TFNmeaMonitor::ColValue);
    EXPECT_EQ(valuesReplayed, valuesHeard);
    EXPECT_TRUE(m_boxes.shown().empty());
}

// A full disk stops the recording with a message; listening goes on.
TEST_F(MonitorWindowTest, FullDiskStopsTheRecordingWithAMessage) {
    openMonitor();
    MonitorChannel* source = row();
    source->setRecordFileChooser([] { return QStringLiteral("/dev/full"); });
    QTest::mouseClick(source->Btn_Record, Qt::LeftButton);
    ASSERT_TRUE(source->isRecording());
    source->E_LogFile->setText(writeLog(sampleLog()));
    start(Kind::LogFile);
    ASSERT_TRUE(waitFor([this] { return statusIs(Text::LogEnded); }));
    EXPECT_FALSE(source->isRecording());
    EXPECT_FALSE(source->Btn_Record->isChecked());
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_TRUE(m_boxes.lastText().startsWith(m_state.msg(TextSlot::MonitorFindings::RecordingStopped)
                                                  .arg(0)
                                                  .arg(QStringLiteral("/dev/full"))
                                                  .section(u':', 0, 0)))
        << qPrintable(m_boxes.lastText());
    EXPECT_EQ(cell(0, TFNmeaMonitor::ColHits), u"2") << "the monitor heard it all";
}

// Where the monitor stands: under or over the rules window when there is room, else the rules go to
// the top of the screen and the monitor takes the rest, never less than its smallest height.
TEST(MonitorPlacement, StandsBesideTheRulesWindow) {
    const QRect screen(0, 0, 1600, 1000);
    const QSize monitor(1000, 500);
    struct Case {
        const char* name;
        QRect rules;
        QPoint rulesAt;
        QRect expected;
    } cases[] = {
        {"room below", QRect(100, 100, 1200, 337), QPoint(100, 100), QRect(100, 437, 1000, 500)},
        {"room above", QRect(100, 600, 1200, 337), QPoint(100, 600), QRect(100, 100, 1000, 500)},
        {"room neither: rules to the top", QRect(100, 300, 1200, 337), QPoint(100, 0),
         QRect(100, 337, 1000, 500)},
        {"kept on the screen", QRect(900, 100, 600, 337), QPoint(900, 100), QRect(600, 437, 1000, 500)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TFNmeaMonitor::Placement placed = TFNmeaMonitor::besideRules(screen, c.rules, monitor, 400);
        EXPECT_EQ(placed.rulesAt, c.rulesAt);
        EXPECT_EQ(placed.monitor, c.expected);
        EXPECT_FALSE(placed.monitor.intersects(QRect(placed.rulesAt, c.rules.size())));
    }
    // A small screen: the rules to the top and the monitor at its smallest, on the screen.
    const TFNmeaMonitor::Placement small =
        TFNmeaMonitor::besideRules(QRect(0, 0, 1280, 720), QRect(40, 190, 1200, 337), monitor, 400);
    EXPECT_EQ(small.rulesAt, QPoint(40, 0));
    EXPECT_EQ(small.monitor, QRect(40, 320, 1000, 400));
}

} // namespace
