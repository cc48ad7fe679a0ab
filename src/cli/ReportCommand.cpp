#include "ReportCommand.h"

#include "CommandOutput.h"
#include "core/language/MessageCatalog.h"
#include "core/review/CommissioningReport.h"
#include "report/ReportPdf.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

namespace {

using namespace Cli;

const char* const kReportHelp = R"(Usage: tessellor-cli report CONFIG_DIR -o FILE.pdf

Writes the commissioning report of the configuration folder CONFIG_DIR as a PDF: the
configuration's name, the date, the program's version and the image checksum; the serial ports and
the network settings; every compiled rule with its channel, sentence, field, type, scaling, swap,
bytes and mnemonic; the data map as a picture; the review's findings; and lines to sign. The texts
are in English.

The report says whether CONFIG_DIR/bin/bank.bin holds the image the documents compile to.

Options:
  -o FILE     the PDF to write (replaced whole, or left as it was when writing fails)
  -h, --help  show this help

Exit codes: 0 written; 1 a document cannot be read or FILE cannot be written (nothing is written
then), or written but bin/bank.bin is missing or holds another image; 2 wrong usage or no such
folder.
)";

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

struct Arguments {
    QString folder;
    QString output;
    bool help = false;
};

// An error text means wrong usage.
QString parse(const QStringList& words, Arguments& arguments) {
    QStringList positional;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words[i];
        if (word == u"-h" || word == u"--help") {
            arguments.help = true;
        } else if (word == u"-o") {
            if (i + 1 >= words.size() || words[i + 1].isEmpty())
                return QStringLiteral("-o needs a file name");
            if (!arguments.output.isEmpty())
                return QStringLiteral("-o given twice");
            arguments.output = words[++i];
        } else if (word.startsWith(u'-') && word.size() > 1) {
            return QStringLiteral("unknown option %1").arg(word);
        } else {
            positional << word;
        }
    }
    if (arguments.help)
        return {};
    if (positional.isEmpty())
        return QStringLiteral("missing CONFIG_DIR");
    if (positional.size() > 1)
        return QStringLiteral("unexpected argument %1").arg(positional[1]);
    if (arguments.output.isEmpty())
        return QStringLiteral("missing -o FILE");
    arguments.folder = positional[0];
    return {};
}

} // namespace

int runReport(const QStringList& words, char* program) {
    Arguments arguments;
    const QString problem = parse(words, arguments);
    if (arguments.help) {
        standardOutput() << kReportHelp;
        standardOutput().flush();
        return Success;
    }
    if (!problem.isEmpty())
        return usageError(problem, QStringLiteral("report"));
    if (!QFileInfo(arguments.folder).isDir())
        return usageError(QStringLiteral("no such configuration folder %1").arg(native(arguments.folder)),
                          QStringLiteral("report"));

#ifndef Q_OS_WIN
    // The pages need fonts, not a screen: without a platform named, the report is painted without
    // a display server, so it runs over ssh and in scripts alike. Windows always has its own.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    // Qt's own remarks on its set-up (the runtime folder, fonts) are not the command's to tell.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            standardError() << "tessellor-cli: " << message << '\n';
    });
    // Only the program's name: the command's words are not the application's options.
    int argc = 1;
    char* argv[] = {program, nullptr};
    const QGuiApplication application(argc, argv);

    const MessageCatalog english; // the built-in texts, whatever language the configurator shows
    QString error;
    const Review::CommissioningReport report =
        Review::folderReport(arguments.folder, QDateTime::currentDateTime(), english, &error);
    if (!error.isEmpty())
        return failure(error);
    if (!ReportPdf::save(arguments.output, report, &error))
        return failure(QStringLiteral("cannot write %1: %2").arg(native(arguments.output), error));

    standardOutput() << "Wrote " << native(arguments.output) << ": " << report.rules.rows.size()
                     << " compiled rules, " << report.findingsSummary << '\n';
    standardOutput().flush();
    if (report.image == Review::StoredImage::Same)
        return Success;
    // The sheet says the same in its header; a script learns it here.
    const Review::ReportFact& image = report.facts.value(Review::CommissioningReport::CompiledImage);
    return failure(QStringLiteral("%1: %2").arg(image.label, image.value));
}
