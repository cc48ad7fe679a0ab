#include "core/util/DiskSnapshot.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

DiskSnapshot DiskSnapshot::take(const QString& path) {
    DiskSnapshot snapshot;
    const QFileInfo info(path);
    snapshot.m_exists = info.exists();
    if (!snapshot.m_exists)
        return snapshot;
    // The time of the last write is not enough: a copy of the program can write twice within its
    // resolution, and a file copied back keeps an older time.
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (info.isFile() && file.open(QIODevice::ReadOnly) && hash.addData(&file))
        snapshot.m_digest = hash.result();
    return snapshot;
}
