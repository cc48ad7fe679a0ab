#pragma once

#include "core/language/TextSlots.h"
#include "core/table/RowTable.h"

#include <QList>
#include <QStringList>
#include <optional>

// The row operations shared by the table editors. They move contents between rows and never add
// or remove a row; a cell's read-only state stays where it is.
namespace Table {

// Paste's refusals and its overwrite question, by catalog slot; the editor shows them.
class RowPrompts {
public:
    virtual ~RowPrompts() = default;
    virtual void refuse(int slot) = 0;
    // True to go on.
    virtual bool ask(int slot) = 0;
};

inline constexpr int SlotOverwriteRow = TextSlot::Rows::OverwriteRow;
inline constexpr int SlotClipboardWidth = TextSlot::Rows::ClipboardWidth;
inline constexpr int SlotNothingCopied = TextSlot::Rows::NothingCopied;

// Empties the text cells of row r; check box column 1 is ticked when enableDefault, others unticked.
void clearRow(RowTable& table, int r, bool enableDefault);

// Moves rows r+1.. up by one and clears the last row.
void Delete_Row(RowTable& table, int r, bool enableDefault);
// Moves rows r.. down by one (the last row's content is lost) and clears row r.
void Insert_Row(RowTable& table, int r, bool enableDefault);

// Records row r into the clipboard: one text per data column, "Y"/"N" for check box cells, and
// the flags that tell which entries were check boxes.
void Copy_Row(const RowTable& table, int r, QStringList& clipboard, QList<bool>& clipboardChecks);

// Pastes the clipboard into row r: refuses with 902 before any copy in this editor and with 901
// when the clipboard has another width, asks 900 when the row holds text. True when pasted.
bool Paste_Row(RowTable& table, int r, bool copied, const QStringList& clipboard,
               const QList<bool>& clipboardChecks, RowPrompts& prompts);

struct Cell {
    int col;
    int row;
    bool operator==(const Cell&) const = default;
};
// Where Enter moves from (col, row): the next visible column, or column 1 of the next row,
// wrapping from the last row to row 1. Nothing when (col, row) is not a data cell.
std::optional<Cell> nextCellOnEnter(int col, int row, int visibleColumns, int rows);

} // namespace Table
