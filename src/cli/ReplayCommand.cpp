#include "ReplayCommand.h"

#include "CommandOutput.h"

#include "core/nmea/AccessRules.h"
#include "core/nmea/NmeaMonitor.h"
#include "core/shell/ConfigurationFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

const char* const kReplayHelp = R"(Usage: tessellor-cli replay CONFIG_DIR LOGFILE [--channel NAME] [--json]

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
  -h, --help      show this help

Exit codes: 0 the log was read; 1 the log or the rules cannot be read; 2 wrong usage or no such
folder.
)";

namespace {

using namespace Cli;

constexpr qint64 ChunkBytes = 1 << 20;

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

void printJson(const Nmea::Monitor& monitor) {
    const Nmea::ReaderCounts& c = monitor.counts();
    QTextStream& o = standardOutput();
    o << "{\"lines\": " << c.lines << ", \"sentences\": " << c.sentences
      << ", \"checksum_errors\": " << c.checksumErrors << ", \"no_checksum\": " << c.noChecksum
      << ", \"bad_lines\": " << c.badLines << ", \"rules\": [";
    bool first = true;
    for (const Nmea::RuleFeed& rule : monitor.rules()) {
        o << (first ? "" : ", ") << "{\"rule\": " << rule.rule
          << ", \"sentence\": " << jsonString(rule.sentence) << ", \"field\": " << jsonString(rule.field)
          << ", \"index\": " << (rule.index ? QString::number(*rule.index) : QStringLiteral("null"))
          << ", \"hits\": " << rule.hits << ", \"empty\": " << rule.empty << ", \"last\": "
          << (rule.hits > 0 && rule.decoded ? jsonString(rule.last) : QStringLiteral("null"))
          << ", \"value\": " << (rule.value ? Nmea::valueText(*rule.value) : QStringLiteral("null")) << '}';
        first = false;
    }
    o << "], \"unused\": {";
    first = true;
    const QMap<QString, qint64> unused = monitor.unused();
    for (auto it = unused.cbegin(); it != unused.cend(); ++it) {
        o << (first ? "" : ", ") << jsonString(it.key()) << ": " << it.value();
        first = false;
    }
    o << "}}\n";
}

void printText(const Nmea::Monitor& monitor) {
    QTextStream& o = standardOutput();
    if (monitor.rules().empty())
        o << "No enabled rule to feed.\n";
    for (const Nmea::RuleFeed& rule : monitor.rules()) {
        o << "Rule " << rule.rule << ": " << rule.sentence << " / " << rule.field;
        if (rule.index)
            o << ", Index " << *rule.index;
        o << "; hits " << rule.hits;
        if (rule.empty > 0)
            o << ", empty " << rule.empty;
        if (!rule.decoded) {
            o << ", not decoded";
        } else if (rule.hits > 0) {
            o << ", last \"" << rule.last << '"';
            // A text field has its text and no value.
            if (rule.numeric)
                o << ", value "
                  << (rule.value ? Nmea::valueText(*rule.value) : QStringLiteral("not a number"));
        }
        if (rule.indexMissing)
            o << " (no Index in range: never fed)";
        o << '\n';
    }
    const Nmea::ReaderCounts& c = monitor.counts();
    o << "Lines: " << c.lines << "\nSentences: " << c.sentences << "\nChecksum failures: " << c.checksumErrors
      << "\nLines without checksum: " << c.noChecksum << "\nLines over 82 characters: " << c.longLines
      << "\nBad lines: " << c.badLines << "\nFeeding no rule:";
    const QMap<QString, qint64> unused = monitor.unused();
    if (unused.isEmpty())
        o << " none";
    for (auto it = unused.cbegin(); it != unused.cend(); ++it)
        o << ' ' << it.key() << " (" << it.value() << ')';
    o << '\n';
}

} // namespace

int runReplay(const QStringList& words) {
    QStringList positional;
    QString channel;
    bool json = false;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words[i];
        if (word == u"-h" || word == u"--help") {
            standardOutput() << kReplayHelp;
            standardOutput().flush();
            return Success;
        }
        if (word == u"--json") {
            json = true;
        } else if (word == u"--channel") {
            if (i + 1 >= words.size() || words[i + 1].isEmpty())
                return usageError(QStringLiteral("--channel needs a channel name"), QStringLiteral("replay"));
            channel = words[++i];
        } else if (word.startsWith(u'-') && word.size() > 1) {
            return usageError(QStringLiteral("unknown option %1").arg(word), QStringLiteral("replay"));
        } else {
            positional << word;
        }
    }
    if (positional.size() < 2)
        return usageError(positional.isEmpty() ? QStringLiteral("missing CONFIG_DIR")
                                               : QStringLiteral("missing LOGFILE"),
                          QStringLiteral("replay"));
    if (positional.size() > 2)
        return usageError(QStringLiteral("unexpected argument %1").arg(positional[2]),
                          QStringLiteral("replay"));
    const QString folder = positional[0];
    const QString logPath = positional[1];
    if (!QFileInfo(folder).isDir())
        return usageError(QStringLiteral("no such configuration folder %1").arg(native(folder)),
                          QStringLiteral("replay"));
    if (!channel.isEmpty() && Nmea::channelNamed(channel).isEmpty())
        return usageError(QStringLiteral("unknown channel %1").arg(channel), QStringLiteral("replay"));

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

    if (json)
        printJson(monitor);
    else
        printText(monitor);
    standardOutput().flush();
    return Success;
}
