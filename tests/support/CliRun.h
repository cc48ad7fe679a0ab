#pragma once

#include <QDir>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// What one run of the built tessellor-cli left behind.
struct CliOutcome {
    int exitCode = -1; // -1 when the program crashed
    QString out;
    QString err;
};

// Runs the built tessellor-cli in a working folder and waits for it to end.
inline CliOutcome runCli(const QString& workingFolder, const QStringList& arguments) {
    QProcess process;
    process.setWorkingDirectory(workingFolder);
    process.start(QStringLiteral(TESSELLOR_BINARY_DIR "/tessellor-cli" TESSELLOR_EXE_SUFFIX), arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    // Text written on Windows ends its lines with CR LF; the tests read lines alike everywhere.
    const auto text = [](const QByteArray& bytes) {
        return QString::fromUtf8(bytes).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    };
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            text(process.readAllStandardOutput()), text(process.readAllStandardError())};
}

// One line of a table of companion runs: the arguments, the exit code, a part of standard output
// and a part of standard error.
struct CliCase {
    QStringList arguments;
    int exitCode;
    const char* out;
    const char* err;
};

// What every run of a table must show: its exit code and texts, and a usage error (exit code 2) said
// in one line.
inline void expectCliCase(const CliOutcome& result, const CliCase& c) {
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err.toStdString();
    // A path in a message is written with the platform's separator.
    const auto holds = [](const QString& text, const char* part) {
        return text.contains(QLatin1String(part)) ||
               text.contains(QDir::toNativeSeparators(QLatin1String(part)));
    };
    EXPECT_TRUE(holds(result.out, c.out)) << result.out.toStdString();
    EXPECT_TRUE(holds(result.err, c.err)) << result.err.toStdString();
    if (c.exitCode == 2) {
        EXPECT_EQ(result.err.count(u'\n'), 1) << result.err.toStdString();
    }
}

// A test of the companion in a temporary folder, which each test fills with its configurations.
class CliFolderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_root.isValid()); }

    QString path(const char* relative) const { return m_root.filePath(QLatin1String(relative)); }
    CliOutcome run(const QStringList& arguments) const { return runCli(m_root.path(), arguments); }

    QTemporaryDir m_root;
};
