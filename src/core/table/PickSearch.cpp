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

int PickSearch::type(const QStringList& entries, const QString& typed, qint64 now, int interval) {
    if (m_text.isEmpty() || now - m_last > interval)
        m_text.clear();
    m_last = now;
    m_text += typed;
    return firstStartingWith(entries, m_text);
}

} // namespace Table
