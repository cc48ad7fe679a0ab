#include "ReviewCommands.h"

#include "CommandLine.h"
#include "CommandOutput.h"
#include "core/review/PlcExport.h"
#include "core/review/Review.h"
#include "core/shell/ConfigurationFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <optional>

namespace {

using namespace Cli;

const char* const kReviewHelp = R"(Usage: tessellor-cli review CONFIG_DIR [--json]

Reviews the configuration folder CONFIG_DIR before it goes into a device: enabled rules that the
image leaves out, rules the rules window's data check would refuse, rows its save would drop,
rules that share bytes of the data array or lie past it or past the EtherNet/IP output array (what
the PLC receives), stored texts that compile to something else, duplicate rules, swaps without
effect, and the address, mask and gateway. Prints one finding a line: severity, kind, rule
numbers, message.

Options:
  --json      print {"findings": [{"severity", "kind", "rules", "reason", "message"}, ...]}
  -h, --help  show this help

Exit codes: 0 no error or warning (notes alone); 1 an error or a warning, or a document cannot be
read; 2 wrong usage or no such folder.
)";

const char* const kMapHelp =
    R"(Usage: tessellor-cli map CONFIG_DIR [--format csv|json|st|iec|plcopen|l5x] [--strict-layout]

Prints where the compiled rules of the configuration folder CONFIG_DIR put their values in the
converter's data array, ordered by position: rule, mnemonic, channel, sentence, field, Index,
post-operation, swaps, first byte, size, last byte, the type the PLC reads (from the field's
catalog text; raw bytes where a swap reordered them), what the post operation means, and the
connection sizes (output: converter to PLC, input: PLC to converter), the member name each rule
takes in the data types and its byte order. Values are little-endian, placed as this program
assumes the converter places them: check against the converter's manual.

Options:
  --format csv      comma-separated values with a header line (the default)
  --format json     {"configuration", "program", "imageChecksum", "outputBytes", "inputBytes",
                    "notes": [the header's lines], "rules": [...]}
  --format st       a TYPE ... STRUCT of the output array for TwinCAT and CODESYS, packed to the
                    byte ({attribute 'pack_mode' := '1'}), one typed member per rule named from its
                    mnemonic, padding members for the gaps and up to the output array's size
                    and, for any layout, the output array as ARRAY [0..n-1] OF BYTE with a
                    function block that decodes every rule's value in engineering units
  --format iec      the same in strict IEC 61131-3 (END_STRUCT;, no vendor attribute, standard
                    functions only); the typed structure only where every member sits at its
                    natural alignment, else the header lists those a compiler would move
  --format plcopen  the data type as PLCopen XML (TC6 2.01) for import into CODESYS or TwinCAT
  --format l5x      a Logix data type (L5X) with the copy step; where Logix would move a member, a
                    SINT array tag and a Structured Text routine that moves each rule's bytes into
                    a typed member, the members Logix would move listed in its header
  --strict-layout   refuse iec and l5x where the compiler would move a member, listing each one
                    with the nearest position it reads
  -h, --help        show this help

The data types are refused when rules overlap, when a rule lies past the output array, or when no
rule is compiled.

Exit codes: 0 printed; 1 a document cannot be read, or a data type is refused; 2 wrong usage or no
such folder.
)";

struct Options {
    QString folder;
    bool json = false;
    QString format = QStringLiteral("csv");
    bool strictLayout = false;
};

// The review of the folder, or an exit code: usage for wrong words or a missing folder, failure for
// a document that cannot be read. Help is printed and ends the command with success.
std::optional<Review::Result> reviewFolder(const QString& command, const QStringList& words, bool isMap,
                                           Options& options, int& exitCode) {
    CommandLine line =
        isMap
            ? CommandLine(command, {{"--format", "csv, json, st, iec, plcopen or l5x"}, {"--strict-layout"}},
                          {"CONFIG_DIR"})
            : CommandLine(command, {{"--json"}}, {"CONFIG_DIR"});
    if (!line.parse(words)) {
        exitCode = line.usageError();
        return std::nullopt;
    }
    if (line.help()) {
        standardOutput() << (isMap ? kMapHelp : kReviewHelp);
        standardOutput().flush();
        exitCode = Success;
        return std::nullopt;
    }
    options.folder = line.argument("CONFIG_DIR");
    options.json = line.has("--json");
    options.strictLayout = isMap && line.has("--strict-layout");
    if (line.has("--format")) {
        options.format = line.value("--format");
        if (!Review::mapFormat(options.format)) {
            exitCode =
                line.usageError(QStringLiteral("unknown format %1; use csv, json, st, iec, plcopen or l5x")
                                    .arg(options.format));
            return std::nullopt;
        }
    }
    if (!QFileInfo(options.folder).isDir()) {
        exitCode = line.usageError(
            QStringLiteral("no such configuration folder %1").arg(QDir::toNativeSeparators(options.folder)));
        return std::nullopt;
    }
    Review::Result result = Review::reviewDocuments(ConfigurationFiles(options.folder).parGen(),
                                                    ConfigurationFiles(options.folder).nmeaAccess());
    if (!result.error.isEmpty()) {
        exitCode = failure(result.error);
        return std::nullopt;
    }
    return result;
}

QString joinedRules(const QList<int>& rules, const QString& separator) {
    QStringList numbers;
    for (int rule : rules)
        numbers << QString::number(rule);
    return numbers.join(separator);
}

} // namespace

int runReview(const QStringList& words) {
    Options options;
    int exitCode = Success;
    const auto result = reviewFolder(QStringLiteral("review"), words, false, options, exitCode);
    if (!result)
        return exitCode;

    QTextStream& out = standardOutput();
    if (options.json) {
        // Written by hand so that every finding keeps its keys in this order.
        out << "{\"findings\": [";
        for (qsizetype i = 0; i < result->findings.size(); ++i) {
            const Review::Finding& f = result->findings[i];
            const QString reason = Review::reasonName(f.reason);
            out << (i ? ",\n  " : "\n  ") << "{\"severity\": " << jsonString(Review::severityName(f.severity))
                << ", \"kind\": " << jsonString(Review::kindName(f.kind)) << ", \"rules\": ["
                << joinedRules(f.rules, QStringLiteral(", "))
                << "], \"reason\": " << (reason.isEmpty() ? QStringLiteral("null") : jsonString(reason))
                << ", \"message\": " << jsonString(f.message) << '}';
        }
        out << (result->findings.isEmpty() ? "]}\n" : "\n]}\n");
    } else {
        for (const Review::Finding& f : result->findings) {
            out << Review::severityName(f.severity) << ' ' << Review::kindName(f.kind);
            if (!f.rules.isEmpty())
                out << ' ' << joinedRules(f.rules, QStringLiteral(","));
            out << ": " << f.message << '\n';
        }
    }
    out.flush();
    return result->hasErrorOrWarning() ? Failure : Success;
}

int runMap(const QStringList& words) {
    Options options;
    int exitCode = Success;
    const auto result = reviewFolder(QStringLiteral("map"), words, true, options, exitCode);
    if (!result)
        return exitCode;

    const QList<Review::MapEntry> entries = Review::dataMap(*result);
    const QString configuration = QDir(QFileInfo(options.folder).absoluteFilePath()).dirName();
    const Review::MapExport exported =
        Review::exportMap(entries, Review::mapHeader(*result, configuration),
                          *Review::mapFormat(options.format), options.strictLayout);
    if (!exported.error.isEmpty()) {
        if (exported.misaligned.isEmpty())
            return failure(exported.error);
        // One member a line, so that each can be found and moved.
        for (const QString& line : exported.error.split(u'\n'))
            standardError() << "tessellor-cli: " << line << '\n';
        standardError().flush();
        return Failure;
    }
    standardOutput() << exported.text;
    standardOutput().flush();
    return Success;
}
