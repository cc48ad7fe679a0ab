#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
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
    process.start(QStringLiteral(TESSELLOR_BINARY_DIR "/tessellor-cli"), arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}
