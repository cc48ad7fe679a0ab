#include "gui/table/TableRows.h"

#include "core/shell/ProgramState.h"
#include "core/table/CellBlock.h"
#include "core/util/TextRules.h"
#include "gui/shell/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <utility>

MessageBoxPrompts::MessageBoxPrompts(const ProgramState& state, QWidget* parent)
    : m_state(state), m_parent(parent) {}

void MessageBoxPrompts::refuse(int slot) {
    MessageBox::error(m_parent, m_state.msg(slot));
}

bool MessageBoxPrompts::ask(int slot) {
    // Every question of the row operations loses a row on Yes.
    return MessageBox::question(m_parent, m_state.msg(slot), MessageBox::Answer::No) ==
           MessageBox::Answer::Yes;
}

namespace {

// Column 0 is the vertical header: the row numbers, some with a mark beside them, under the
// corner button's title. Both are drawn as header sections, with the header's margin on either side;
// the header's own size hint measures every section with its mark.
void fitHeaderColumn(QTableView* table) {
    QHeaderView* side = table->verticalHeader();
    const int margin = 2 * table->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, table);
    int width = 0;
    if (const auto* corner = table->findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly))
        width = corner->fontMetrics().horizontalAdvance(corner->text()) + margin;
    side->setMinimumWidth(0);
    side->setMaximumWidth(QWIDGETSIZE_MAX);
    width = qMax(width, side->sizeHint().width());
    side->setFixedWidth(width);
}

} // namespace

bool Jump_Next_Cell(QTableView* table, const QKeyEvent* key, const ProgramState& state, int enterColumns) {
    if (!state.Enable_Jump_Field_Tables || (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter))
        return false;
    const QAbstractItemModel* model = table->model();
    int visible = 1;
    for (int c = 0; c < model->columnCount(); ++c)
        visible += table->isColumnHidden(c) ? 0 : 1;
    if (enterColumns > 0)
        visible = std::min(visible, enterColumns + 1);
    const QModelIndex current = table->currentIndex();
    const auto next =
        Table::nextCellOnEnter(current.column() + 1, current.row() + 1, visible, model->rowCount() + 1);
    if (next)
        table->setCurrentIndex(model->index(next->row - 1, next->col - 1));
    return true;
}

void Auto_Size_Column(QTableView* table, int row, int col, const ProgramState& state) {
    const QAbstractItemModel* model = table->model();
    if (!state.Enable_Double_Click_Auto_Size || row != 0 || col < 0 || col > model->columnCount())
        return;
    if (col == 0) {
        fitHeaderColumn(table);
        return;
    }
    // The widest text, plus only the margins the cells and the header draw around it, so nothing is
    // cut off and nothing is added.
    const QStyle* style = table->style();
    const int cellMargin = 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1);
    const int headerMargin = 2 * style->pixelMetric(QStyle::PM_HeaderMargin, nullptr, table);
    int width = table->horizontalHeader()->fontMetrics().horizontalAdvance(
                    model->headerData(col - 1, Qt::Horizontal, Qt::DisplayRole).toString()) +
                headerMargin;
    const QFontMetrics metrics(table->font());
    for (int r = 0; r < model->rowCount(); ++r) {
        const QModelIndex cell = model->index(r, col - 1);
        if (cell.flags() & Qt::ItemIsUserCheckable) {
            width = qMax(width, style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, table) + cellMargin);
            continue;
        }
        const QString text = cell.data(Qt::DisplayRole).toString();
        if (text.isEmpty())
            continue;
        const QVariant own = cell.data(Qt::FontRole);
        width =
            qMax(width, (own.isValid() ? QFontMetrics(own.value<QFont>()) : metrics).horizontalAdvance(text) +
                            cellMargin);
    }
    table->setColumnWidth(col - 1, width);
}

namespace {

// Set on a pick-list editor once keys chose in it while its list was closed: the list then stays
// closed.
const char* const kChosenClosed = "chosenClosed";
// Marks the drop-down list of a pick-list editor, which is no editor of the table.
const char* const kPickListView = "pickListView";

// Notes whether the entry of a drop-down list is chosen by Enter. The drop-down picks on the
// shortcut check that comes before the key itself, and its own filter on the list runs before any
// other, so this one watches at the application while the list lives.
class ListEnterWatch : public QObject {
public:
    ListEnterWatch(QAbstractItemView* list, bool* byEnter) : QObject(list), m_list(list), m_byEnter(byEnter) {
        qApp->installEventFilter(this);
    }
    bool eventFilter(QObject* object, QEvent* event) override {
        if (object == m_list &&
            (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress)) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            *m_byEnter = (key == Qt::Key_Return || key == Qt::Key_Enter) && m_list->currentIndex().isValid();
        }
        return false;
    }

private:
    QAbstractItemView* m_list;
    bool* m_byEnter;
};

} // namespace

TableCellDelegate::TableCellDelegate(QAbstractItemView* table) : QStyledItemDelegate(table), m_table(table) {
    m_clock.start();
}

QRect TableCellDelegate::checkRect(const QStyleOptionViewItem& option) const {
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    const QSize size(style->pixelMetric(QStyle::PM_IndicatorWidth, &option, option.widget),
                     style->pixelMetric(QStyle::PM_IndicatorHeight, &option, option.widget));
    return QStyle::alignedRect(option.direction, Qt::AlignCenter, size, option.rect);
}

void TableCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    if (!(index.flags() & Qt::ItemIsUserCheckable)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // The cell without its own box, then the box in the middle of the cell.
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    cell.features &= ~QStyleOptionViewItem::HasCheckIndicator;
    cell.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);

    QStyleOptionViewItem box = option;
    box.rect = checkRect(option);
    box.state &= ~QStyle::State_HasFocus;
    box.state |= index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
    style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, painter, widget);
}

bool TableCellDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                    const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (!(index.flags() & Qt::ItemIsUserCheckable) || !(index.flags() & Qt::ItemIsEnabled))
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // Clicks on the box are the box's, not the start of an edit.
        return checkRect(option).contains(static_cast<QMouseEvent*>(event)->position().toPoint());
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton || !checkRect(option).contains(mouse->position().toPoint()))
            return false;
        break;
    }
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Space && key != Qt::Key_Select)
            return false;
        break;
    }
    default:
        return false;
    }
    const bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    return model->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

QWidget* TableCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const {
    const int col = index.column() + 1;
    const int row = index.row() + 1;
    const std::optional<QStringList> entries = m_pickLists ? m_pickLists(col, row) : std::nullopt;
    if (!entries)
        return QStyledItemDelegate::createEditor(parent, option, index);
    // A pick list: chosen from, never typed into.
    auto* combo = new QComboBox(parent);
    combo->setEditable(false);
    combo->addItems(*entries);
    // A scrolling list of 20 entries rather than a menu as tall as all 47 sentences.
    combo->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    combo->setMaxVisibleItems(20);
    // The list as wide as its longest entry with the cell's margins, its scroll bar and the frames of
    // the list and of its window, so that no entry is cut in the middle; the window takes its width
    // from the list.
    QAbstractItemView* list = combo->view();
    int widest = 0;
    for (const QString& entry : *entries)
        widest = std::max(widest, list->fontMetrics().horizontalAdvance(entry));
    const int textMargin = 2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1);
    list->setMinimumWidth(widest + textMargin + list->verticalScrollBar()->sizeHint().width() +
                          2 * list->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, list) + 8);
    auto* self = const_cast<TableCellDelegate*>(this);
    self->m_combo = combo;
    self->m_comboCell = index;
    self->m_search.reset();
    self->m_pickedByEnter = false;
    combo->view()->setProperty(kPickListView, true);
    combo->view()->installEventFilter(self);
    new ListEnterWatch(combo->view(), &self->m_pickedByEnter);
    connect(combo, &QComboBox::activated, this, [self, combo, col, row](int chosen) {
        const bool byEnter = std::exchange(self->m_pickedByEnter, false);
        if (chosen < 0)
            return;
        emit self->commitData(combo);
        emit self->closeEditor(combo);
        emit self->picked(col, row, combo->itemText(chosen));
        // Enter that picks from the list is Enter in the cell, and may move on like it.
        if (byEnter && self->m_enter)
            self->m_enter();
    });
    // The list opens with the editor, so one action shows the choices; not when the editor has
    // already gone, nor when the keys that opened it already chose in the closed cell.
    const QPersistentModelIndex cell(index);
    QTimer::singleShot(0, combo, [this, combo, cell] {
        if (m_table->indexWidget(cell) == combo && combo->isVisible() &&
            !combo->property(kChosenClosed).toBool())
            combo->showPopup();
    });
    return combo;
}

void TableCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    if (auto* combo = qobject_cast<QComboBox*>(editor))
        combo->setCurrentIndex(combo->findText(index.data(Qt::EditRole).toString(), Qt::MatchExactly));
    else
        QStyledItemDelegate::setEditorData(editor, index);
}

void TableCellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                     const QModelIndex& index) const {
    auto* combo = qobject_cast<QComboBox*>(editor);
    if (!combo) {
        // Typed or pasted, a text keeps no tab, line end or other control character.
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            model->setData(index, withoutControlCharacters(line->text()), Qt::EditRole);
            return;
        }
        QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    // Leaving a list without choosing keeps the cell as it was, even a text the list lacks.
    if (combo->currentIndex() >= 0 && combo->currentText() != index.data(Qt::EditRole).toString())
        model->setData(index, combo->currentText(), Qt::EditRole);
}

void TableCellDelegate::choose(QComboBox* combo, int entry) {
    combo->setProperty(kChosenClosed, true);
    const QModelIndex cell = m_comboCell;
    if (entry < 0 || entry >= combo->count() || !cell.isValid())
        return;
    combo->setCurrentIndex(entry);
    if (combo->itemText(entry) == cell.data(Qt::EditRole).toString())
        return;
    emit commitData(combo);
    emit picked(cell.column() + 1, cell.row() + 1, combo->itemText(entry));
}

namespace {

QStringList entriesOf(const QComboBox* combo) {
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i)
        entries << combo->itemText(i);
    return entries;
}

// Text that searches a pick list: printable, typed without a command modifier.
QString searchText(const QKeyEvent* key) {
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return {};
    const QString text = key->text();
    return !text.isEmpty() && text.at(0).isPrint() ? text : QString();
}

} // namespace

bool TableCellDelegate::pickListKey(QComboBox* combo, const QKeyEvent* key) {
    if (const QString text = searchText(key); !text.isEmpty()) {
        choose(combo, m_search.type(entriesOf(combo), text, m_clock.elapsed(),
                                    QApplication::keyboardInputInterval()));
        return true;
    }
    if (key->modifiers() & Qt::AltModifier)
        return false; // Alt+Down opens the list
    if (key->key() != Qt::Key_Up && key->key() != Qt::Key_Down)
        return false;
    // Up and Down stay in the cell: at either end of the list they do nothing.
    m_search.reset();
    const int step = key->key() == Qt::Key_Down ? 1 : -1;
    const int entry = std::clamp(combo->currentIndex() + step, 0, combo->count() - 1);
    if (combo->count() > 0 && entry != combo->currentIndex())
        choose(combo, entry);
    combo->setProperty(kChosenClosed, true);
    return true;
}

bool TableCellDelegate::openListKey(QComboBox* combo, const QKeyEvent* key) {
    QAbstractItemView* list = combo->view();
    const QString text = searchText(key);
    if (text.isEmpty())
        return false;
    const int found =
        m_search.type(entriesOf(combo), text, m_clock.elapsed(), QApplication::keyboardInputInterval());
    if (found >= 0)
        list->setCurrentIndex(list->model()->index(found, combo->modelColumn()));
    return true;
}

bool TableCellDelegate::eventFilter(QObject* object, QEvent* event) {
    if (object->property(kPickListView).toBool()) {
        return event->type() == QEvent::KeyPress && m_combo && object == m_combo->view() &&
               openListKey(m_combo, static_cast<QKeyEvent*>(event));
    }
    if (event->type() == QEvent::KeyPress && m_combo && object == m_combo &&
        pickListKey(m_combo, static_cast<QKeyEvent*>(event)))
        return true;
    auto* editor = qobject_cast<QWidget*>(object);
    if (editor && event->type() == QEvent::KeyPress && m_blockPaste && qobject_cast<QLineEdit*>(editor) &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste)) {
        const QString clipboard = QGuiApplication::clipboard()->text();
        if (Table::isBlock(clipboard)) {
            emit closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
            m_blockPaste(clipboard);
            return true;
        }
    }
    if (editor && event->type() == QEvent::KeyPress && m_enter) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
            m_enter();
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}
