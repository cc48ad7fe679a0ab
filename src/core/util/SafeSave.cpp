#include "core/util/SafeSave.h"

#include <QFile>
#include <QSaveFile>

bool saveFileAtomically(const QString& path, const QByteArray& data, QString* error) {
    // Replacing through a rename would slip past a read-only file, and so would the
    // administrator's rights; a file whose owner may not write it is refused as the user expects.
    if (QFile::exists(path) && !(QFile::permissions(path) & QFileDevice::WriteOwner)) {
        if (error)
            *error = QStringLiteral("The file is read-only");
        return false;
    }
    QSaveFile file(path);
    // A read-only target must refuse the save, as it would for a plain write.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    // The last part of the data waits in the write buffer, and commit() ignores a failed flush of
    // it: on a full disk the old file would be replaced by a cut one. Flushing here catches that.
    if (file.write(data) != data.size() || !file.flush()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
