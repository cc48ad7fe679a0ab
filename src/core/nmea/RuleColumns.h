#pragma once

#include "core/nmea/AccessRules.h"
#include "core/table/RowTable.h"

#include <QString>
#include <span>

// The columns of a rule, in the order of the rules window and of the document's attributes: one
// entry each drives reading, writing, the compiler's reader, the window and the paste.
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

enum class CellKind {
    Tick, // a check box, stored as Y or N
    Pick, // chosen from a list
    Text, // typed
};

// Where a pick list's entries come from.
enum class PickSource { None, Channels, Sentences, Fields, PostOperations };

struct RuleColumnDef {
    const char* attribute; // the document's attribute
    CellKind kind;
    PickSource pick;
    // Loading: a tick reads "Y" as ticked, or, when tickedUnlessN, anything but "N" (a missing
    // attribute included); a text column takes missing when the attribute is missing, else the
    // attribute through filter (the row read so far, for lists that depend on it).
    bool tickedUnlessN;
    const char* missing;
    QString (*filter)(const AccessRule& row, const QString& value);
    // Typing is allowed only where the row's sentence takes an Index.
    bool onlyWithIndex;
    bool AccessRule::*tick;
    QString AccessRule::*text;
    QString RuleAttributes::*stored;
    // The window's look: catalog slots, width in pixels and background as 0xRRGGBB.
    int headerSlot;
    int hintSlot;
    int width;
    unsigned colour;
};

// Columns 1..RuleColumnCount; ruleColumns()[col - 1] is column col.
std::span<const RuleColumnDef, RuleColumnCount> ruleColumns();
const RuleColumnDef& ruleColumn(int col);

// A cell of a rule: the text of a text or pick column, the tick of a check box column.
QString cellText(const AccessRule& rule, int col);
bool cellTicked(const AccessRule& rule, int col);
void setCellText(AccessRule& rule, int col, const QString& text);
void setCellTicked(AccessRule& rule, int col, bool ticked);

// The rules as the shared row operations see them: row 0 and column 0 are the headers, the tick
// columns are the check box cells.
class RuleTableRows : public Table::RowTable {
public:
    explicit RuleTableRows(RuleTable& table) : m_table(table) {}
    int rowCount() const override { return RuleRows + 1; }
    int columnCount() const override { return RuleColumnCount + 1; }
    int visibleColumnCount() const override { return RuleColumnCount + 1; }
    bool isCheckCell(int col, int) const override { return ruleColumn(col).kind == CellKind::Tick; }
    bool isChecked(int col, int row) const override { return cellTicked(m_table[row - 1], col); }
    void setChecked(int col, int row, bool checked) override {
        setCellTicked(m_table[row - 1], col, checked);
    }
    QString text(int col, int row) const override { return cellText(m_table[row - 1], col); }
    void setText(int col, int row, const QString& text) override { setCellText(m_table[row - 1], col, text); }

private:
    RuleTable& m_table;
};

} // namespace Nmea
