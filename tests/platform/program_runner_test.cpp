#include "platform/ProgramRunner.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

using Platform::RunEnd;

class ProgramRunnerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }

    // A program that sleeps, then writes its argument count and working folder to a marker file
    // just before it ends.
    QString script(const QString& name, const char* sleep) {
        const QString path = m_folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\nsleep " + QByteArray(sleep) + "\nprintf '%s\\n%s\\n' \"$#\" \"$PWD\" > \"" +
                   marker().toLocal8Bit() + ".tmp\"\nmv \"" + marker().toLocal8Bit() + ".tmp\" \"" +
                   marker().toLocal8Bit() + "\"\n");
        file.close();
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        return path;
    }
    QString marker() const { return m_folder.filePath(QStringLiteral("ended")); }
    QByteArray markerText() const {
        QFile file(marker());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_folder;
};

TEST_F(ProgramRunnerTest, ReturnsOnlyAfterTheProgramEnded) {
    const QString program = script(QStringLiteral("updater"), "0.3");
    QString error;
    EXPECT_EQ(Platform::startAndWait(program, QString(), false, 150000, &error), RunEnd::Ended);
    // No arguments, and the folder of the caller.
    EXPECT_EQ(markerText(), "0\n" + QDir::currentPath().toLocal8Bit() + "\n");
}

TEST_F(ProgramRunnerTest, GivesUpAtTheLimitAndLeavesTheProgramRunning) {
    const QString program = script(QStringLiteral("slow updater"), "1.5");
    QString error;
    EXPECT_EQ(Platform::startAndWait(program, QString(), false, 100, &error), RunEnd::StillRunning);
    EXPECT_FALSE(QFile::exists(marker()));
    for (int i = 0; i < 1000 && !QFile::exists(marker()); ++i)
        QThread::msleep(10);
    EXPECT_EQ(markerText().left(2), "0\n");
}

TEST_F(ProgramRunnerTest, AProgramThatCannotStartIsReported) {
    const QString notExecutable = m_folder.filePath(QStringLiteral("plain"));
    QFile file(notExecutable);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    for (const QString& program : {m_folder.filePath(QStringLiteral("missing")), notExecutable}) {
        SCOPED_TRACE(program.toStdString());
        QString error;
        EXPECT_EQ(Platform::startAndWait(program, QString(), false, 150000, &error), RunEnd::NotStarted);
        EXPECT_FALSE(error.isEmpty());
    }
}

} // namespace
