// tessellor-cli: compiles, decodes and checks configurations without the windows, over the same
// rules as the configurator. Exit codes: 0 success, 1 the work failed, 2 wrong usage.
#include "CommandLine.h"
#include "CommandOutput.h"
#include "ListenCommand.h"
#include "ReplayCommand.h"
#include "ReportCommand.h"
#include "ReviewCommands.h"
#include "ServeCommand.h"
#include "core/comm/ParGen.h"
#include "core/image/BankCompiler.h"
#include "core/image/ImageDump.h"
#include "core/language/MessageCatalog.h"
#include "core/nmea/AccessRules.h"
#include "core/nmea/RulesCheck.h"
#include "core/shell/ConfigurationFiles.h"
#include "core/shell/ProductIdentity.h"
#include "core/util/Paths.h"
#include "core/util/SafeSave.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTextStream>
#include <cstdio>

namespace {

using namespace Cli;

const char* const kGeneralHelp = R"(Usage: tessellor-cli COMMAND [ARGUMENTS]

Compiles, decodes and checks configurations of the EtherNet/IP / NMEA0183 - Converter.

Commands:
  compile CONFIG_DIR [-o FILE]  compile a configuration folder into its image
  dump FILE                     print a configuration image decoded, one field a line
  check CONFIG_DIR              run the data checks of both editors on a configuration folder
  review CONFIG_DIR [--json]    list what the device will not do as the editors show it
  map CONFIG_DIR [--format F]   print where the compiled rules sit in the data array, or its PLC type
  replay CONFIG_DIR LOGFILE     show what every rule would receive from an NMEA 0183 log
  listen CONFIG_DIR --channel NAME (--serial DEVICE | --udp PORT | --tcp HOST:PORT)
                                the same, from a serial port or the network, until Ctrl+C
  report CONFIG_DIR -o FILE     write the commissioning report as a PDF to sign and hand over
  serve CONFIG_DIR (--log FILE | --serial DEVICE | --udp PORT | --tcp HOST:PORT)
                                the virtual converter: serve the Output array to a PLC over
                                EtherNet/IP, until Ctrl+C

Run "tessellor-cli COMMAND --help" for one command, "tessellor-cli --version" for the version.
Exit codes: 0 success, 1 failure, 2 wrong usage.
)";

const char* const kCompileHelp = R"(Usage: tessellor-cli compile CONFIG_DIR [-o FILE]

Compiles ParGen.xml and NMEA_0183_Set_Access.xml of the configuration folder CONFIG_DIR exactly as
Update Device does and writes the image to CONFIG_DIR/bin/bank.bin. A missing document gives the
defaults, or no rules.

Options:
  -o FILE     write the image to FILE instead
  -h, --help  show this help

Exit codes: 0 written; 1 a document cannot be read, more than 128 active rules, or the image cannot
be written (nothing is written then); 2 wrong usage or no such folder.
)";

const char* const kDumpHelp = R"(Usage: tessellor-cli dump FILE

Prints the configuration image FILE decoded, one field a line: each parameter with its offset and
value, the checksum in decimal and hexadecimal, then each rule record in use with the size of its
field and its last byte in the data array.

Options:
  -h, --help  show this help

Exit codes: 0 printed; 1 the file is not an image (wrong size, checksum or rule count) or cannot be
read; 2 wrong usage or no such file.
)";

const char* const kCheckHelp = R"(Usage: tessellor-cli check CONFIG_DIR

Loads the two documents of the configuration folder CONFIG_DIR as the communication parameters
and NMEA 0183 access windows do, and runs both data checks. Prints each editor's result; a
failing editor shows its first message.

Options:
  -h, --help  show this help

Exit codes: 0 both checks pass; 1 a check fails or a document cannot be read; 2 wrong usage or no
such folder.
)";

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

int compile(const QString& folder, const QString& output) {
    BankImage image;
    CompileError error;
    if (!Compile_Bank(ConfigurationFiles(folder).parGen(), ConfigurationFiles(folder).nmeaAccess(), image,
                      &error)) {
        if (error.kind == CompileError::Kind::TooManyRules)
            return failure(QStringLiteral("%1: %2; the device takes at most %3, nothing was written")
                               .arg(native(error.file), error.message)
                               .arg(BankLayout::MaxRules));
        return failure(QStringLiteral("%1: %2").arg(native(error.file), error.message));
    }
    const QString target = output.isEmpty() ? bankPath(folder) : output;
    QString saveError;
    const bool saved = output.isEmpty() ? Save_Bank(folder, image, &saveError)
                                        : saveFileAtomically(output, image.bytes(), &saveError);
    if (!saved)
        return failure(QStringLiteral("cannot write %1: %2").arg(native(target), saveError));
    standardOutput() << "Wrote " << native(target) << ": rule count " << image.u32(BankLayout::RuleCount)
                     << ", checksum " << image.u32(BankLayout::Checksum) << '\n';
    return Success;
}

int dump(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(QStringLiteral("cannot read %1: %2").arg(native(path), file.errorString()));
    QStringList lines;
    QString error;
    if (!describeImage(file.readAll(), lines, &error))
        return failure(QStringLiteral("%1 is not a configuration image: %2").arg(native(path), error));
    for (const QString& line : lines)
        standardOutput() << line << '\n';
    return Success;
}

int check(const QString& folder) {
    const MessageCatalog catalog; // the built-in English, whatever language the configurator shows

    const auto report = [](const char* editor, const QString& problem) {
        standardOutput() << editor << ": " << (problem.isEmpty() ? QStringLiteral("OK") : problem) << '\n';
        return problem.isEmpty();
    };

    bool passed = true;
    ParGenSet set;
    QString loadError;
    if (ParGen::load(ConfigurationFiles(folder).parGen(), set, &loadError) == ParGen::LoadResult::Failed)
        passed &= report("Communication parameters", oneLine(loadError));
    else
        passed &= report("Communication parameters", Controllo_Dati(set, catalog).value_or(QString()));

    const Nmea::RulesLoad rules = Nmea::loadAccessRules(ConfigurationFiles(folder).nmeaAccess());
    if (!rules.error.isEmpty())
        passed &= report("NMEA 0183 access rules", oneLine(rules.error));
    else
        passed &=
            report("NMEA 0183 access rules", Nmea::Controllo_dati(rules.table, catalog).value_or(QString()));
    return passed ? Success : Failure;
}

int run(const QStringList& words, char* program) {
    if (words.isEmpty())
        return usageError(QStringLiteral("missing command"));
    const QString command = words[0];
    if (command == u"-h" || command == u"--help") {
        standardOutput() << kGeneralHelp;
        return Success;
    }
    if (command == u"--version") {
        standardOutput() << "tessellor-cli " << Product::SW_Version << " (" << Product::SW_Code << ")\n";
        return Success;
    }
    if (command == u"review")
        return runReview(words.mid(1));
    if (command == u"map")
        return runMap(words.mid(1));

    if (command == u"replay")
        return runReplay(words.mid(1));
    if (command == u"listen")
        return runListen(words.mid(1));
    if (command == u"serve")
        return runServe(words.mid(1));
    if (command == u"report")
        return runReport(words.mid(1), program);

    struct Command {
        const char* name;
        const char* help;
        const char* argument;
        bool acceptsOutput;
    };
    static constexpr Command kCommands[] = {
        {"compile", kCompileHelp, "CONFIG_DIR", true},
        {"dump", kDumpHelp, "FILE", false},
        {"check", kCheckHelp, "CONFIG_DIR", false},
    };
    const Command* found = nullptr;
    for (const Command& c : kCommands) {
        if (command == QLatin1String(c.name))
            found = &c;
    }
    if (!found)
        return usageError(QStringLiteral("unknown command %1").arg(command));

    CommandLine line = found->acceptsOutput ? CommandLine(command, {{"-o", "a file name"}}, {found->argument})
                                            : CommandLine(command, {}, {found->argument});
    if (!line.parse(words.mid(1)))
        return line.usageError();
    if (line.help()) {
        standardOutput() << found->help;
        return Success;
    }
    const QString target = line.argument(found->argument);
    if (command == u"dump") {
        if (!QFileInfo(target).isFile())
            return line.usageError(QStringLiteral("no such file %1").arg(native(target)));
        return dump(target);
    }
    if (!QFileInfo(target).isDir())
        return line.usageError(QStringLiteral("no such configuration folder %1").arg(native(target)));
    return command == u"compile" ? compile(target, line.value("-o")) : check(target);
}

} // namespace

int main(int argc, char** argv) {
    QStringList words;
    for (int i = 1; i < argc; ++i)
        words << QString::fromLocal8Bit(argv[i]);
    const int code = run(words, argv[0]);
    standardOutput().flush();
    standardError().flush();
    return code;
}
