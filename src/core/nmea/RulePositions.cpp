#include "core/nmea/RulePositions.h"

#include "core/nmea/NmeaCatalog.h"
#include "core/util/TextRules.h"

#include <algorithm>
#include <limits>

namespace Nmea {

namespace {

// Positions typed by the user may be any 32-bit number; adding a field size must not overflow.
int clampToInt(qint64 value) {
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

qint32 sizeOf(const QString& sentence, const QString& dataField) {
    const int s = Find_Sentence(sentence);
    return fieldSize(s, GetIndexDataField(s, upperAscii(dataField)));
}

qint64 lastPosition(const RuleTable& table, int ARow) {
    for (int row = std::min(ARow - 1, RuleRows); row >= 1; --row) {
        const AccessRule& rule = table[row - 1];
        if (!rule.Enable)
            continue;
        const qint32 size = sizeOf(rule.Sentence, rule.DataField);
        if (size > 0)
            return qint64(intTextOr(rule.Position, 0)) + size;
    }
    return 0;
}

} // namespace

int Get_Last_Position(const RuleTable& table, int ARow) {
    return clampToInt(lastPosition(table, ARow));
}

int proposedPosition(const RuleTable& table, int ARow, const QString& Sentence, const QString& DataField) {
    qint64 position = lastPosition(table, ARow);
    const qint32 size = sizeOf(Sentence, DataField);
    if (size == 1 || size == 3)
        ++position;
    return clampToInt(position);
}

void Set_Position(RuleTable& table, int ARow, const QString& Sentence, const QString& DataField) {
    if (ARow < 1 || ARow > RuleRows)
        return;
    table[ARow - 1].Position = QString::number(proposedPosition(table, ARow, Sentence, DataField));
}

} // namespace Nmea
