#include "core/table/CellBlock.h"

namespace Table {

QList<QStringList> splitBlock(const QString& text) {
    QStringList lines = text.split(u'\n');
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    QList<QStringList> rows;
    rows.reserve(lines.size());
    for (QString& line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        rows << line.split(u'\t');
    }
    return rows;
}

bool isBlock(const QString& text) {
    return text.contains(u'\t') || text.contains(u'\n') || text.contains(u'\r');
}

} // namespace Table
