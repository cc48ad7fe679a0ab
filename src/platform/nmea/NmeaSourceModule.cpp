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

// Resolves one entry, loading the module on first use; null with the reason in problem.
QFunctionPointer entry(const char* name, QString& problem) {
    const QString folder =
        folderSetting().isEmpty() ? QCoreApplication::applicationDirPath() : folderSetting();
    // QLibrary keeps a loaded module loaded when the object goes; it is never unloaded.
    QLibrary library(QDir(folder).filePath(fileName()));
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

QStringList serialPorts() {
    QString problem;
    const auto function = reinterpret_cast<PortsFunction>(entry(PortsEntry, problem));
    QStringList ports;
    if (function)
        function(ports);
    return ports;
}

} // namespace Platform::NmeaSourceModule
