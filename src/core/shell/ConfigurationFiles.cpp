#include "core/shell/ConfigurationFiles.h"

#include "core/util/Paths.h"

QString ConfigurationFiles::parGen() const {
    return joinPath(folder, QStringLiteral("ParGen.xml"));
}

QString ConfigurationFiles::nmeaAccess() const {
    return joinPath(folder, QStringLiteral("NMEA_0183_Set_Access.xml"));
}

QString ConfigurationFiles::binFolder() const {
    return joinPath(folder, QStringLiteral("bin"));
}

QString ConfigurationFiles::bank() const {
    return joinPath(binFolder(), QStringLiteral("bank.bin"));
}
