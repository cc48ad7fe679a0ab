#include "ReportCommand.h"

#include "CommandLine.h"
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

} // namespace

int runReport(const QStringList& words, char* program) {
    CommandLine line(QStringLiteral("report"), {{"-o", "a file name"}}, {"CONFIG_DIR"});
    if (!line.parse(words))
        return line.usageError();
    if (line.help()) {
        standardOutput() << kReportHelp;
        standardOutput().flush();
        return Success;
    }
    if (!line.has("-o") || line.value("-o").isEmpty())
        return line.usageError(QStringLiteral("missing -o FILE"));
    struct {
        QString folder;
        QString output;
    } const arguments{line.argument("CONFIG_DIR"), line.value("-o")};
    if (!QFileInfo(arguments.folder).isDir())
        return line.usageError(
            QStringLiteral("no such configuration folder %1").arg(native(arguments.folder)));

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
