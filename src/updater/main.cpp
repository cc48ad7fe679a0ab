// Ethernet_Update, the stand-in updater.
//
// The configurator hands every device update to the program Ethernet_Update in its program folder.
// The real updater, which writes the firmware and the configuration image into the converter, and
// the firmware file MASTER/Sim73052.sim both come from the maker and are not part of this product.
// This stand-in takes the real one's place for development and tests: it reads Ethernet_Update.xml
// beside itself, checks the device address and every operation's file (a configuration image byte
// for byte), writes what it checked and found to Ethernet_Update.log beside itself, and exits 0 when
// all holds and 1 otherwise. It never contacts a device.

#include "core/shell/Paths.h"
#include "core/shell/SafeSave.h"
#include "core/update/UpdaterJobCheck.h"
#include "core/update/UpdaterParameters.h"

#include <QCoreApplication>
#include <QDateTime>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString folder = programFolderPath(QCoreApplication::applicationDirPath());
    const UpdaterJobReport report = checkUpdaterJob(joinPath(folder, updaterParameterName()));

    QStringList log;
    log << QStringLiteral("Ethernet_Update (stand-in) %1")
               .arg(QDateTime::currentDateTime().toString(Qt::ISODate));
    log << report.lines;
    const QByteArray text = (log.join(u'\n') + u'\n').toUtf8();
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);

    QString error;
    if (!saveFileAtomically(joinPath(folder, updaterLogName()), text, &error)) {
        std::fprintf(stderr, "Cannot write %s: %s\n", qPrintable(updaterLogName()), qPrintable(error));
        return 2;
    }
    return report.ok ? 0 : 1;
}
