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
class QAbstractItemView;
class QTableView;
class QWidget;
struct ProgramState;

// Paste Row's refusals and question as the program's message boxes.
class MessageBoxPrompts : public Table::RowPrompts {
public:
    MessageBoxPrompts(const ProgramState& state, QWidget* parent);
    void refuse(int slot) override;
    bool ask(int slot) override;

private:
    const ProgramState& m_state;
    QWidget* m_parent;
};

// Enter moves to the next cell when the program option is on; true when the key was consumed.
// Enter walks the first enterColumns columns (all visible ones when 0).
bool Jump_Next_Cell(QTableView* table, const QKeyEvent* key, const ProgramState& state, int enterColumns = 0);
// A double click on header row 0 fits the column to its widest content when the option is on;
// column 0 is the row-number header.
void Auto_Size_Column(QTableView* table, int row, int col, const ProgramState& state);

// Draws check box cells with the box centred and toggles them by mouse or space; offers a
// read-only pick list where the editor asks for one, as wide as its longest entry. Cells are
// (col, row) from 1: (index.column() + 1, index.row() + 1).
// A pick list follows typing, open or closed, and its closed editor steps through it by the arrows.
class TableCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using PickLists = std::function<std::optional<QStringList>(int col, int row)>;

    explicit TableCellDelegate(QAbstractItemView* table);

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

    QAbstractItemView* m_table;
    PickLists m_pickLists;
    std::function<void()> m_enter;
    std::function<void(const QString&)> m_blockPaste;
    QPointer<QComboBox> m_combo; // the pick list being edited, and its cell
    QPersistentModelIndex m_comboCell;
    Table::PickSearch m_search;
    QElapsedTimer m_clock;
    bool m_pickedByEnter = false;
};
