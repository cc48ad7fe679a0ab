#include "gui/nmea/RulesModel.h"

#include "core/nmea/RuleColumns.h"

namespace {

using Nmea::CellKind;
using Nmea::RuleColumnCount;
using Nmea::RuleRows;

// The Bytes column reads as the window's other read-only texts do.
const QColor kBytesBackground(240, 240, 240);

bool validRow(int row) {
    return row >= 1 && row <= RuleRows;
}

} // namespace

RulesModel::RulesModel(QObject* parent) : QAbstractTableModel(parent) {
    for (int col = 1; col <= RuleColumnCount; ++col) {
        const unsigned rgb = Nmea::ruleColumn(col).colour;
        m_backgrounds[col - 1] = QBrush(QColor(int(rgb >> 16) & 0xFF, int(rgb >> 8) & 0xFF, int(rgb) & 0xFF));
    }
    m_backgrounds[BytesColumn] = QBrush(kBytesBackground);
}

int RulesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : RuleRows;
}

int RulesModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : RuleColumnCount + 1;
}

QVariant RulesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const int row = index.row() + 1;
    const int col = index.column() + 1;
    if (role == Qt::BackgroundRole)
        return m_backgrounds[index.column()];
    if (index.column() == BytesColumn)
        return role == Qt::DisplayRole || role == Qt::EditRole ? QVariant(m_bytes[row - 1]) : QVariant();
    const Nmea::AccessRule& rule = m_rules[row - 1];
    if (Nmea::ruleColumn(col).kind == CellKind::Tick) {
        if (role == Qt::CheckStateRole)
            return Nmea::cellTicked(rule, col) ? Qt::Checked : Qt::Unchecked;
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return Nmea::cellText(rule, col);
    return {};
}

bool RulesModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() == BytesColumn || !m_edit)
        return false;
    if (role != Qt::EditRole && role != Qt::CheckStateRole)
        return false;
    return m_edit(index.column() + 1, index.row() + 1, value, role);
}

Qt::ItemFlags RulesModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags shown = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == BytesColumn)
        return shown;
    const Nmea::RuleColumnDef& c = Nmea::ruleColumn(index.column() + 1);
    if (c.kind == CellKind::Tick)
        return shown | Qt::ItemIsUserCheckable;
    if (c.onlyWithIndex && !m_indexOpen.test(index.row()))
        return shown;
    return shown | Qt::ItemIsEditable;
}

QVariant RulesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal) {
        if (role == Qt::DisplayRole)
            return m_titles.value(section);
        if (role == Qt::ToolTipRole)
            return m_hints.value(section);
        return {};
    }
    if (section < 0 || section >= RuleRows)
        return {};
    const Flag& flag = m_flags[section];
    switch (role) {
    case Qt::DisplayRole:
        return QString::number(section + 1);
    case Qt::DecorationRole:
        return flag.mark.isNull() ? QVariant() : QVariant(flag.mark);
    case Qt::BackgroundRole:
        return flag.background.style() == Qt::NoBrush ? QVariant() : QVariant(flag.background);
    case Qt::ToolTipRole:
        return flag.hint.isEmpty() ? QVariant() : QVariant(flag.hint);
    default:
        return {};
    }
}

void RulesModel::setRules(const Nmea::RuleTable& table) {
    int first = -1;
    int last = -1;
    for (int row = 1; row <= RuleRows; ++row) {
        const Nmea::AccessRule& rule = table[row - 1];
        if (rule == m_rules[row - 1])
            continue;
        m_rules[row - 1] = rule;
        m_indexOpen.set(row - 1, Nmea::indexEditable(rule.Sentence));
        first = first < 0 ? row : first;
        last = row;
    }
    // One report over the rows that changed: a view repaints what it shows of them.
    if (first > 0)
        emit dataChanged(index(first - 1, 0), index(last - 1, RuleColumnCount - 1));
}

void RulesModel::setHeaders(const QStringList& titles, const QStringList& hints) {
    m_titles = titles;
    m_hints = hints;
    emit headerDataChanged(Qt::Horizontal, 0, RuleColumnCount);
}

void RulesModel::setRowFlag(int row, const QIcon& mark, const QBrush& background, const QString& hint) {
    if (!validRow(row))
        return;
    Flag& flag = m_flags[row - 1];
    if (flag.mark.cacheKey() == mark.cacheKey() && flag.background == background && flag.hint == hint)
        return;
    flag = {mark, background, hint};
    emit headerDataChanged(Qt::Vertical, row - 1, row - 1);
}

void RulesModel::setBytes(const QStringList& bytes) {
    for (int row = 1; row <= RuleRows; ++row) {
        const QString text = bytes.value(row - 1);
        if (text == m_bytes[row - 1])
            continue;
        m_bytes[row - 1] = text;
        emit dataChanged(index(row - 1, BytesColumn), index(row - 1, BytesColumn));
    }
}
