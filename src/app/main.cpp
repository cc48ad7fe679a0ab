#include "core/shell/ProgramState.h"
#include "gui/shell/TFTesselloreFirmWare.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    ProgramState state;
    TFTesselloreFirmWare mainWindow(state, QCoreApplication::applicationDirPath());
    mainWindow.createWindows();
    mainWindow.show();
    return app.exec();
}
