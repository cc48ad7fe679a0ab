#include "MonitorReport.h"

#include "CommandOutput.h"

#include "core/review/Review.h"
#include "core/shell/ConfigurationFiles.h"

#include <QTextStream>

namespace Cli {

namespace {

void printJson(const Nmea::Monitor& monitor, const QList<Nmea::MonitorFinding>& findings,
               const QByteArray* outputArray) {
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
    o << "}, \"findings\": [";
    first = true;
    for (const Nmea::MonitorFinding& f : findings) {
        // A finding of the source has no rule.
        o << (first ? "" : ", ")
          << "{\"rule\": " << (f.rule > 0 ? QString::number(f.rule) : QStringLiteral("null"))
          << ", \"kind\": " << jsonString(f.kind) << ", \"message\": " << jsonString(f.message) << '}';
        first = false;
    }
    o << ']';
    if (outputArray)
        o << ", \"output_array\": \"" << QString::fromLatin1(outputArray->toHex()) << '"';
    o << "}\n";
}

void printText(const Nmea::Monitor& monitor, const QList<Nmea::MonitorFinding>& findings,
               const QByteArray* outputArray) {
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
    o << "Findings:" << (findings.isEmpty() ? " none\n" : "\n");
    for (const Nmea::MonitorFinding& f : findings)
        o << "  " << f.kind << ": " << f.message << '\n';
    if (!outputArray)
        return;
    o << "Output array, " << outputArray->size()
      << " bytes, as this program assumes the converter places the values:\n";
    for (const QString& line : Review::hexLines(*outputArray))
        o << line << '\n';
}

} // namespace

std::optional<Review::OutputArray> outputArrayOf(const QString& folder, const Nmea::Monitor& monitor,
                                                 QString& error) {
    const ConfigurationFiles files(folder);
    const Review::Result review = Review::reviewDocuments(files.parGen(), files.nmeaAccess());
    if (!review.error.isEmpty()) {
        error = review.error;
        return std::nullopt;
    }
    Review::OutputArray array(review.compiled, review.outputBytes);
    array.placeFeeds(monitor.rules());
    return array;
}

void printMonitorReport(const Nmea::Monitor& monitor, const QList<Nmea::MonitorFinding>& findings, bool json,
                        const QByteArray* outputArray) {
    if (json)
        printJson(monitor, findings, outputArray);
    else
        printText(monitor, findings, outputArray);
    standardOutput().flush();
}

} // namespace Cli
