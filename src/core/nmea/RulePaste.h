#pragma once

#include "core/nmea/AccessRules.h"
#include "core/nmea/RuleColumns.h"
#include "core/nmea/RulePositions.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class MessageCatalog;

namespace Nmea {

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
                      const MessageCatalog& catalog, PositionAlignment alignment = PositionAlignment::Words);

// One value put into a cell as typing or a pick would, with the same checks as a pasted value;
// false, and the table unchanged, when the cell cannot take it. An empty value empties a text or
// pick cell (a closed Index stays as it is) and is refused by a check box.
bool typeIntoCell(RuleTable& table, int row, int column, const QString& value, const QStringList& channels,
                  PositionAlignment alignment = PositionAlignment::Words);

// An entry chosen from a pick list: a sentence takes its first field, and either a sentence or a
// field proposes the position.
void pickIntoCell(RuleTable& table, int row, int column, const QString& entry,
                  PositionAlignment alignment = PositionAlignment::Words);

// The entries the pick list of a cell offers, or nothing for a cell without a list.
std::optional<QStringList> pickEntries(const AccessRule& rule, int column, const QStringList& channels);

} // namespace Nmea
