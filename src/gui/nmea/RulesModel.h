#pragma once

#include "core/nmea/RuleColumns.h"

#include <QAbstractTableModel>
#include <QBrush>
#include <QIcon>
#include <QStringList>
#include <array>
#include <bitset>
#include <functional>

// The rules window's rows as a table model: the rule columns of core/nmea/RuleColumns, then the
// read-only Bytes column, over the one copy of the rules. The row numbers carry the review's flags.
// An edit made in the view does not change the rules here: it is handed to the editor, which
// decides and shows the result through setRules.
class RulesModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // View columns: 0..9 the rule's columns 1..10, then Bytes.
    static constexpr int BytesColumn = Nmea::RuleColumnCount;

    // An edit asked by the view: a typed or picked text (Qt::EditRole) or a tick
    // (Qt::CheckStateRole) in rule column col (1..10) of row (1..100). True when taken.
    using EditHandler = std::function<bool(int col, int row, const QVariant& value, int role)>;

    explicit RulesModel(QObject* parent = nullptr);
    void setEditHandler(EditHandler handler) { m_edit = std::move(handler); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const Nmea::RuleTable& rules() const { return m_rules; }
    // Shows table; only the rows that differ are reported changed.
    void setRules(const Nmea::RuleTable& table);

    // The column titles and their hints, columns 1..10 then Bytes.
    void setHeaders(const QStringList& titles, const QStringList& hints);
    // A row number's flag: its mark, background and hint; a call that changes nothing reports nothing.
    void setRowFlag(int row, const QIcon& mark, const QBrush& background, const QString& hint);
    QString rowHint(int row) const { return m_flags[row - 1].hint; }
    // The Bytes column's texts, rule 1 first.
    void setBytes(const QStringList& bytes);

private:
    struct Flag {
        QIcon mark;
        QBrush background;
        QString hint;
    };
    Nmea::RuleTable m_rules{};
    std::bitset<Nmea::RuleRows> m_indexOpen; // rows whose Index may be typed
    std::array<Flag, Nmea::RuleRows> m_flags;
    std::array<QString, Nmea::RuleRows> m_bytes;
    std::array<QBrush, Nmea::RuleColumnCount + 1> m_backgrounds;
    QStringList m_titles;
    QStringList m_hints;
    EditHandler m_edit;
};
