// Ethernet_Update, the stand-in updater.
//
// The configurator hands every device update to the program Ethernet_Update in its program folder.
// The real updater, which writes the firmware and the configuration image into the converter, and
// the firmware file MASTER/Sim73052.sim both come from the maker and are not part of this product.
// This stand-in takes the real one's place for development and tests: it reads Ethernet_Update.xml
// beside itself, checks the device address and every operation's file (a configuration image byte
// for byte), writes what it checked and found to Ethernet_Update.log beside itself, shows the same in
// a small window until OK (not with --no-window, on the offscreen platform or without a display), and
// exits 0 when all holds and 1 otherwise. It never contacts a device.

#include "core/util/Paths.h"
#include "updater/StandInRun.h"

#include <QApplication>
#include <QCoreApplication>
#include <memory>

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // The choice comes first: a QApplication without a display would end the program.
    const bool window = StandIn::showsWindow(arguments);
    std::unique_ptr<QCoreApplication> app;
    if (window)
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    return StandIn::run(programFolderPath(QCoreApplication::applicationDirPath()), window);
}
