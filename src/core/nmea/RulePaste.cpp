#include "core/nmea/RulePaste.h"

#include "core/language/MessageCatalog.h"
#include "core/language/TextSlots.h"
#include "core/nmea/NmeaCatalog.h"
#include "core/nmea/RulePositions.h"
#include "core/table/CellBlock.h"
#include "core/util/TextRules.h"

#include <optional>

namespace Nmea {

namespace Text = TextSlot::NmeaAccess;

namespace {

// The entry a pasted value names: the same text but for case and surrounding blanks.
std::optional<QString> entryNamed(const QStringList& entries, const QString& value) {
    const QString wanted = value.trimmed();
    for (const QString& entry : entries) {
        if (entry.trimmed().compare(wanted, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return std::nullopt;
}

std::optional<bool> tickNamed(const QString& value) {
    const QString word = value.trimmed().toLower();
    if (word == u"y" || word == u"1" || word == u"true")
        return true;
    if (word == u"n" || word == u"0" || word == u"false")
        return false;
    return std::nullopt;
}

} // namespace

std::optional<QStringList> pickEntries(const AccessRule& rule, int column, const QStringList& channels) {
    switch (ruleColumn(column).pick) {
    case PickSource::Channels:
        return channels;
    case PickSource::Sentences:
        return supportedNames();
    case PickSource::Fields:
        return fieldsOf(Find_Sentence(rule.Sentence));
    case PickSource::PostOperations:
        return postOperationLabels();
    case PickSource::None:
        break;
    }
    return std::nullopt;
}

void pickIntoCell(RuleTable& table, int row, int column, const QString& entry, PositionAlignment alignment) {
    AccessRule& rule = table[row - 1];
    setCellText(rule, column, entry);
    if (column == ColSentence)
        rule.DataField = fieldText(Find_Sentence(rule.Sentence), 0);
    if (column == ColSentence || column == ColField)
        rule.Position =
            QString::number(proposedPosition(table, row, rule.Sentence, rule.DataField, alignment));
}

bool typeIntoCell(RuleTable& table, int row, int column, const QString& value, const QStringList& channels,
                  PositionAlignment alignment) {
    if (row < 1 || row > RuleRows || column < 1 || column > RuleColumnCount)
        return false;
    AccessRule& rule = table[row - 1];
    const RuleColumnDef& c = ruleColumn(column);
    switch (c.kind) {
    case CellKind::Tick: {
        const std::optional<bool> named = tickNamed(value);
        if (named)
            rule.*c.tick = *named;
        return named.has_value();
    }
    case CellKind::Pick: {
        // An empty value empties the cell, as a fresh row has it.
        if (value.trimmed().isEmpty()) {
            (rule.*c.text).clear();
            return true;
        }
        const std::optional<QString> entry =
            entryNamed(pickEntries(rule, column, channels).value_or(QStringList()), value);
        if (!entry)
            return false;
        if (*entry != rule.*c.text)
            pickIntoCell(table, row, column, *entry, alignment);
        return true;
    }
    case CellKind::Text:
        break;
    }
    const QString text = withoutControlCharacters(value);
    // The cell is closed to typing unless the row's sentence takes an Index.
    if (c.onlyWithIndex && !indexEditable(rule.Sentence))
        return text.isEmpty();
    rule.*c.text = text;
    return true;
}

BlockPaste pasteBlock(const RuleTable& table, int row, int column, const QString& block,
                      const QStringList& channels, const QStringList& columnNames,
                      const MessageCatalog& catalog, PositionAlignment alignment) {
    BlockPaste result{table, {}, 0, 0};
    const QList<QStringList> cells = Table::splitBlock(block);
    result.rows = int(cells.size());
    for (const QStringList& line : cells)
        result.columns = std::max(result.columns, int(line.size()));
    if (row < 1 || column < 1 || row + result.rows - 1 > RuleRows ||
        column + result.columns - 1 > RuleColumnCount) {
        result.refusal =
            catalog.text(Text::PasteDoesNotFit).arg(result.rows).arg(result.columns).arg(row).arg(column);
        return result;
    }
    RuleTable pasted = table;
    for (int r = 0; r < result.rows; ++r) {
        const QStringList& line = cells[r];
        for (int c = 0; c < line.size(); ++c) {
            if (!typeIntoCell(pasted, row + r, column + c, line[c], channels, alignment)) {
                const QString name = column + c < columnNames.size() ? columnNames[column + c].trimmed()
                                                                     : QString::number(column + c);
                result.refusal = catalog.text(Text::PasteRefused)
                                     .arg(row + r)
                                     .arg(name, withoutControlCharacters(line[c]).left(40));
                return result;
            }
        }
    }
    result.table = pasted;
    return result;
}

} // namespace Nmea
