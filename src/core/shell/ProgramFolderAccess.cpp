#include "core/shell/ProgramFolderAccess.h"

#include "core/shell/ProgramState.h"

#include <QDir>
#include <QTemporaryFile>

namespace ProgramFolderAccess {

namespace {

// Whether a file can be made in the folder: the only sure answer on every system, where
// permissions, access lists and read-only mounts all have their say.
bool takesFiles(const QString& folder) {
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".tessellor-write-check-XXXXXX")));
    return probe.open();
}

} // namespace

QString unwritableFolder(const ProgramState& state) {
    for (const QString& folder : {state.Dir_Program, state.Dir_Projects}) {
        if (!takesFiles(folder))
            return QDir::toNativeSeparators(folder);
    }
    return {};
}

} // namespace ProgramFolderAccess
