#include "ServeCommand.h"

#include "CommandLine.h"
#include "CommandOutput.h"

#include "core/comm/ParGen.h"
#include "core/enip/OutputArraySource.h"
#include "core/nmea/AccessRules.h"
#include "core/nmea/LogPacer.h"
#include "core/nmea/NmeaMonitor.h"
#include "core/shell/ConfigurationFiles.h"
#include "core/update/UpdateAddress.h"
#include "core/util/TextRules.h"
#include "platform/ConsoleInterrupt.h"
#include "platform/enip/VirtualConverter.h"
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

const char* const kServeHelp =
    R"(Usage: tessellor-cli serve CONFIG_DIR (--log FILE [--pace recorded|N/s] [--loop] |
                            --serial DEVICE [--baud N] | --udp PORT | --tcp HOST:PORT)
                            [--address A] [--encapsulation-port N] [--io-port N] [--seconds N] [--json]

The virtual converter: an EtherNet/IP adapter on this PC that a PLC (or a scanner) connects to as
it would to the converter, set up as a Generic Ethernet Module, before the converter is on board.
It feeds an NMEA 0183 log, a serial port or the network to the rules of the configuration folder
CONFIG_DIR and sends the Output array to the PLC at the interval the PLC asks for, in a class 1
point-to-point connection; it reads the PLC's Input array. The connection sizes are the
configuration's: EtherNetIP_NB_Output bytes to the PLC (connection size n + 2) and
EtherNetIP_NB_Input bytes from it (connection size m + 6, with the 32-bit run/idle header); a
Forward Open of other sizes is refused with status 0x01/0x0109, the word after it the size expected.

The assembly instances (Output 100, Input 150, configuration 151) and the identity (vendor 0,
product "Tessellor virtual converter") are this program's own: the real converter's instances
come from the converter's own documentation. It claims no conformance to any specification.
This version places no rule's value yet: the Output array it sends is all zeros.

Options:
  --log FILE        feed an NMEA 0183 log; all of it at once unless paced
  --pace N/s        feed the log at N lines a second ("recorded" pace needs receive times in the
                    log, which this version does not read)
  --loop            start the log again when it ends (with --pace)
  --serial DEVICE   a serial port, with the line settings the configuration gives RS232
  --baud N          the serial port's baud rate instead
  --udp PORT        datagrams arriving on this UDP port
  --tcp HOST:PORT   a TCP connection to an instrument or a multiplexer
  --address A       the address the adapter binds to (default 127.0.0.2: never the port 2222 of a
                    scanner on this PC at 127.0.0.1)
  --encapsulation-port N   TCP and UDP port of the encapsulation (default 44818)
  --io-port N       UDP port of the I/O connection (default 2222)
  --seconds N       end N seconds after the adapter listens; without it, serve until Ctrl+C
  --json            print one JSON object instead of text
  -h, --help        show this help

Exit codes: 0 it served; 1 the adapter could not listen, the source failed or the configuration
cannot be read; 2 wrong usage or no such folder.
)";

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

std::optional<quint16> portNumber(const QString& text, bool zeroAllowed = false) {
    bool ok = false;
    const uint port = text.toUInt(&ok);
    if (!ok || (port == 0 && !zeroAllowed) || port > 65535)
        return std::nullopt;
    return static_cast<quint16>(port);
}

QString dotted(quint32 address) {
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address >> 24)
        .arg((address >> 16) & 0xFF)
        .arg((address >> 8) & 0xFF)
        .arg(address & 0xFF);
}

QString hexBytes(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' '));
}

QString stateName(Enip::ConnectionState state) {
    switch (state) {
    case Enip::ConnectionState::Waiting:
        return QStringLiteral("waiting");
    case Enip::ConnectionState::Connected:
        return QStringLiteral("connected");
    case Enip::ConnectionState::TimedOut:
        return QStringLiteral("timed out");
    }
    return {};
}

QString statusCode(quint8 general, quint16 extended) {
    return QStringLiteral("0x%1/0x%2")
        .arg(general, 2, 16, QLatin1Char('0'))
        .arg(extended, 4, 16, QLatin1Char('0'));
}

// What the source tells, fed to the monitor.
class Feeding final : public Platform::NmeaSourceEvents {
public:
    Feeding(Nmea::Monitor& monitor, const QElapsedTimer& clock) : m_monitor(monitor), m_clock(clock) {}
    void sourceStarted() override {}
    void sourceBytes(const QByteArray& bytes) override { m_monitor.feed(bytes, m_clock.elapsed()); }
    void sourceMessage(const QByteArray& bytes) override { m_monitor.feedMessage(bytes, m_clock.elapsed()); }
    void sourceFailed(const QString& reason, Platform::NmeaSourceFailure) override {
        failure = reason;
        QCoreApplication::quit();
    }
    void sourceFinished() override {}
    void sourceProgress(qint64, qint64) override {}
    QString failure;

private:
    Nmea::Monitor& m_monitor;
    const QElapsedTimer& m_clock;
};

void say(const QString& text) {
    standardError() << "tessellor-cli: serve: " << text << '\n';
    standardError().flush();
}

} // namespace

int runServe(const QStringList& words) {
    CommandLine line(QStringLiteral("serve"),
                     {{"--log", "a file name"},
                      {"--pace", "recorded or N/s"},
                      {"--loop"},
                      {"--serial", "a serial port"},
                      {"--baud", "a baud rate"},
                      {"--udp", "a port number"},
                      {"--tcp", "HOST:PORT"},
                      {"--address", "an IPv4 address"},
                      {"--encapsulation-port", "a port number"},
                      {"--io-port", "a port number"},
                      {"--seconds", "a number of seconds"},
                      {"--json"}},
                     {"CONFIG_DIR"});
    if (!line.parse(words))
        return line.usageError();
    if (line.help()) {
        standardOutput() << kServeHelp;
        standardOutput().flush();
        return Success;
    }

    const int sources =
        int(line.has("--log")) + int(line.has("--serial")) + int(line.has("--udp")) + int(line.has("--tcp"));
    if (sources == 0)
        return line.usageError(QStringLiteral("missing the source: --log, --serial, --udp or --tcp"));
    if (sources > 1)
        return line.usageError(QStringLiteral("one source only: --log, --serial, --udp or --tcp"));
    if ((line.has("--pace") || line.has("--loop")) && !line.has("--log"))
        return line.usageError(QStringLiteral("--pace and --loop are for --log"));
    if (line.has("--baud") && !line.has("--serial"))
        return line.usageError(QStringLiteral("--baud is for --serial"));
    double rate = 0;
    if (line.has("--pace")) {
        const QString pace = line.value("--pace");
        if (pace == u"recorded")
            return line.usageError(QStringLiteral(
                "--pace recorded needs receive times in the log, which this version does not read; "
                "give a rate such as --pace 10/s"));
        bool ok = false;
        rate = pace.endsWith(u"/s") ? pace.chopped(2).toDouble(&ok) : 0;
        if (!ok || !std::isfinite(rate) || rate <= 0 || rate > 1e6)
            return line.usageError(QStringLiteral("--pace needs recorded or a rate such as 10/s"));
    }
    if (line.has("--loop") && rate == 0)
        return line.usageError(
            QStringLiteral("--loop needs --pace N/s: a log looped at full speed never rests"));

    Platform::NmeaSourceSettings source;
    if (line.has("--udp")) {
        const std::optional<quint16> port = portNumber(line.value("--udp"));
        if (!port)
            return line.usageError(QStringLiteral("--udp needs a port number from 1 to 65535"));
        source.kind = Platform::NmeaSourceSettings::Kind::Udp;
        source.udpPort = *port;
    } else if (line.has("--tcp")) {
        const QString target = line.value("--tcp");
        const qsizetype colon = target.lastIndexOf(u':');
        const std::optional<quint16> port = colon > 0 ? portNumber(target.sliced(colon + 1)) : std::nullopt;
        if (!port)
            return line.usageError(QStringLiteral("--tcp needs HOST:PORT, the port from 1 to 65535"));
        QString host = target.first(colon);
        if (host.startsWith(u'[') && host.endsWith(u']'))
            host = host.sliced(1, host.size() - 2);
        source.kind = Platform::NmeaSourceSettings::Kind::TcpClient;
        source.tcpHost = host;
        source.tcpPort = *port;
    } else if (line.has("--serial")) {
        source.kind = Platform::NmeaSourceSettings::Kind::SerialPort;
        source.serialPort = line.value("--serial");
    }
    std::optional<qint32> baud;
    if (line.has("--baud")) {
        bool ok = false;
        baud = line.value("--baud").toInt(&ok);
        if (!ok || *baud <= 0)
            return line.usageError(QStringLiteral("--baud needs a positive whole number"));
    }
    const QString address = line.has("--address") ? line.value("--address") : QStringLiteral("127.0.0.2");
    if (!dottedDecimalAddress(address))
        return line.usageError(QStringLiteral("--address needs an IPv4 address such as 127.0.0.2"));
    Enip::AdapterSettings settings;
    for (const auto& [option, port] : {std::pair{"--encapsulation-port", &settings.encapsulationPort},
                                       std::pair{"--io-port", &settings.ioPort}}) {
        if (!line.has(option))
            continue;
        const std::optional<quint16> number = portNumber(line.value(option), true);
        if (!number)
            return line.usageError(
                QStringLiteral("%1 needs a port number from 0 (any free) to 65535").arg(option));
        *port = *number;
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
    if (line.has("--log") && !QFileInfo(line.value("--log")).isFile())
        return line.usageError(QStringLiteral("no such log %1").arg(native(line.value("--log"))));
    const ConfigurationFiles files(folder);
    ParGenSet set;
    QString loadError;
    if (ParGen::load(files.parGen(), set, &loadError) == ParGen::LoadResult::Failed)
        return failure(loadError);
    // The sizes as the compiler reads them; the converter takes 0 to 496 bytes either way.
    settings.outputSize = intTextOr(set.EtherNetIP_NB_Output, 496);
    settings.inputSize = intTextOr(set.EtherNetIP_NB_Input, 496);
    for (const auto& [name, size] : {std::pair{"EtherNetIP_NB_Output", settings.outputSize},
                                     std::pair{"EtherNetIP_NB_Input", settings.inputSize}})
        if (size < 0 || size > 496)
            return failure(QStringLiteral("%1: %2 is %3; the converter takes 0 to 496 bytes")
                               .arg(native(files.parGen()), QLatin1String(name))
                               .arg(size));
    const Nmea::RulesLoad rules = Nmea::loadAccessRules(files.nmeaAccess());
    if (!rules.error.isEmpty())
        return failure(rules.error);
    if (source.kind == Platform::NmeaSourceSettings::Kind::SerialPort) {
        source.line = serialLineOf(set, QStringLiteral("RS232")).value_or(SerialLine{});
        if (baud)
            source.line.baudRate = *baud;
    }

    int argc = 1;
    char name[] = "tessellor-cli";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    QElapsedTimer clock;
    clock.start();

    Nmea::Monitor monitor(rules.table, QString());
    monitor.setHistory(0);
    // The model of how the converter places the rules' values stands here once it is there.
    const Enip::PlaceholderOutputArray output;
    Platform::VirtualConverter converter(settings, address, output);

    QString failed;
    QObject::connect(&converter, &Platform::VirtualConverter::failed, [&](const QString& reason) {
        failed = reason;
        QCoreApplication::quit();
    });
    QObject::connect(&converter, &Platform::VirtualConverter::listening, [&] {
        say(QStringLiteral("serving on %1, encapsulation port %2, I/O port %3: Output array %4 bytes, Input "
                           "array %5 bytes")
                .arg(address)
                .arg(converter.encapsulationPort())
                .arg(converter.ioPort())
                .arg(settings.outputSize)
                .arg(settings.inputSize));
        if (limitMs)
            QTimer::singleShot(std::chrono::milliseconds(*limitMs), QCoreApplication::instance(),
                               &QCoreApplication::quit);
    });
    QObject::connect(&converter, &Platform::VirtualConverter::stateChanged, [&] {
        const Enip::AdapterStatus& s = converter.status();
        if (s.state == Enip::ConnectionState::Connected)
            say(QStringLiteral("connected from %1:%2 at RPI %3 ms")
                    .arg(dotted(s.peerAddress))
                    .arg(s.peerPort)
                    .arg(s.rpiUs / 1000.0));
        else
            say(stateName(s.state));
    });
    QObject::connect(&converter, &Platform::VirtualConverter::forwardOpenRefused, [&](quint8 g, quint16 e) {
        say(QStringLiteral("refused a Forward Open with status %1").arg(statusCode(g, e)));
    });

    // The source: a log read here at its pace, or one of the module's.
    Nmea::LogPacer pacer(rate, line.has("--loop"));
    QTimer feed;
    feed.setSingleShot(true);
    Feeding feeding(monitor, clock);
    std::unique_ptr<Platform::NmeaSourceHandle> handle;
    if (line.has("--log")) {
        QString error;
        if (!pacer.open(line.value("--log"), &error))
            return failure(QStringLiteral("cannot read %1: %2").arg(native(line.value("--log")), error));
        QObject::connect(&feed, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            const QByteArray lines = pacer.take(now);
            if (!lines.isEmpty())
                monitor.feed(lines, now);
            if (pacer.finished()) {
                monitor.finish();
                return;
            }
            feed.start(int(std::max<qint64>(0, pacer.nextDueMs().value_or(now) - clock.elapsed())));
        });
    } else {
        QString problem;
        handle = Platform::NmeaSourceModule::create(source, feeding, problem);
        if (!handle)
            return failure(problem.isEmpty() ? QStringLiteral("the source cannot be made") : problem);
    }

    QString problem;
    if (!converter.start(&problem))
        return failure(problem);
    if (handle)
        handle->start();
    else
        feed.start(0);
    Platform::catchConsoleInterrupt([] { QCoreApplication::quit(); });
    QCoreApplication::exec();
    Platform::catchConsoleInterrupt({});
    QObject::disconnect(&converter, nullptr, nullptr, nullptr);
    const Enip::AdapterStatus status = converter.status();
    const quint16 encapsulationPort = converter.encapsulationPort();
    const quint16 ioPort = converter.ioPort();
    const bool listened = converter.isListening();
    converter.stop();
    handle.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    if (!listened)
        return failure(QStringLiteral("cannot serve on %1: %2").arg(address, failed));

    QByteArray outputArray = output.outputArray();
    outputArray.resize(settings.outputSize, '\0');
    const Enip::Assemblies& a = settings.assemblies;
    const Enip::Identity& id = settings.identity;
    const qint64 linesFed = line.has("--log") ? pacer.lines() : monitor.counts().lines;
    if (line.has("--json")) {
        QTextStream& out = standardOutput();
        out << "{\"address\": " << jsonString(address) << ", \"encapsulationPort\": " << encapsulationPort
            << ", \"ioPort\": " << ioPort << ",\n \"outputBytes\": " << settings.outputSize
            << ", \"inputBytes\": " << settings.inputSize
            << ", \"outputConnectionSize\": " << settings.outputSize + 2
            << ", \"inputConnectionSize\": " << settings.inputSize + 6
            << ",\n \"assemblies\": {\"output\": " << a.output << ", \"input\": " << a.input
            << ", \"configuration\": " << a.configuration
            << "},\n \"identity\": {\"vendorId\": " << id.vendorId << ", \"deviceType\": " << id.deviceType
            << ", \"productCode\": " << id.productCode << ", \"revision\": \"" << id.revisionMajor << '.'
            << id.revisionMinor << "\", \"productName\": " << jsonString(QString::fromLatin1(id.productName))
            << "},\n \"outputArrayModel\": \"placeholder\", \"state\": "
            << jsonString(stateName(status.state)) << ", \"connections\": " << status.connections
            << ", \"peer\": "
            << (status.connections
                    ? jsonString(QStringLiteral("%1:%2").arg(dotted(status.peerAddress)).arg(status.peerPort))
                    : QStringLiteral("null"))
            << ", \"rpiMs\": " << status.rpiUs / 1000.0 << ",\n \"sent\": " << status.sent
            << ", \"received\": " << status.received << ", \"dropped\": " << status.dropped
            << ", \"missed\": " << status.missed << ", \"refused\": " << status.refused
            << ", \"lastRefusal\": "
            << (status.refused ? jsonString(statusCode(status.refusedGeneral, status.refusedExtended))
                               : QStringLiteral("null"))
            << ",\n \"lastInput\": " << jsonString(QString::fromLatin1(status.lastInput.toHex()))
            << ", \"outputArray\": " << jsonString(QString::fromLatin1(outputArray.toHex()))
            << ", \"linesFed\": " << linesFed << ", \"logLoops\": " << pacer.loops() << "}\n";
        out.flush();
    } else {
        QTextStream& out = standardOutput();
        out << "Served " << address << ", encapsulation port " << encapsulationPort << ", I/O port " << ioPort
            << '\n';
        out << "Output array " << settings.outputSize << " bytes (connection size " << settings.outputSize + 2
            << "), Input array " << settings.inputSize << " bytes (connection size " << settings.inputSize + 6
            << ")\n";
        out << "Assembly instances: output " << a.output << ", input " << a.input << ", configuration "
            << a.configuration << " (this program's own: the converter's come from its documentation)\n";
        out << "Output array: placeholder, no rule's value placed (all zeros)\n";
        out << "Connections " << status.connections;
        if (status.connections)
            out << ", the last from " << dotted(status.peerAddress) << ':' << status.peerPort << " at RPI "
                << status.rpiUs / 1000.0 << " ms";
        out << "; at the end " << stateName(status.state) << '\n';
        out << "I/O packets sent " << status.sent << ", received " << status.received << ", dropped "
            << status.dropped << ", missed cycles " << status.missed << '\n';
        if (status.refused)
            out << "Forward Opens refused " << status.refused << ", the last with status "
                << statusCode(status.refusedGeneral, status.refusedExtended) << '\n';
        out << "Last Input array: "
            << (status.lastInput.isEmpty() ? QStringLiteral("none") : hexBytes(status.lastInput)) << '\n';
        out << "Lines fed " << linesFed;
        if (pacer.loops())
            out << " (the log started again " << pacer.loops() << " times)";
        out << '\n';
        out.flush();
    }
    if (!feeding.failure.isEmpty())
        return failure(QStringLiteral("the source broke off: %1").arg(feeding.failure));
    return Success;
}
