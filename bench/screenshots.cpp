// Starts the program over a program folder as it starts at the user's, opens each window in turn
// and saves a PNG of it.
//
//   tessellor_screenshots PROGRAM_FOLDER OUTPUT_FOLDER
//
// scripts/screenshots.sh lays out the folder with the sample configuration and runs this under xvfb.
#include "core/image/BankCompiler.h"
#include "core/shell/ProgramState.h"
#include "core/update/UpdaterJobCheck.h"
#include "core/update/UpdaterParameters.h"
#include "core/util/Paths.h"
#include "core/util/SafeSave.h"
#include "gui/comm/CategoryPanelGroup.h"
#include "gui/comm/TFParGen.h"
#include "gui/nmea/MonitorChannel.h"
#include "gui/nmea/TFDataMap.h"
#include "gui/nmea/TFNMEA_0183_Set_Access2.h"
#include "gui/nmea/TFNmeaMonitor.h"
#include "gui/options/TFAbout.h"
#include "gui/options/TFSoftOptions.h"
#include "gui/review/TFReviewFindings.h"
#include "gui/shell/ProgramWindows.h"
#include "gui/shell/TFNew_Project.h"
#include "gui/shell/TFOpenConf.h"
#include "gui/shell/TFTesselloreFirmWare.h"
#include "gui/table/EditingTable.h"
#include "gui/update/TFBoot.h"
#include "platform/nmea/NmeaSourceModule.h"
#include "updater/TFStandInResult.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <cstdio>
#include <functional>
#include <set>
#include <string>

namespace {

// Lets the window be mapped, polished and laid out before it is drawn.
void settle(QWidget* window) {
    if (!QTest::qWaitForWindowExposed(window, 5000))
        std::fprintf(stderr, "%s was not exposed\n", qPrintable(window->objectName()));
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
        QTest::qWait(20);
    }
}

bool save(QWidget* window, const QString& folder, const QString& name) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!window->grab().save(&buffer, "PNG"))
        return false;
    QString error;
    const QString path = joinPath(folder, name + QStringLiteral(".png"));
    if (!saveFileAtomically(path, png, &error)) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(error));
        return false;
    }
    std::printf("%s  %dx%d  \"%s\"\n", qPrintable(path), window->width(), window->height(),
                qPrintable(window->windowTitle()));
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: tessellor_screenshots PROGRAM_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    const QString programFolder = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(output);

    Platform::NmeaSourceModule::setFolder(QStringLiteral(TESSELLOR_NMEA_MODULE_DIR));
    ProgramState state;
    TFTesselloreFirmWare mainWindow(state, programFolder);
    mainWindow.createWindows();
    mainWindow.show();
    settle(&mainWindow);

    bool ok = save(&mainWindow, output, QStringLiteral("main"));
    // The classes of the windows pictured, so that a window of the program left out is told.
    std::set<std::string> pictured{mainWindow.metaObject()->className()};
    // Each window as the main window would open it, one at a time.
    const auto shot = [&](QWidget* window, const QString& name, const std::function<void()>& prepare = {}) {
        window->show();
        settle(window);
        if (prepare) {
            prepare();
            settle(window);
        }
        ok = save(window, output, name) && ok;
        pictured.insert(window->metaObject()->className());
    };

    shot(mainWindow.newProjectWindow(), QStringLiteral("new_configuration"));
    mainWindow.newProjectWindow()->hide();
    shot(mainWindow.openConfWindow(), QStringLiteral("open_configuration"));
    mainWindow.openConfWindow()->hide();

    TFSoftOptions* options = mainWindow.softOptionsWindow();
    shot(options, QStringLiteral("options_language"));
    shot(options, QStringLiteral("options_connection"),
         [options] { options->PC_Options->setCurrentWidget(options->TS_Con_Options); });
    shot(options, QStringLiteral("options_settings"),
         [options] { options->PC_Options->setCurrentWidget(options->TS_Soft_Settings); });
    options->hide();

    shot(mainWindow.aboutWindow(), QStringLiteral("about"));
    mainWindow.aboutWindow()->hide();

    TFParGen* parGen = mainWindow.parGenWindow();
    shot(parGen, QStringLiteral("communication_top"));
    shot(parGen, QStringLiteral("communication_bottom"), [parGen] {
        parGen->CPG->verticalScrollBar()->setValue(parGen->CPG->verticalScrollBar()->maximum());
    });
    parGen->hide();

    TFNMEA_0183_Set_Access2* rules = mainWindow.nmeaAccessWindow();
    shot(rules, QStringLiteral("rules"));
    // The monitor beside the rules, once the sample watch log beside the program has been replayed
    // on every channel.
    rules->Btn_MonitorClick();
    TFNmeaMonitor* monitor = rules->monitorWindow();
    shot(monitor, QStringLiteral("monitor"), [&] {
        for (MonitorChannel* channel : monitor->channelRows()) {
            channel->E_LogFile->setText(joinPath(programFolder, QStringLiteral("watch.nmea")));
            channel->Btn_StartClick();
        }
        QElapsedTimer wait;
        wait.start();
        const auto listening = [monitor] {
            for (const MonitorChannel* channel : monitor->channelRows()) {
                if (channel->Btn_Stop->isEnabled())
                    return true;
            }
            return false;
        };
        while (listening() && wait.elapsed() < 5000)
            QTest::qWait(20);
        monitor->refresh();
    });
    monitor->hide();
    // The review at work: the wind angle of row 9 ticked and moved onto bytes of rules 6 and 7.
    shot(rules, QStringLiteral("rules_review"), [rules] {
        QAbstractItemModel* table = rules->ASG->model();
        table->setData(table->index(8, 0), Qt::Checked, Qt::CheckStateRole);
        table->setData(table->index(8, 8), QStringLiteral("19"), Qt::EditRole);
    });
    rules->Btn_DataMapClick();
    TFDataMap* dataMap = rules->dataMapWindow();
    shot(dataMap, QStringLiteral("data_map"));
    dataMap->hide();
    // What Update Device shows first when the review finds an error.
    TFReviewFindings* findings = mainWindow.makeReviewFindingsWindow();
    findings->showFindings(rules->review().findings);
    shot(findings, QStringLiteral("review_findings"));
    findings->hide();
    rules->hide();

    mainWindow.bootWindow()->Form_Type = 1;
    shot(mainWindow.bootWindow(), QStringLiteral("update"));
    mainWindow.bootWindow()->hide();

    // The stand-in updater's window over the job for the sample configuration, as after Execute.
    BankImage image;
    QString error;
    if (!Compile_Bank(state.File_ParGen, state.File_NMEA_Access, image) ||
        !Save_Bank(state.Active_Conf_Dir, image, &error) ||
        !Compile_XML_Parameter(state, QStringLiteral("192.168.001.20"), UpdateConfiguration, true, &error)) {
        std::fprintf(stderr, "no update job for the stand-in updater: %s\n", qPrintable(error));
        return 1;
    }
    const UpdaterJobReport report = checkUpdaterJob(joinPath(state.Dir_Program, updaterParameterName()));
    TFStandInResult standIn(report.lines, report.ok);
    shot(&standIn, QStringLiteral("stand_in_updater"));

    for (const ProgramWindow& window : programWindows()) {
        if (!pictured.count(window.type.className())) {
            std::fprintf(stderr, "no picture of %s\n", window.type.className());
            ok = false;
        }
    }
    return ok ? 0 : 1;
}
