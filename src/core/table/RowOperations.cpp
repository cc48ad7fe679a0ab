#include "core/table/RowOperations.h"

namespace Table {

namespace {

bool isDataRow(const RowTable& table, int r) {
    return r >= 1 && r < table.rowCount();
}

void copyCell(RowTable& table, int col, int from, int to) {
    // The source decides: a check box hands on its state, any other cell its text.
    if (table.isCheckCell(col, from))
        table.setChecked(col, to, table.isChecked(col, from));
    else
        table.setText(col, to, table.text(col, from));
}

void copyRow(RowTable& table, int from, int to) {
    for (int c = 1; c < table.columnCount(); ++c)
        copyCell(table, c, from, to);
}

} // namespace

void clearRow(RowTable& table, int r, bool enableDefault) {
    for (int c = 1; c < table.columnCount(); ++c) {
        if (table.isCheckCell(c, r))
            table.setChecked(c, r, enableDefault && c == 1);
        else
            table.setText(c, r, QString());
    }
}

void Delete_Row(RowTable& table, int r, bool enableDefault) {
    if (!isDataRow(table, r))
        return;
    const int last = table.rowCount() - 1;
    for (int i = r; i < last; ++i)
        copyRow(table, i + 1, i);
    clearRow(table, last, enableDefault);
}

void Insert_Row(RowTable& table, int r, bool enableDefault) {
    if (!isDataRow(table, r))
        return;
    for (int i = table.rowCount() - 2; i >= r; --i)
        copyRow(table, i, i + 1);
    clearRow(table, r, enableDefault);
}

void Copy_Row(const RowTable& table, int r, QStringList& clipboard, QList<bool>& clipboardChecks) {
    if (!isDataRow(table, r))
        return;
    clipboard.clear();
    clipboardChecks.clear();
    for (int c = 1; c < table.columnCount(); ++c) {
        const bool check = table.isCheckCell(c, r);
        clipboardChecks.append(check);
        clipboard.append(check ? (table.isChecked(c, r) ? QStringLiteral("Y") : QStringLiteral("N"))
                               : table.text(c, r));
    }
}

bool Paste_Row(RowTable& table, int r, bool copied, const QStringList& clipboard,
               const QList<bool>& clipboardChecks, RowPrompts& prompts) {
    if (!copied) {
        prompts.refuse(SlotNothingCopied);
        return false;
    }
    const int dataColumns = table.columnCount() - 1;
    // Both lists are replaced together by a copy; a flag list of another length is no valid row.
    if (clipboard.size() != dataColumns || clipboardChecks.size() != dataColumns) {
        prompts.refuse(SlotClipboardWidth);
        return false;
    }
    if (!isDataRow(table, r))
        return false;
    bool occupied = false;
    for (int c = 1; c <= dataColumns && !occupied; ++c)
        occupied = !table.isCheckCell(c, r) && !table.text(c, r).isEmpty();
    if (occupied && !prompts.ask(SlotOverwriteRow))
        return false;
    for (int c = 1; c <= dataColumns; ++c) {
        const QString& entry = clipboard[c - 1];
        if (clipboardChecks[c - 1])
            table.setChecked(c, r, entry == QLatin1String("Y"));
        else
            table.setText(c, r, entry);
    }
    return true;
}

std::optional<Cell> nextCellOnEnter(int col, int row, int visibleColumns, int rows) {
    if (col < 1 || row < 1)
        return std::nullopt;
    if (col < visibleColumns - 1)
        return Cell{col + 1, row};
    return Cell{1, row < rows - 1 ? row + 1 : 1};
}

} // namespace Table
