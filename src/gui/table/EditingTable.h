#pragma once

#include <QTableView>

// A table whose typed keys edit the current cell or nothing. A plain item view searches its rows
// for a typed letter whenever it cannot open an editor at once, as in the double-click interval
// after a click on the current cell; the click's delayed editor then opened in the row the search
// found and took the rest of the typing there. Here there is no row search, and a key typed while
// a click's editor is pending opens that editor at once, with the key.
class EditingTable : public QTableView {
    Q_OBJECT
public:
    explicit EditingTable(QWidget* parent = nullptr) : QTableView(parent) {}

    // The current cell by row and column from 0, as the table's users count them.
    int currentRow() const { return currentIndex().row(); }
    int currentColumn() const { return currentIndex().column(); }
    void setCurrentCell(int row, int column);
    // An editor is open in a cell.
    bool isEditing() const { return state() == EditingState; }

    void keyboardSearch(const QString&) override {}

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_clickEditPending = false; // a click on the current cell waits for a possible double click
};
