#include "core/options/LanguageList.h"

#include "core/util/Paths.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace LanguageList {

namespace {
const QString kExtension = QStringLiteral(".lng");
}

QStringList list(const QString& Dir_Language) {
    // Case-sensitive: the language is loaded later by its name plus ".lng", and the file system is.
    const QFileInfoList found =
        QDir(Dir_Language)
            .entryInfoList({QStringLiteral("*") + kExtension},
                           QDir::Files | QDir::Hidden | QDir::CaseSensitive, QDir::NoSort);
    QStringList names;
    for (const QFileInfo& file : found) {
        // A read-only file is left out; the permission bit decides, since a write test passes for root.
        if (!file.isFile() || !(file.permissions() & QFileDevice::WriteOwner))
            continue;
        if (file.fileName().size() <= kExtension.size())
            continue; // ".lng" alone names no language
        names.append(file.fileName());
    }
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return names;
}

QString languageName(const QString& fileName) {
    return fileName.left(fileName.size() - kExtension.size());
}

QString flagFile(const QString& Dir_Language, const QString& name) {
    for (const QString& candidate : {name + QStringLiteral(".bmp"), QStringLiteral("DefaultFlag.bmp")}) {
        const QString path = joinPath(Dir_Language, candidate);
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

int pageCount(int n) {
    return (n + EntriesPerPage - 1) / EntriesPerPage;
}

int entriesOnPage(int n, int page) {
    return std::clamp(n - (page - 1) * EntriesPerPage, 0, EntriesPerPage);
}

} // namespace LanguageList
