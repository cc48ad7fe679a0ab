#include "core/nmea/RulePositions.h"

#include "core/image/BankImage.h"
#include "core/nmea/NmeaCatalog.h"
#include "core/review/PlcTypes.h"
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

// The type a PLC reads the rule's value as: its bytes where a swap reordered them.
Review::PlcValueType typeOf(const QString& dataField, qint32 size, bool swapAll, bool swap16) {
    const quint8 swaps =
        quint8((swapAll ? BankLayout::SwapAllBit : 0) | (swap16 ? BankLayout::Swap16Bit : 0));
    return Review::memberType(Review::valueType(dataField, size), swaps);
}

qint64 lastPosition(const RuleTable& table, int ARow, PositionAlignment alignment) {
    for (int row = std::min(ARow - 1, RuleRows); row >= 1; --row) {
        const AccessRule& rule = table[row - 1];
        if (!rule.Enable)
            continue;
        qint32 size = sizeOf(rule.Sentence, rule.DataField);
        if (size > 0 && alignment == PositionAlignment::Logix)
            size = Review::logixSize(typeOf(rule.DataField, size, rule.SwapAll, rule.Swap16));
        if (size > 0)
            return qint64(intTextOr(rule.Position, 0)) + size;
    }
    return 0;
}

} // namespace

int Get_Last_Position(const RuleTable& table, int ARow) {
    return clampToInt(lastPosition(table, ARow, PositionAlignment::Words));
}

int proposedPosition(const RuleTable& table, int ARow, const QString& Sentence, const QString& DataField,
                     PositionAlignment alignment) {
    qint64 position = lastPosition(table, ARow, alignment);
    const qint32 size = sizeOf(Sentence, DataField);
    if (size == 1 || size == 3)
        ++position;
    if (alignment == PositionAlignment::Logix && size > 0) {
        // The row's own swaps count: swapped bytes are exported as bytes.
        const bool inTable = ARow >= 1 && ARow <= RuleRows;
        const Review::PlcValueType type =
            typeOf(DataField, size, inTable && table[ARow - 1].SwapAll, inTable && table[ARow - 1].Swap16);
        const int align = Review::logixAlignment(type);
        position = (std::max<qint64>(position, 0) + align - 1) / align * align;
    }
    return clampToInt(position);
}

void Set_Position(RuleTable& table, int ARow, const QString& Sentence, const QString& DataField,
                  PositionAlignment alignment) {
    if (ARow < 1 || ARow > RuleRows)
        return;
    table[ARow - 1].Position = QString::number(proposedPosition(table, ARow, Sentence, DataField, alignment));
}

} // namespace Nmea
