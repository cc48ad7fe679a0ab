#include "core/shell/Configurations.h"

#include "core/shell/ConfigurationFiles.h"
#include "core/util/Paths.h"
#include "core/util/TextRules.h"

#include <QDir>
#include <QFileInfo>

namespace Configurations {

namespace {

bool staysInside(const QString& projectsDir, const QString& name) {
    if (name == QStringLiteral(".") || name == QStringLiteral(".."))
        return false;
    if (name.contains(u'/') || name.contains(u'\\') || name.contains(QChar(0)))
        return false;
#ifdef Q_OS_WIN
    if (name.contains(u':'))
        return false;
#endif
    const QString folder = QDir::cleanPath(QDir(projectsDir).absoluteFilePath(name));
    return QFileInfo(folder).absolutePath() == QDir::cleanPath(QDir(projectsDir).absolutePath());
}

} // namespace

CreateResult create(const QString& projectsDir, const QString& name) {
    if (name.isEmpty())
        return CreateResult::EmptyName;
    if (!staysInside(projectsDir, name))
        return CreateResult::NotValid;
    const QString folder = joinPath(projectsDir, name);
    if (QFileInfo(folder).isDir())
        return CreateResult::AlreadyExists;
    if (!QDir(projectsDir).mkdir(name))
        return CreateResult::NotValid;
    QDir().mkpath(ConfigurationFiles(folder).binFolder());
    return CreateResult::Created;
}

QString existingFolder(const QString& projectsDir, const QString& name) {
    // A hand-edited settings file must not point the editors at a folder outside the projects.
    if (name.isEmpty() || !staysInside(projectsDir, name))
        return {};
    const QString folder = joinPath(projectsDir, name);
    return QFileInfo(folder).isDir() ? folder : QString();
}

QStringList list(const QString& projectsDir) {
    QStringList names = QDir(projectsDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return names;
}

int Search_Open_Conf(const QStringList& names, const QString& name) {
    const QString wanted = upperAscii(name);
    for (int i = 0; i < names.size(); ++i) {
        if (upperAscii(names[i]) == wanted)
            return i;
    }
    return -1;
}

} // namespace Configurations
