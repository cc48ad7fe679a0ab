#pragma once

#include <QString>

namespace Table {

// A grid as the row operations see it: row 0 and column 0 are the fixed headers, data rows are
// 1..rowCount()-1 and data columns 1..columnCount()-1 (hidden columns included). A data cell either
// holds a text or is a check box cell holding a checked state; the editor decides which.
class RowTable {
public:
    virtual ~RowTable() = default;

    virtual int rowCount() const = 0;
    // Every column, hidden ones and the header column included.
    virtual int columnCount() const = 0;
    // Columns the user can see, the header column included.
    virtual int visibleColumnCount() const = 0;

    virtual bool isCheckCell(int col, int row) const = 0;
    virtual bool isChecked(int col, int row) const = 0;
    virtual void setChecked(int col, int row, bool checked) = 0;
    virtual QString text(int col, int row) const = 0;
    virtual void setText(int col, int row, const QString& text) = 0;
};

} // namespace Table
