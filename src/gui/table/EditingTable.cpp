#include "gui/table/EditingTable.h"

#include <QApplication>
#include <QKeyEvent>

void EditingTable::setCurrentCell(int row, int column) {
    setCurrentIndex(model() ? model()->index(row, column) : QModelIndex());
}

bool EditingTable::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    const bool handled = QTableView::edit(index, trigger, event);
    // Only a click on the selected cell defers its editor; every other call ends the wait, the
    // view's own timer included (it calls here once the interval is over).
    m_clickEditPending = trigger == SelectedClicked && handled && state() != EditingState;
    return handled;
}

void EditingTable::keyPressEvent(QKeyEvent* event) {
    const bool typing = !event->text().isEmpty() && event->text().at(0).isPrint() &&
                        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (!m_clickEditPending || !typing || state() == EditingState) {
        QTableView::keyPressEvent(event);
        return;
    }
    // As a double click would, this ends the wait; the cell's delegate sees the key first, as it
    // would any typed key, and an editor opened here receives it as its first character.
    const QModelIndex cell = currentIndex();
    m_clickEditPending = false;
    if (!QTableView::edit(cell, DoubleClicked, event))
        return;
    if (QWidget* editor = indexWidget(cell); editor && state() == EditingState) {
        QWidget* target = editor->focusProxy() ? editor->focusProxy() : editor;
        QApplication::sendEvent(target, event);
    }
    event->accept();
}
