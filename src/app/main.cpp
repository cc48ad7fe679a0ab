#include "core/shell/ProgramState.h"
#include "gui/shell/TFTesselloreFirmWare.h"

#include <QApplication>

int main(int, char* argv[]) {
    // The program takes no command-line arguments: only the program's own name reaches Qt.
    int argumentCount = 1;
    QApplication app(argumentCount, argv);
    ProgramState state;
    TFTesselloreFirmWare mainWindow(state, QCoreApplication::applicationDirPath());
    // The other windows are built when first opened: the first frame waits for none of them.
    mainWindow.show();
    return app.exec();
}
