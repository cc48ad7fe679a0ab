#include "core/util/Paths.h"

#include <QDir>

QString joinPath(const QString& folder, const QString& name) {
    return folder + QDir::separator() + name;
}

QString programFolderPath(const QString& reported) {
    return programFolderPath(reported, QDir::separator());
}

QString programFolderPath(const QString& reported, QChar separator) {
    QString folder = reported;
    return folder.replace(u'/', separator);
}
