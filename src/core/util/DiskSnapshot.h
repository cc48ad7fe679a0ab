#pragma once

#include <QByteArray>
#include <QString>

// What a document on disk held when a window read it: whether it existed and a digest of its
// bytes. Taken again before a save, it tells whether someone else (a second copy of the program,
// an editor) has written the document since, so that their work is not replaced unasked.
class DiskSnapshot {
public:
    static DiskSnapshot take(const QString& path);

    // Same existence and same bytes; two snapshots of a missing file are the same.
    bool operator==(const DiskSnapshot& other) const = default;

private:
    bool m_exists = false;
    QByteArray m_digest; // empty when the file is missing or cannot be read
};
