#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace Table {

// Text copied from a spreadsheet: rows parted by line ends, cells by tabs. A line end after the
// last row ends it and starts no row of its own.
QList<QStringList> splitBlock(const QString& text);
// Text that pastes as cells rather than into one: it holds a tab or a line end.
bool isBlock(const QString& text);

} // namespace Table
