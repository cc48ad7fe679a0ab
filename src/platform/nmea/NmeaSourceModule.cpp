#include "platform/nmea/NmeaSourceModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace Platform::NmeaSourceModule {
namespace {

QString& folderSetting() {
    static QString folder;
    return folder;
}

// Resolves one entry, loading the module on first use; null with the reason in problem. A module
// of another interface version is refused: a stale file left in the folder by an older program.
QFunctionPointer entry(const char* name, QString& problem) {
    const QString folder =
        folderSetting().isEmpty() ? QCoreApplication::applicationDirPath() : folderSetting();
    // QLibrary keeps a loaded module loaded when the object goes; it is never unloaded.
    QLibrary library(QDir(folder).filePath(fileName()));
    const auto version = reinterpret_cast<VersionFunction>(library.resolve(VersionEntry));
    if (!version) {
        problem = library.isLoaded() ? QStringLiteral("%1 is not a module of this program version (it has no "
                                                      "interface version): install the program again")
                                           .arg(QDir::toNativeSeparators(library.fileName()))
                                     : library.errorString();
        return nullptr;
    }
    if (const int found = version(); found != InterfaceVersion) {
        problem =
            QStringLiteral("%1 belongs to another version of the program (interface %2, this program needs "
                           "%3): install the program again")
                .arg(QDir::toNativeSeparators(library.fileName()))
                .arg(found)
                .arg(InterfaceVersion);
        return nullptr;
    }
    const QFunctionPointer function = library.resolve(name);
    if (!function)
        problem = library.errorString();
    return function;
}

} // namespace

QString fileName() {
    return QStringLiteral(TESSELLOR_NMEA_MODULE_FILE);
}

void setFolder(const QString& folder) {
    folderSetting() = folder;
}

std::unique_ptr<NmeaSourceHandle> create(const NmeaSourceSettings& settings, NmeaSourceEvents& events,
                                         QString& problem) {
    const auto function = reinterpret_cast<CreateFunction>(entry(CreateEntry, problem));
    if (!function)
        return nullptr;
    return std::unique_ptr<NmeaSourceHandle>(function(settings, events));
}

std::unique_ptr<AdapterSocketsHandle> createAdapterSockets(const AdapterSocketSettings& settings,
                                                           AdapterSocketEvents& events, QString& problem) {
    const auto function = reinterpret_cast<AdapterFunction>(entry(AdapterEntry, problem));
    if (!function)
        return nullptr;
    return std::unique_ptr<AdapterSocketsHandle>(function(settings, events));
}

QStringList serialPorts() {
    QString problem;
    const auto function = reinterpret_cast<PortsFunction>(entry(PortsEntry, problem));
    QStringList ports;
    if (function)
        function(ports);
    return ports;
}

} // namespace Platform::NmeaSourceModule
