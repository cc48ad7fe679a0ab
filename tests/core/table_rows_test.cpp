#include "core/table/RowOperations.h"

#include <QList>
#include <QSet>
#include <QVector>
#include <gtest/gtest.h>

using namespace Table;

namespace {

// A plain grid with whole check box columns, like the access rules table.
class GridTable : public RowTable {
public:
    GridTable(int rows, int columns, QSet<int> checkColumns, int hiddenColumns = 0)
        : m_rows(rows), m_columns(columns), m_hidden(hiddenColumns), m_checkColumns(std::move(checkColumns)),
          m_text(rows * columns), m_checked(rows * columns, false) {}

    int rowCount() const override { return m_rows; }
    int columnCount() const override { return m_columns; }
    int visibleColumnCount() const override { return m_columns - m_hidden; }
    bool isCheckCell(int col, int) const override { return m_checkColumns.contains(col); }
    bool isChecked(int col, int row) const override { return m_checked[at(col, row)]; }
    void setChecked(int col, int row, bool checked) override { m_checked[at(col, row)] = checked; }
    QString text(int col, int row) const override { return m_text[at(col, row)]; }
    void setText(int col, int row, const QString& text) override { m_text[at(col, row)] = text; }

    // Row contents as one readable line: texts, and "Y"/"N" for check boxes.
    QString row(int r) const {
        QStringList cells;
        for (int c = 1; c < m_columns; ++c)
            cells << (isCheckCell(c, r) ? (isChecked(c, r) ? "Y" : "N") : text(c, r));
        return cells.join('|');
    }
    // Fills row r with texts "r.c" and check boxes alternating by row.
    void fill(int r) {
        for (int c = 1; c < m_columns; ++c) {
            if (isCheckCell(c, r))
                setChecked(c, r, (r + c) % 2 == 0);
            else
                setText(c, r, QStringLiteral("%1.%2").arg(r).arg(c));
        }
    }

private:
    int at(int col, int row) const { return row * m_columns + col; }
    int m_rows, m_columns, m_hidden;
    QSet<int> m_checkColumns;
    QVector<QString> m_text;
    QVector<bool> m_checked;
};

struct Prompts : RowPrompts {
    void refuse(int slot) override { shown << slot; }
    bool ask(int slot) override {
        shown << slot;
        return answer;
    }
    QList<int> shown;
    bool answer = true;
};

GridTable filledTable(int hiddenColumns = 0) {
    GridTable table(10, 11, {1, 7, 8}, hiddenColumns);
    for (int r = 1; r < 10; ++r)
        table.fill(r);
    return table;
}

const QString ClearedEnabled = "Y||||||N|N||";
const QString ClearedDisabled = "N||||||N|N||";

} // namespace

TEST(RowOperations, DeleteMovesRowsUpAndClearsTheLast) {
    struct Case {
        int row;
        bool enable;
    };
    for (const Case& c : {Case{3, true}, Case{1, false}, Case{9, true}, Case{9, false}}) {
        SCOPED_TRACE(c.row);
        GridTable table = filledTable();
        const GridTable before = table;
        Delete_Row(table, c.row, c.enable);
        for (int r = 1; r < c.row; ++r)
            EXPECT_EQ(table.row(r), before.row(r));
        for (int r = c.row; r < 9; ++r)
            EXPECT_EQ(table.row(r), before.row(r + 1));
        EXPECT_EQ(table.row(9), c.enable ? ClearedEnabled : ClearedDisabled);
        EXPECT_EQ(table.rowCount(), 10);
    }
}

TEST(RowOperations, InsertMovesRowsDownAndClearsTheRow) {
    struct Case {
        int row;
        bool enable;
    };
    for (const Case& c : {Case{3, true}, Case{1, false}, Case{9, true}}) {
        SCOPED_TRACE(c.row);
        GridTable table = filledTable();
        const GridTable before = table;
        Insert_Row(table, c.row, c.enable);
        for (int r = 1; r < c.row; ++r)
            EXPECT_EQ(table.row(r), before.row(r));
        EXPECT_EQ(table.row(c.row), c.enable ? ClearedEnabled : ClearedDisabled);
        for (int r = c.row + 1; r < 10; ++r)
            EXPECT_EQ(table.row(r), before.row(r - 1)); // the old last row is lost
    }
}

TEST(RowOperations, RowsOutsideTheDataRowsAreLeftAlone) {
    for (int r : {0, -1, 10}) {
        GridTable table = filledTable();
        const GridTable before = table;
        Delete_Row(table, r, true);
        Insert_Row(table, r, true);
        for (int i = 1; i < 10; ++i)
            EXPECT_EQ(table.row(i), before.row(i));
    }
}

TEST(RowOperations, CopyRecordsChecksAndPasteRestoresThem) {
    GridTable table = filledTable();
    table.setChecked(1, 2, true);
    table.setChecked(7, 2, false);
    table.setText(4, 2, " padded ");
    QStringList clipboard{"stale"};
    QList<bool> checks;
    Copy_Row(table, 2, clipboard, checks);
    EXPECT_EQ(clipboard, QStringList({"Y", "2.2", "2.3", " padded ", "2.5", "2.6", "N", "Y", "2.9", "2.10"}));
    EXPECT_EQ(checks, QList<bool>({true, false, false, false, false, false, true, true, false, false}));

    // An empty row whose check boxes differ is overwritten without a question.
    clearRow(table, 5, false);
    table.setChecked(7, 5, true);
    Prompts prompts;
    EXPECT_TRUE(Paste_Row(table, 5, true, clipboard, checks, prompts));
    EXPECT_TRUE(prompts.shown.isEmpty());
    EXPECT_EQ(table.row(5), table.row(2));
    // The clipboard stays, so the row pastes again.
    clearRow(table, 6, true);
    EXPECT_TRUE(Paste_Row(table, 6, true, clipboard, checks, prompts));
    EXPECT_EQ(table.row(6), table.row(2));
}

TEST(RowOperations, PasteRefusesOrAsksBeforeTouchingTheRow) {
    struct Case {
        const char* name;
        bool copied;
        int clipboardWidth;
        QString rowText; // text of column 10 in an otherwise cleared row
        bool answer;
        QList<int> shown;
        bool pasted;
    };
    const Case cases[] = {
        {"nothing copied in this editor", false, 10, "", true, {902}, false},
        {"row of a wider table", true, 11, "", true, {901}, false},
        {"row of a narrower table", true, 9, "", true, {901}, false},
        {"one blank counts as text, No", true, 10, " ", false, {900}, false},
        {"occupied row, Yes", true, 10, "old", true, {900}, true},
        {"empty row", true, 10, "", true, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GridTable table = filledTable();
        clearRow(table, 4, true);
        table.setText(10, 4, c.rowText);
        const QString before = table.row(4);
        QStringList clipboard;
        QList<bool> checks;
        for (int i = 0; i < c.clipboardWidth; ++i) {
            clipboard << QStringLiteral("v%1").arg(i);
            checks << false;
        }
        Prompts prompts;
        prompts.answer = c.answer;
        EXPECT_EQ(Paste_Row(table, 4, c.copied, clipboard, checks, prompts), c.pasted);
        EXPECT_EQ(prompts.shown, c.shown);
        if (c.pasted)
            EXPECT_EQ(table.text(10, 4), "v9");
        else
            EXPECT_EQ(table.row(4), before);
    }
}

TEST(RowOperations, PasteTicksOnlyAnExactY) {
    GridTable table = filledTable();
    clearRow(table, 4, false);
    QStringList clipboard{"y", "", "", "", "", "", "Y ", "Y", "", ""};
    QList<bool> checks{true, false, false, false, false, false, true, true, false, false};
    Prompts prompts;
    ASSERT_TRUE(Paste_Row(table, 4, true, clipboard, checks, prompts));
    EXPECT_EQ(table.row(4), "N||||||N|Y||");
}

TEST(RowOperations, EnterMovesToTheNextCellAndWraps) {
    struct Case {
        int col, row;
        std::optional<Cell> next;
    };
    // 11 visible columns (0..10), rows 0..100.
    const Case cases[] = {
        {1, 1, Cell{2, 1}},    {9, 5, Cell{10, 5}},  {10, 5, Cell{1, 6}},
        {10, 100, Cell{1, 1}}, {0, 3, std::nullopt}, {3, 0, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1,%2").arg(c.col).arg(c.row).toStdString());
        EXPECT_EQ(nextCellOnEnter(c.col, c.row, 11, 101), c.next);
    }
    // Hidden columns are not stepped into at the end of a row.
    EXPECT_EQ(nextCellOnEnter(8, 2, 9, 101), (Cell{1, 3}));
}
