#include "core/image/BankCompiler.h"
#include "core/update/UpdaterParameters.h"
#include "core/util/Paths.h"
#include "core/util/SafeSave.h"
#include "updater/StandInRun.h"
#include "updater/TFStandInResult.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// The stand-in updater over a folder of its own: the job beside it, a compiled configuration image
// and no firmware, as in a program folder without the maker's files.
class StandInUpdaterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.isValid());
        ASSERT_TRUE(QDir(m_folder.path()).mkpath(QStringLiteral("bin")));
        BankImage image;
        ASSERT_TRUE(Compile_Bank(path("ParGen.xml"), path("NMEA_0183_Set_Access.xml"), image));
        ASSERT_TRUE(saveFileAtomically(path("bin/bank.bin"), image.bytes()));
    }

    QString path(const char* name) const { return joinPath(m_folder.path(), QString::fromUtf8(name)); }

    void writeJob(int option) {
        const QDomDocument job = updaterParameterDocument(QStringLiteral("127.0.0.1"), option, true,
                                                          path("Sim73052.sim"), path("bin/bank.bin"));
        ASSERT_TRUE(saveFileAtomically(path("Ethernet_Update.xml"), job.toByteArray()));
    }

    QStringList logLines() const {
        QFile file(path("Ethernet_Update.log"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

    // Runs the stand-in with its window, reads the window and presses OK.
    struct Seen {
        bool shown = false;
        QStringList lines;
        QString note;
        QString result;
    };
    int runWithWindow(Seen* seen) {
        QTimer::singleShot(0, [seen] {
            auto* window = qobject_cast<TFStandInResult*>(QApplication::activeModalWidget());
            if (!window)
                return;
            seen->shown = window->isVisible();
            for (int i = 0; i < window->LB_Checks->count(); ++i)
                seen->lines << window->LB_Checks->item(i)->text();
            seen->note = window->L_Stand_In->text();
            seen->result = window->L_Result->text();
            QTest::mouseClick(window->Btn_OK, Qt::LeftButton);
            if (window->isVisible()) {
                ADD_FAILURE() << "OK left the window open";
                window->reject();
            }
        });
        return StandIn::run(m_folder.path(), true);
    }

    QTemporaryDir m_folder;
};

TEST_F(StandInUpdaterTest, TheWindowShowsTheLogsChecksAndOkKeepsTheExitCode) {
    struct Case {
        const char* name;
        int option;
        int exitCode;
        const char* expectedLine;
        const char* result;
    } const cases[] = {
        {"configuration only", UpdateConfiguration, 0,
         "Operation 1 (bank type 2, start 0x68000): ", "All checks passed"},
        {"firmware without the maker's file", UpdateFirmwareAndConfiguration, 1, "firmware file missing",
         "A check failed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeJob(c.option);
        Seen seen;
        EXPECT_EQ(runWithWindow(&seen), c.exitCode);
        ASSERT_TRUE(seen.shown);
        EXPECT_TRUE(seen.note.contains(QStringLiteral("stand-in"))) << seen.note.toStdString();
        EXPECT_TRUE(seen.note.contains(QStringLiteral("wrote nothing to any device")))
            << seen.note.toStdString();
        // The window lists the log line for line, the log's dated heading aside.
        const QStringList log = logLines();
        ASSERT_FALSE(log.isEmpty());
        EXPECT_TRUE(log.first().startsWith(QStringLiteral("Ethernet_Update (stand-in) ")));
        EXPECT_EQ(seen.lines, log.mid(1));
        EXPECT_TRUE(seen.lines.join(u'\n').contains(QLatin1String(c.expectedLine)))
            << seen.lines.join(u'\n').toStdString();
        EXPECT_TRUE(seen.result.startsWith(QLatin1String(c.result))) << seen.result.toStdString();
    }
}

TEST_F(StandInUpdaterTest, ALogThatCannotBeWrittenIsShownInTheWindow) {
    writeJob(UpdateConfiguration);
    ASSERT_TRUE(QDir(m_folder.path()).mkdir(QStringLiteral("Ethernet_Update.log"))); // no file can replace it
    Seen seen;
    EXPECT_EQ(runWithWindow(&seen), 2);
    ASSERT_TRUE(seen.shown);
    ASSERT_FALSE(seen.lines.isEmpty());
    EXPECT_TRUE(seen.lines.last().startsWith(QStringLiteral("Cannot write Ethernet_Update.log: ")))
        << seen.lines.last().toStdString();
    EXPECT_TRUE(seen.result.startsWith(QLatin1String("A check failed"))) << seen.result.toStdString();
}

// The program itself, as the configurator and scripts start it: it must end by itself whenever no
// one can press OK, and open no display when told not to.
TEST_F(StandInUpdaterTest, TheProgramRunsWithoutItsWindowWhenNoOneCouldPressOk) {
    const QString program = QStringLiteral(TESSELLOR_BINARY_DIR "/Ethernet_Update" TESSELLOR_EXE_SUFFIX);
    ASSERT_TRUE(QFile::exists(program)) << "build the Ethernet_Update target first";
    ASSERT_TRUE(QFile::copy(program, path("Ethernet_Update")));
    writeJob(UpdateConfiguration);
    struct Case {
        const char* name;
        QStringList arguments;
        const char* platform; // nullptr: not set
        const char* display;  // nullptr: not set
    } const cases[] = {
        // A display that does not exist: opening it would end the program with an error.
        {"the option", {QString::fromLatin1(StandIn::NoWindowOption)}, nullptr, ":97"},
        {"the offscreen platform", {}, "offscreen", nullptr},
#ifndef Q_OS_WIN // Windows always has a desktop to show the window on
        {"no display", {}, nullptr, nullptr},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path("Ethernet_Update.log"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(QString::fromLatin1(name));
        if (c.platform)
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(c.platform));
        if (c.display)
            environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(c.display));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(path("Ethernet_Update"), c.arguments);
        ASSERT_TRUE(process.waitForFinished(60000)) << "still running: a window waits for OK";
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        EXPECT_TRUE(logLines().endsWith(QStringLiteral("Result: OK")));
    }
}

} // namespace
