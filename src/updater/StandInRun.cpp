#include "updater/StandInRun.h"

#include "core/update/UpdaterJobCheck.h"
#include "core/update/UpdaterParameters.h"
#include "core/util/Paths.h"
#include "core/util/SafeSave.h"
#include "updater/TFStandInResult.h"

#include <QDateTime>
#include <cstdio>

namespace StandIn {

bool showsWindow(const QStringList& arguments) {
    if (arguments.contains(QLatin1String(NoWindowOption)))
        return false;
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.startsWith("offscreen"))
        return false;
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // Without a display Qt would end the program before the log is written.
    if (platform.isEmpty() && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return false;
#endif
    return true;
}

int run(const QString& folder, bool window) {
    const UpdaterJobReport report = checkUpdaterJob(joinPath(folder, updaterParameterName()));

    QStringList log;
    log << QStringLiteral("Ethernet_Update (stand-in) %1")
               .arg(QDateTime::currentDateTime().toString(Qt::ISODate));
    log << report.lines;
    const QByteArray text = (log.join(u'\n') + u'\n').toUtf8();
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
    std::fflush(stdout);

    int code = report.ok ? 0 : 1;
    QStringList shown = report.lines;
    QString error;
    if (!saveFileAtomically(joinPath(folder, updaterLogName()), text, &error)) {
        const QString line = QStringLiteral("Cannot write %1: %2").arg(updaterLogName(), error);
        std::fprintf(stderr, "%s\n", qPrintable(line));
        shown << line;
        code = 2;
    }
    if (window) {
        TFStandInResult result(shown, report.ok && code == 0);
        result.exec();
    }
    return code;
}

} // namespace StandIn
