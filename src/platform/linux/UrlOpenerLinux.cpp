#include "platform/UrlOpener.h"

#include <QProcess>

namespace Platform {

void openUrlWithSystem(const QString& url) {
    QProcess::startDetached(QStringLiteral("xdg-open"), {url});
}

} // namespace Platform
