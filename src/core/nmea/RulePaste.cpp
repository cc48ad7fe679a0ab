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

bool* tickCell(AccessRule& rule, int column) {
    switch (column) {
    case ColEnable:
        return &rule.Enable;
    case ColSwapAll:
        return &rule.SwapAll;
    case ColSwap16:
        return &rule.Swap16;
    default:
        return nullptr;
    }
}

QString* pickCell(AccessRule& rule, int column) {
    switch (column) {
    case ColChannel:
        return &rule.Serial_Channel;
    case ColSentence:
        return &rule.Sentence;
    case ColField:
        return &rule.DataField;
    case ColPostOpe:
        return &rule.PortOperation;
    default:
        return nullptr;
    }
}

// The entries a pick-list cell of this row offers.
QStringList pickEntries(const AccessRule& rule, int column, const QStringList& channels) {
    switch (column) {
    case ColChannel:
        return channels;
    case ColSentence:
        return supportedNames();
    case ColField:
        return fieldsOf(Find_Sentence(rule.Sentence));
    default:
        return postOperationLabels();
    }
}

// Applies one value to its cell as typing or a pick would; false when the cell cannot take it.
bool applyValue(RuleTable& table, int row, int column, const QString& value, const QStringList& channels) {
    AccessRule& rule = table[row - 1];
    if (bool* tick = tickCell(rule, column)) {
        const std::optional<bool> named = tickNamed(value);
        if (named)
            *tick = *named;
        return named.has_value();
    }
    if (QString* cell = pickCell(rule, column)) {
        // An empty cell of the block empties the cell, as a fresh row has it.
        if (value.trimmed().isEmpty()) {
            cell->clear();
            return true;
        }
        const std::optional<QString> entry = entryNamed(pickEntries(rule, column, channels), value);
        if (!entry)
            return false;
        if (*entry == *cell)
            return true;
        *cell = *entry;
        // As a pick: a sentence takes its first field, and either proposes the position.
        if (column == ColSentence)
            rule.DataField = fieldText(Find_Sentence(rule.Sentence), 0);
        if (column == ColSentence || column == ColField)
            rule.Position = QString::number(proposedPosition(table, row, rule.Sentence, rule.DataField));
        return true;
    }
    const QString text = withoutControlCharacters(value);
    switch (column) {
    case ColIndex:
        // The cell is closed to typing unless the row's sentence takes an Index.
        if (!indexEditable(rule.Sentence))
            return text.isEmpty();
        rule.Index = text;
        return true;
    case ColPosition:
        rule.Position = text;
        return true;
    case ColMnemonic:
        rule.Mnemonic = text;
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
