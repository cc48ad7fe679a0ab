#pragma once

#include "core/table/PickSearch.h"
#include "core/table/RowOperations.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QStringList>
#include <QStyledItemDelegate>
#include <functional>
#include <optional>

class QComboBox;
class QKeyEvent;
class QTableWidget;
class QWidget;
struct ProgramState;

// A QTableWidget seen as a grid with fixed header row 0 (the horizontal header) and header
// column 0 (the vertical header): data cell (col, row) is item (row - 1, col - 1). A cell is a check
// box cell when its item is user-checkable.
class TableWidgetRows : public Table::RowTable {
public:
    explicit TableWidgetRows(QTableWidget* table) : m_table(table) {}

    int rowCount() const override;
    int columnCount() const override;
    int visibleColumnCount() const override;
    bool isCheckCell(int col, int row) const override;
    bool isChecked(int col, int row) const override;
    void setChecked(int col, int row, bool checked) override;
    QString text(int col, int row) const override;
    void setText(int col, int row, const QString& text) override;

private:
    QTableWidget* m_table;
};

// The row operations on a table widget, with the program-wide clipboard and the program's boxes.
void Delete_Row(QTableWidget* table, int r, bool enableDefault);
void Insert_Row(QTableWidget* table, int r, bool enableDefault);
void Copy_Row(QTableWidget* table, int r, ProgramState& state);
// Refuses with 902 / 901 and asks 900 itself; true when the row was pasted.
bool Paste_Row(QTableWidget* table, int r, bool copied, const ProgramState& state, QWidget* boxParent);

// Enter moves to the next cell when the program option is on; true when the key was consumed.
bool Jump_Next_Cell(QTableWidget* table, const QKeyEvent* key, const ProgramState& state);
// A double click on header row 0 fits the column to its widest content when the option is on;
// column 0 is the row-number header.
void Auto_Size_Column(QTableWidget* table, int row, int col, const ProgramState& state);

// Draws check box cells with the box centred and toggles them by mouse or space; offers a
// read-only pick list where the editor asks for one. Cells in (col, row) terms of TableWidgetRows.
// A pick list follows typing, open or closed, and its closed editor steps through it by the arrows.
class TableCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using PickLists = std::function<std::optional<QStringList>(int col, int row)>;

    explicit TableCellDelegate(QTableWidget* table);

    void setPickLists(PickLists pickLists) { m_pickLists = std::move(pickLists); }
    // Runs when Enter is pressed in an open editor or picks from an open list, after the editor is
    // committed and closed.
    void setEnterHandler(std::function<void()> handler) { m_enter = std::move(handler); }
    // Runs when Ctrl+V in an open text editor would paste several cells (text with tabs or line
    // ends), after the editor is closed unchanged.
    void setBlockPasteHandler(std::function<void(const QString&)> handler) {
        m_blockPaste = std::move(handler);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

signals:
    // An entry was chosen from a pick list; the cell already holds it.
    void picked(int col, int row, const QString& text);

protected:
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    QRect checkRect(const QStyleOptionViewItem& option) const;
    // Keys of a pick list: typed text searches it, the arrows step through a closed one.
    bool pickListKey(QComboBox* combo, const QKeyEvent* key);
    bool openListKey(QComboBox* combo, const QKeyEvent* key);
    // Makes entry the closed editor's choice, as a pick from the list would.
    void choose(QComboBox* combo, int entry);

    QTableWidget* m_table;
    PickLists m_pickLists;
    std::function<void()> m_enter;
    std::function<void(const QString&)> m_blockPaste;
    QPointer<QComboBox> m_combo; // the pick list being edited, and its cell
    QPersistentModelIndex m_comboCell;
    Table::PickSearch m_search;
    QElapsedTimer m_clock;
    bool m_pickedByEnter = false;
};
