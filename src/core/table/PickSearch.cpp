#include "core/table/PickSearch.h"

namespace Table {

int firstStartingWith(const QStringList& entries, const QString& prefix) {
    if (prefix.isEmpty())
        return -1;
    for (int i = 0; i < entries.size(); ++i) {
        if (entries[i].startsWith(prefix, Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

int firstWithWordStartingWith(const QStringList& entries, const QString& prefix) {
    if (prefix.isEmpty())
        return -1;
    for (int i = 0; i < entries.size(); ++i) {
        const QString& entry = entries[i];
        for (qsizetype at = entry.indexOf(prefix, 1, Qt::CaseInsensitive); at > 0;
             at = entry.indexOf(prefix, at + 1, Qt::CaseInsensitive)) {
            // A word starts after anything that is not a letter or a digit.
            if (!entry.at(at - 1).isLetterOrNumber())
                return i;
        }
    }
    return -1;
}

int PickSearch::type(const QStringList& entries, const QString& typed, qint64 now, int interval) {
    if (m_text.isEmpty() || now - m_last > interval)
        m_text.clear();
    m_last = now;
    m_text += typed;
    const int start = firstStartingWith(entries, m_text);
    return start >= 0 ? start : firstWithWordStartingWith(entries, m_text);
}

} // namespace Table
