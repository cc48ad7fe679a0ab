#pragma once

#include <QTableWidget>

// A table whose typed keys edit the current cell or nothing. A plain item view searches its rows
// for a typed letter whenever it cannot open an editor at once, as in the double-click interval
// after a click on the current cell; the click's delayed editor then opened in the row the search
// found and took the rest of the typing there. Here there is no row search, and a key typed while
// a click's editor is pending opens that editor at once, with the key.
class EditingTable : public QTableWidget {
    Q_OBJECT
public:
    explicit EditingTable(QWidget* parent = nullptr) : QTableWidget(parent) {}

    void keyboardSearch(const QString&) override {}

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_clickEditPending = false; // a click on the current cell waits for a possible double click
};
