// Starts as the program starts (the main window alone; the others are built when opened), shows it and
// prints the moment of its first painted frame, the peak resident memory then and when main began.
#include "FrameClock.h"

#include "core/shell/ProgramState.h"
#include "gui/shell/TFTesselloreFirmWare.h"

#include <cstdio>

int main(int argc, char* argv[]) {
    const std::int64_t mainAt = monotonicNs();
    FrameClock app(argc, argv);
    const QString folder =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QCoreApplication::applicationDirPath();
    ProgramState state;
    TFTesselloreFirmWare mainWindow(state, folder);
    app.watch(&mainWindow);
    mainWindow.show();
    if (!app.waitForFrame())
        return 2;
    std::printf("%lld %ld %lld\n", static_cast<long long>(monotonicNs(app.framedAt())), peakResidentKb(),
                static_cast<long long>(mainAt));
    return 0;
}
