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

// Applies one value to its cell as typing or a pick would; false when the cell cannot take it.
bool applyValue(RuleTable& table, int row, int column, const QString& value, const QStringList& channels) {
    AccessRule& rule = table[row - 1];
    switch (column) {
    case ColEnable:
    case ColSwapAll:
    case ColSwap16: {
        const std::optional<bool> tick = tickNamed(value);
        if (!tick)
            return false;
        (column == ColEnable ? rule.Enable : column == ColSwapAll ? rule.SwapAll : rule.Swap16) = *tick;
        return true;
    }
    case ColChannel:
    case ColSentence:
    case ColField:
    case ColPostOpe:
        // An empty cell of the block empties the cell, as a fresh row has it.
        if (value.trimmed().isEmpty()) {
            (column == ColChannel    ? rule.Serial_Channel
             : column == ColSentence ? rule.Sentence
             : column == ColField    ? rule.DataField
                                     : rule.PortOperation)
                .clear();
            return true;
        }
        break;
    default:
        break;
    }
    switch (column) {
    case ColChannel:
    case ColPostOpe: {
        const std::optional<QString> entry =
            entryNamed(column == ColChannel ? channels : postOperationLabels(), value);
        if (!entry)
            return false;
        (column == ColChannel ? rule.Serial_Channel : rule.PortOperation) = *entry;
        return true;
    }
    case ColSentence: {
        const std::optional<QString> entry = entryNamed(supportedNames(), value);
        if (!entry)
            return false;
        if (*entry != rule.Sentence) {
            // As a pick: the sentence's first field, and its proposed position.
            rule.Sentence = *entry;
            rule.DataField = fieldText(Find_Sentence(*entry), 0);
            rule.Position = QString::number(proposedPosition(table, row, rule.Sentence, rule.DataField));
        }
        return true;
    }
    case ColField: {
        const std::optional<QString> entry = entryNamed(fieldsOf(Find_Sentence(rule.Sentence)), value);
        if (!entry)
            return false;
        if (*entry != rule.DataField) {
            rule.DataField = *entry;
            rule.Position = QString::number(proposedPosition(table, row, rule.Sentence, rule.DataField));
        }
        return true;
    }
    case ColIndex: {
        const QString text = withoutControlCharacters(value);
        // The cell is closed to typing unless the row's sentence takes an Index.
        if (!text.isEmpty() && !indexEditable(rule.Sentence))
            return false;
        if (indexEditable(rule.Sentence))
            rule.Index = text;
        return true;
    }
    case ColPosition:
        rule.Position = withoutControlCharacters(value);
        return true;
    case ColMnemonic:
        rule.Mnemonic = withoutControlCharacters(value);
        return true;
    default:
        return false;
    }
}

} // namespace

BlockPaste pasteBlock(const RuleTable& table, int row, int column, const QString& block,
                      const QStringList& channels, const QStringList& columnNames,
                      const MessageCatalog& catalog) {
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
            if (!applyValue(pasted, row + r, column + c, line[c], channels)) {
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
