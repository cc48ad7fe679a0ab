#pragma once

#include "core/nmea/AccessRules.h"

#include <QList>
#include <QString>
#include <QStringList>

class MessageCatalog;

namespace Nmea {

// The rules table's columns as the rules window numbers them; 0 is the row number.
enum RuleColumn {
    ColEnable = 1,
    ColChannel,
    ColSentence,
    ColIndex,
    ColField,
    ColPostOpe,
    ColSwapAll,
    ColSwap16,
    ColPosition,
    ColMnemonic,
};
inline constexpr int RuleColumnCount = 10;

struct BlockPaste {
    RuleTable table; // the rows with the block in them, or as they were when refused
    QString refusal; // empty when the whole block was applied
    int rows = 0;    // the block's extent
    int columns = 0;
};

// Pastes a block into the rows from (row, column) on, each value checked as if typed in its cell
// in order, left to right and row by row: a pick-list cell takes the entry whose text matches,
// ignoring case and surrounding blanks (a sentence or field taken proposes its position as a pick
// does); a check box takes Y, N, 1, 0, true or false; an Index only where the row's sentence takes
// one; text loses its control characters. Any value refused refuses the whole block, naming its
// row and column (columnNames[1..10] as the window heads them). channels is the Channel pick list.
BlockPaste pasteBlock(const RuleTable& table, int row, int column, const QString& block,
                      const QStringList& channels, const QStringList& columnNames,
                      const MessageCatalog& catalog);

} // namespace Nmea
