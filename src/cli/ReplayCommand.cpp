#include "ReplayCommand.h"

#include "CommandLine.h"
#include "CommandOutput.h"
#include "MonitorReport.h"

#include "core/language/MessageCatalog.h"
#include "core/nmea/AccessRules.h"
#include "core/nmea/NmeaMonitor.h"
#include "core/shell/ConfigurationFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

const char* const kReplayHelp =
    R"(Usage: tessellor-cli replay CONFIG_DIR LOGFILE [--channel NAME] [--json] [--output-array]

Reads the NMEA 0183 log LOGFILE as the converter would hear it and prints, for every rule of the
configuration folder CONFIG_DIR, what it would receive: rule number, sentence, field, Index, the
number of sentences that delivered a value, the number that came with the field empty, the last
text taken and the last value after the post operation. Then the counts of lines, sentences, checksum failures, lines without checksum, bad lines,
and the addresses of the sentences that feed no rule.

The standard sentences of the catalog are decoded; the proprietary ones ($PJELA, $VTH.., $P...) are
matched and counted but their fields are not decoded.

Options:
  --channel NAME  feed only the rules of this serial channel: RS232, "RS485 / RS422" (or
                  "RS485 1"), "RS485 2"; without it every enabled rule is fed
  --json          print one JSON object instead of text
  --output-array  also print the EtherNet/IP Output array as the rules' last values fill it (as
                  this program assumes the converter places them): hexadecimal lines of 16
                  bytes, or "output_array", one hexadecimal string, in JSON
  -h, --help      show this help

A value its field's type in the Output array cannot hold is the finding overflow, with what the
PLC reads instead.

Exit codes: 0 the log was read; 1 the log or the rules cannot be read; 2 wrong usage or no such
folder.
)";

namespace {

using namespace Cli;

constexpr qint64 ChunkBytes = 1 << 20;

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

} // namespace

int runReplay(const QStringList& words) {
    CommandLine line(QStringLiteral("replay"),
                     {{"--channel", "a channel name"}, {"--json"}, {"--output-array"}},
                     {"CONFIG_DIR", "LOGFILE"});
    if (!line.parse(words))
        return line.usageError();
    if (line.help()) {
        standardOutput() << kReplayHelp;
        standardOutput().flush();
        return Success;
    }
    const QString channel = line.value("--channel");
    const bool json = line.has("--json");
    const QString folder = line.argument("CONFIG_DIR");
    const QString logPath = line.argument("LOGFILE");
    if (!QFileInfo(folder).isDir())
        return line.usageError(QStringLiteral("no such configuration folder %1").arg(native(folder)));
    if (!channel.isEmpty() && Nmea::channelNamed(channel).isEmpty())
        return line.usageError(QStringLiteral("unknown channel %1").arg(channel));

    const Nmea::RulesLoad rules = Nmea::loadAccessRules(ConfigurationFiles(folder).nmeaAccess());
    if (!rules.error.isEmpty())
        return failure(rules.error);

    QFile log(logPath);
    if (QFileInfo(logPath).isDir() || !log.open(QIODevice::ReadOnly))
        return failure(QStringLiteral("cannot read %1: %2")
                           .arg(native(logPath), QFileInfo(logPath).isDir() ? QStringLiteral("it is a folder")
                                                                            : log.errorString()));
    Nmea::Monitor monitor(rules.table, channel);
    monitor.setHistory(0);
    QByteArray chunk(ChunkBytes, Qt::Uninitialized);
    for (;;) {
        const qint64 read = log.read(chunk.data(), ChunkBytes);
        if (read < 0)
            return failure(QStringLiteral("cannot read %1: %2").arg(native(logPath), log.errorString()));
        if (read == 0)
            break;
        monitor.feed(QByteArrayView(chunk.constData(), read));
    }
    monitor.finish();

    // A log has no clock of its own: everything arrived at once, so nothing is stale.
    const MessageCatalog texts;
    QList<Nmea::MonitorFinding> findings = monitor.findings(0, texts);
    QString reviewError;
    const std::optional<Review::OutputArray> array = outputArrayOf(folder, monitor, reviewError);
    if (!array && line.has("--output-array"))
        return failure(reviewError);
    if (array)
        findings += Review::overflowFindings(*array, texts);
    printMonitorReport(monitor, findings, json, line.has("--output-array") ? &array->bytes() : nullptr);
    return Success;
}
