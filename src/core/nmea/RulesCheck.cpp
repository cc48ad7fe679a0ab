#include "core/nmea/RulesCheck.h"

#include "core/language/MessageCatalog.h"
#include "core/language/TextSlots.h"
#include "core/nmea/NmeaCatalog.h"
#include "core/util/TextRules.h"

namespace Nmea {

namespace {

// The reason slot of a rule that may not be saved, or 0.
int refusal(const AccessRule& rule) {
    const int sentence = Find_Sentence(trimText(rule.Sentence));
    const int field = sentence == 10 ? GetIndexDataField(sentence, trimText(upperAscii(rule.DataField))) : -1;
    const IndexRule index = indexRule(sentence, field);
    if (index.required) {
        const qint32 n = intTextOr(rule.Index, -1);
        if (n < index.min || n > index.max)
            return index.messageSlot;
    }
    if (trimText(rule.DataField).isEmpty())
        return TextSlot::NmeaAccess::FieldMissing;
    if (trimText(rule.PortOperation).isEmpty())
        return TextSlot::NmeaAccess::PostOpeMissing;
    const qint32 position = intTextOr(rule.Position, -1);
    if (position < 0 || position >= DataArraySize)
        return TextSlot::NmeaAccess::PositionOutside;
    return 0;
}

} // namespace

std::optional<QString> Controllo_dati(const RuleTable& table, const MessageCatalog& catalog) {
    // A row without a sentence is passed over, not the end: the rows below it are still checked.
    for (int row = 1; row <= RuleRows; ++row) {
        if (std::optional<QString> message = rowRefusal(row, table[row - 1], catalog))
            return message;
    }
    return std::nullopt;
}

std::optional<QString> rowRefusal(int row, const AccessRule& rule, const MessageCatalog& catalog) {
    // Disabled rules are stored as the user left them.
    if (trimText(rule.Sentence).isEmpty() || !rule.Enable)
        return std::nullopt;
    const int slot = refusal(rule);
    if (slot == 0)
        return std::nullopt;
    QString message =
        catalog.text(TextSlot::NmeaAccess::ErrorRow) + QString::number(row) + catalog.text(slot);
    if (slot == TextSlot::NmeaAccess::PositionOutside)
        message += QString::number(DataArraySize);
    return message;
}

} // namespace Nmea
