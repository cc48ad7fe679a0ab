#pragma once

#include <QString>
#include <QStringList>

namespace Table {

// The first entry that starts with prefix, ignoring case; -1 when none does or prefix is empty.
int firstStartingWith(const QStringList& entries, const QString& prefix);

// The first entry with a word inside it (after its first) that starts with prefix, ignoring case:
// "magnetic" finds "Course over ground, degrees Magnetic"; -1 when none has one.
int firstWithWordStartingWith(const QStringList& entries, const QString& prefix);

// Typing into a pick list: characters typed within the keyboard interval of each other build one
// search text, a longer pause starts a new one. Times are in milliseconds from any fixed start.
class PickSearch {
public:
    // Adds the typed text and returns the entry it now selects: the first that starts with the
    // search text, else the first with a word that does, else -1 (the search text is kept, so
    // further characters cannot jump elsewhere).
    int type(const QStringList& entries, const QString& typed, qint64 now, int interval);
    void reset() { m_text.clear(); }
    QString text() const { return m_text; }

private:
    QString m_text;
    qint64 m_last = 0;
};

} // namespace Table
