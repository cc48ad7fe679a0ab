#include "CliRun.h"
#include "core/image/BankCompiler.h"
#include "core/image/ImageDump.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kSamples = QStringLiteral(TESSELLOR_TEST_DATA "/image/");

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// Folders of configurations under one temporary folder; arguments name them relative to it.
class CompanionTest : public CliFolderTest {
protected:
    void SetUp() override {
        CliFolderTest::SetUp();
        if (HasFatalFailure())
            return;
        const QByteArray parGen = readAll(kSamples + QStringLiteral("window_defaults/ParGen.xml"));
        const QByteArray rules =
            readAll(kSamples + QStringLiteral("window_defaults/NMEA_0183_Set_Access.xml"));
        QByteArray manyRows;
        for (int i = 0; i < 129; ++i)
            manyRows += "<row Enable=\"Y\" Serial_Channel=\"RS232\" Sentence=\"GGA\" "
                        "DataField=\"Number of satellites in use [decimal]\"/>";
        const struct {
            const char* folder;
            QByteArray parGen;
            QByteArray rules;
            bool bin;
        } configurations[]{
            {"Ship", parGen, rules, true},
            {"Broken", readAll(kSamples + QStringLiteral("broken_pargen/ParGen.xml")), rules, true},
            {"NoListener", parGen, readAll(kSamples + QStringLiteral("no_listener/NMEA_0183_Set_Access.xml")),
             true},
            {"TooMany", parGen, "<NMEA_0183><NMEA_Listener>" + manyRows + "</NMEA_Listener></NMEA_0183>",
             true},
            {"NoBin", parGen, rules, false},
            {"Unchecked", QByteArray(parGen).replace("<EtherNetIP_IP1>192<", "<EtherNetIP_IP1>300<"),
             QByteArray(rules).replace("Position=\"10\"", "Position=\"2500\""), true},
        };
        for (const auto& c : configurations) {
            writeAll(path(c.folder) + QStringLiteral("/ParGen.xml"), c.parGen);
            writeAll(path(c.folder) + QStringLiteral("/NMEA_0183_Set_Access.xml"), c.rules);
            if (c.bin)
                QDir().mkpath(path(c.folder) + QStringLiteral("/bin"));
        }
        writeAll(path("short.bin"), QByteArray(3583, '\0'));
        QByteArray unsealed(BankLayout::Size, '\0');
        unsealed[0x10] = 1;
        writeAll(path("unsealed.bin"), unsealed);
    }
};

TEST_F(CompanionTest, ExitCodesAndMessages) {
    // Usage errors are one line.
    const CliCase cases[]{
        {{"--help"}, 0, "Usage: tessellor-cli COMMAND", ""},
        {{"compile", "--help"}, 0, "Usage: tessellor-cli compile CONFIG_DIR [-o FILE]", ""},
        {{"dump", "-h"}, 0, "Usage: tessellor-cli dump FILE", ""},
        {{"check", "Ship", "--help"}, 0, "Usage: tessellor-cli check CONFIG_DIR", ""},

        {{}, 2, "", "missing command"},
        {{"build", "Ship"}, 2, "", "unknown command build"},
        {{"compile"}, 2, "", "missing CONFIG_DIR"},
        {{"compile", "Ship", "Broken"}, 2, "", "unexpected argument Broken"},
        {{"compile", "Ship", "-o"}, 2, "", "-o needs a file name"},
        {{"compile", "Ship", "--force"}, 2, "", "unknown option --force"},
        {{"dump", "Ship", "-o", "x.bin"}, 2, "", "unknown option -o"},
        {{"compile", "Nowhere"}, 2, "", "no such configuration folder Nowhere"},
        {{"compile", "short.bin"}, 2, "", "no such configuration folder"},
        {{"check", "Nowhere"}, 2, "", "no such configuration folder Nowhere"},
        {{"dump", "nothing.bin"}, 2, "", "no such file nothing.bin"},
        {{"dump", "Ship"}, 2, "", "no such file Ship"},

        {{"compile", "Broken"}, 1, "", "Broken/ParGen.xml: Opening and ending tag mismatch. (line 2"},
        {{"compile", "NoListener"}, 1, "", "NoListener/NMEA_0183_Set_Access.xml: The element NMEA_Listener"},
        {{"compile", "TooMany"}, 1, "", "129 active rules"},
        {{"compile", "NoBin"}, 1, "", "NoBin/bin does not exist"},
        {{"dump", "short.bin"}, 1, "", "3583 bytes"},
        {{"dump", "unsealed.bin"}, 1, "", "checksum 0 does not match"},

        {{"check", "Ship"}, 0, "Communication parameters: OK\nNMEA 0183 access rules: OK\n", ""},
        {{"check", "Unchecked"},
         1,
         "Communication parameters: Error EtherNet/IP!! IP Address 1 must be between 0 and 255\n"
         "NMEA 0183 access rules: Error row 1!! Position Must be Between 0 and ",
         ""},
        {{"check", "Broken"},
         1,
         "Communication parameters: Broken/ParGen.xml: Opening and ending tag mismatch",
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        expectCliCase(run(c.arguments), c);
    }
    // No refused compile leaves an image behind.
    for (const char* folder : {"Broken", "NoListener", "TooMany"})
        EXPECT_FALSE(QFile::exists(path(folder) + QStringLiteral("/bin/bank.bin"))) << folder;
    EXPECT_FALSE(QDir(path("NoBin/bin")).exists());
}

// One parser reads every command's words, and every usage error points to the help that explains
// it: the command's own, or the general one before a command is known.
TEST_F(CompanionTest, EveryUsageErrorPointsToItsHelp) {
    for (const char* command : {"compile", "dump", "check", "review", "map", "replay", "listen"}) {
        SCOPED_TRACE(command);
        const CliOutcome unknown = run({command, "Ship", "--frobnicate"});
        EXPECT_EQ(unknown.exitCode, 2);
        EXPECT_EQ(unknown.err,
                  QStringLiteral("tessellor-cli: %1: unknown option --frobnicate (see tessellor-cli %1 "
                                 "--help)\n")
                      .arg(QLatin1String(command)));
        const CliOutcome help = run({command, "--frobnicate", "--help"});
        EXPECT_EQ(help.exitCode, 0) << "help wins over everything else";
        EXPECT_TRUE(
            help.out.startsWith(QStringLiteral("Usage: tessellor-cli %1 ").arg(QLatin1String(command))));
    }
    EXPECT_EQ(run({"frobnicate"}).err,
              u"tessellor-cli: unknown command frobnicate (see tessellor-cli --help)\n");
    EXPECT_EQ(run({"compile", "Ship", "-o", "a.bin", "-o", "b.bin"}).err,
              u"tessellor-cli: compile: -o given twice (see tessellor-cli compile --help)\n");
    EXPECT_EQ(run({"replay", "--json=yes", "Ship", "x.nmea"}).err,
              u"tessellor-cli: replay: --json takes no value (see tessellor-cli replay --help)\n");
}

TEST_F(CompanionTest, CompileWritesTheImageOfUpdateDeviceAndDumpDecodesIt) {
    BankImage expected;
    ASSERT_TRUE(Compile_Bank(path("Ship/ParGen.xml"), path("Ship/NMEA_0183_Set_Access.xml"), expected));

    CliOutcome result = run({"compile", "Ship"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(readAll(path("Ship/bin/bank.bin")), expected.bytes());

    result = run({"compile", "-o", "elsewhere.bin", "Ship"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(readAll(path("elsewhere.bin")), expected.bytes());

    QStringList lines;
    ASSERT_TRUE(describeImage(expected.bytes(), lines));
    result = run({"dump", "elsewhere.bin"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, lines.join(u'\n') + u'\n');
}

} // namespace
