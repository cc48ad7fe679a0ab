#include "ListenCommand.h"

#include "CommandLine.h"
#include "CommandOutput.h"
#include "MonitorReport.h"

#include "core/comm/ParGen.h"
#include "core/comm/SerialLine.h"
#include "core/language/MessageCatalog.h"
#include "core/language/TextSlots.h"
#include "core/nmea/AccessRules.h"
#include "core/nmea/LogRecorder.h"
#include "core/nmea/NmeaMonitor.h"
#include "core/shell/ConfigurationFiles.h"
#include "platform/ConsoleInterrupt.h"
#include "platform/nmea/NmeaSourceModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>

#include <cmath>
#include <optional>

namespace {

using namespace Cli;

const char* const kListenHelp =
    R"(Usage: tessellor-cli listen CONFIG_DIR --channel NAME (--serial DEVICE [--baud N] | --udp PORT |
                             --tcp HOST:PORT) [--seconds N] [--record FILE] [--json] [--output-array]

Listens to one serial channel's instruments as the monitor window does: reads a serial port, a UDP
port or a TCP connection, feeds what arrives to the rules of channel NAME of the configuration
folder CONFIG_DIR, and at the end prints the same report as replay: what every rule received, the
counts of lines, the addresses that feed no rule and the findings (mixed talkers, mixed
references, invalid status, stale rules, values their type in the Output array cannot hold, and
for a serial port a baud rate that looks wrong).

Options:
  --channel NAME    the serial channel whose rules are fed: RS232, "RS485 / RS422" (or "RS485 1"),
                    "RS485 2"
  --serial DEVICE   a serial port ("ttyUSB0", "/dev/ttyUSB0", "COM3"), with the line settings the
                    configuration gives the channel
  --baud N          the serial port's baud rate instead of the configuration's
  --udp PORT        datagrams arriving on this UDP port (10110 is usual)
  --tcp HOST:PORT   a TCP connection to an instrument or a multiplexer
  --seconds N       end N seconds after the source started; without it, listen until Ctrl+C
  --record FILE     record what arrives to FILE as received, for replay or the monitor's log source
  --json            print one JSON object instead of text
  --output-array    also print the EtherNet/IP Output array as the rules' last values fill it, as
                    replay does
  -h, --help        show this help

Exit codes: 0 it listened; 1 the source failed (the report still shows what arrived before), the
recording could not be written, or the rules cannot be read; 2 wrong usage or no such folder.
)";

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

std::optional<quint16> portNumber(const QString& text) {
    bool ok = false;
    const uint port = text.toUInt(&ok);
    if (!ok || port == 0 || port > 65535)
        return std::nullopt;
    return static_cast<quint16>(port);
}

// What the source tells, fed to the monitor and the recording as it arrives.
class Listening final : public Platform::NmeaSourceEvents {
public:
    Listening(Nmea::Monitor& monitor, Nmea::LogRecorder& recorder)
        : m_monitor(monitor), m_recorder(recorder) {
        m_clock.start();
    }

    qint64 now() const { return m_clock.elapsed(); }
    // Milliseconds since the source started; 0 when it never did.
    qint64 listened() const { return m_startedAt < 0 ? 0 : now() - m_startedAt; }
    bool started() const { return m_startedAt >= 0; }
    QString failure() const { return m_failure; }
    bool recordingFailed() const { return m_recordingFailed; }

    // Ends the listening limitMs after the source started.
    void setLimit(std::optional<qint64> limitMs) { m_limitMs = limitMs; }

    void sourceStarted() override {
        m_startedAt = now();
        if (m_limitMs)
            QTimer::singleShot(std::chrono::milliseconds(*m_limitMs), QCoreApplication::instance(),
                               &QCoreApplication::quit);
        standardError() << "tessellor-cli: listen: listening to " << m_description << '\n';
        standardError().flush();
    }
    void sourceBytes(const QByteArray& bytes) override {
        m_monitor.feed(bytes, now());
        if (m_recorder.isRecording() && !m_recorder.write(bytes))
            recordingStopped();
    }
    void sourceMessage(const QByteArray& bytes) override {
        m_monitor.feedMessage(bytes, now());
        if (m_recorder.isRecording() && !m_recorder.writeMessage(bytes))
            recordingStopped();
    }
    void sourceFailed(const QString& reason, Platform::NmeaSourceFailure) override {
        m_failure = reason;
        QCoreApplication::quit();
    }
    void sourceFinished() override { QCoreApplication::quit(); }
    void sourceProgress(qint64, qint64) override {}

    void setDescription(const QString& description) { m_description = description; }

private:
    // Said at once, while listening goes on: the engineer may still want the report.
    void recordingStopped() {
        m_recordingFailed = true;
        standardError() << "tessellor-cli: listen: "
                        << MessageCatalog()
                               .text(TextSlot::MonitorFindings::RecordingStopped)
                               .arg(QString::number(m_recorder.size()), native(m_recorder.path()),
                                    m_recorder.error())
                        << '\n';
        standardError().flush();
    }

    Nmea::Monitor& m_monitor;
    Nmea::LogRecorder& m_recorder;
    QElapsedTimer m_clock;
    qint64 m_startedAt = -1;
    QString m_failure;
    QString m_description;
    std::optional<qint64> m_limitMs;
    bool m_recordingFailed = false;
};

} // namespace

int runListen(const QStringList& words) {
    CommandLine line(QStringLiteral("listen"),
                     {{"--channel", "a channel name"},
                      {"--serial", "a serial port"},
                      {"--baud", "a baud rate"},
                      {"--udp", "a port number"},
                      {"--tcp", "HOST:PORT"},
                      {"--seconds", "a number of seconds"},
                      {"--record", "a file name"},
                      {"--json"},
                      {"--output-array"}},
                     {"CONFIG_DIR"});
    if (!line.parse(words))
        return line.usageError();
    if (line.help()) {
        standardOutput() << kListenHelp;
        standardOutput().flush();
        return Success;
    }

    const int sources = int(line.has("--serial")) + int(line.has("--udp")) + int(line.has("--tcp"));
    if (sources == 0)
        return line.usageError(QStringLiteral("missing the source: --serial, --udp or --tcp"));
    if (sources > 1)
        return line.usageError(QStringLiteral("one source only: --serial, --udp or --tcp"));
    if (!line.has("--channel"))
        return line.usageError(QStringLiteral("missing --channel"));
    const QString channel = Nmea::channelNamed(line.value("--channel"));
    if (channel.isEmpty())
        return line.usageError(QStringLiteral("unknown channel %1").arg(line.value("--channel")));
    if (line.has("--baud") && !line.has("--serial"))
        return line.usageError(QStringLiteral("--baud is for --serial"));

    Platform::NmeaSourceSettings settings;
    if (line.has("--udp")) {
        const std::optional<quint16> port = portNumber(line.value("--udp"));
        if (!port)
            return line.usageError(QStringLiteral("--udp needs a port number from 1 to 65535"));
        settings.kind = Platform::NmeaSourceSettings::Kind::Udp;
        settings.udpPort = *port;
    } else if (line.has("--tcp")) {
        // The port after the last colon, so that "[::1]:10110" names an IPv6 host.
        const QString target = line.value("--tcp");
        const qsizetype colon = target.lastIndexOf(u':');
        const std::optional<quint16> port = colon > 0 ? portNumber(target.sliced(colon + 1)) : std::nullopt;
        if (!port)
            return line.usageError(QStringLiteral("--tcp needs HOST:PORT, the port from 1 to 65535"));
        QString host = target.first(colon);
        if (host.startsWith(u'[') && host.endsWith(u']'))
            host = host.sliced(1, host.size() - 2);
        settings.kind = Platform::NmeaSourceSettings::Kind::TcpClient;
        settings.tcpHost = host;
        settings.tcpPort = *port;
    } else {
        settings.kind = Platform::NmeaSourceSettings::Kind::SerialPort;
        settings.serialPort = line.value("--serial");
    }
    std::optional<qint32> baud;
    if (line.has("--baud")) {
        bool ok = false;
        baud = line.value("--baud").toInt(&ok);
        if (!ok || *baud <= 0)
            return line.usageError(QStringLiteral("--baud needs a positive whole number"));
    }
    std::optional<qint64> limitMs;
    if (line.has("--seconds")) {
        bool ok = false;
        const double seconds = line.value("--seconds").toDouble(&ok);
        if (!ok || !std::isfinite(seconds) || seconds <= 0 || seconds > 1e9)
            return line.usageError(QStringLiteral("--seconds needs a number above 0"));
        limitMs = std::llround(seconds * 1000);
    }

    const QString folder = line.argument("CONFIG_DIR");
    if (!QFileInfo(folder).isDir())
        return line.usageError(QStringLiteral("no such configuration folder %1").arg(native(folder)));
    const ConfigurationFiles files(folder);
    const Nmea::RulesLoad rules = Nmea::loadAccessRules(files.nmeaAccess());
    if (!rules.error.isEmpty())
        return failure(rules.error);
    if (settings.kind == Platform::NmeaSourceSettings::Kind::SerialPort) {
        // The port is opened as the converter's channel is set, unless the engineer says otherwise.
        ParGenSet set;
        QString loadError;
        if (ParGen::load(files.parGen(), set, &loadError) == ParGen::LoadResult::Failed)
            return failure(loadError);
        settings.line = serialLineOf(set, channel).value_or(SerialLine{});
        if (baud)
            settings.line.baudRate = *baud;
    }

    int argc = 1;
    char name[] = "tessellor-cli";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);

    Nmea::LogRecorder recorder;
    if (line.has("--record") && !recorder.open(line.value("--record")))
        return failure(
            QStringLiteral("cannot record to %1: %2").arg(native(line.value("--record")), recorder.error()));

    Nmea::Monitor monitor(rules.table, channel);
    monitor.setHistory(0);
    Listening listening(monitor, recorder);
    QString problem;
    std::unique_ptr<Platform::NmeaSourceHandle> source =
        Platform::NmeaSourceModule::create(settings, listening, problem);
    if (!source)
        return failure(problem.isEmpty() ? QStringLiteral("the source cannot be made") : problem);
    listening.setDescription(source->description());

    Platform::catchConsoleInterrupt([] { QCoreApplication::quit(); });
    listening.setLimit(limitMs);
    source->start();
    QCoreApplication::exec();
    Platform::catchConsoleInterrupt({});
    const QString description = source->description();
    // The source's objects go from the event loop: they are let go while it is still there.
    source.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    recorder.close();

    if (!listening.started())
        return failure(QStringLiteral("%1: %2").arg(description, listening.failure()));
    // The line still open broke off with the listening.
    const qint64 now = listening.now();
    monitor.cutOpenLine(now);
    const MessageCatalog texts; // the built-in English, whatever language the configurator shows
    QList<Nmea::MonitorFinding> findings = monitor.findings(now, texts);
    if (settings.kind == Platform::NmeaSourceSettings::Kind::SerialPort &&
        Nmea::looksLikeWrongBaud(monitor.counts(), listening.listened()))
        findings.prepend(Nmea::wrongBaudFinding(listening.listened(), texts));
    QString reviewError;
    const std::optional<Review::OutputArray> array = outputArrayOf(folder, monitor, reviewError);
    if (!array && line.has("--output-array"))
        return failure(reviewError);
    if (array)
        findings += Review::overflowFindings(*array, texts);
    printMonitorReport(monitor, findings, line.has("--json"),
                       line.has("--output-array") ? &array->bytes() : nullptr);
    if (!listening.failure().isEmpty())
        return failure(QStringLiteral("%1 broke off: %2").arg(description, listening.failure()));
    return listening.recordingFailed() ? Failure : Success;
}
