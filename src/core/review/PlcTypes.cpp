#include "core/review/PlcTypes.h"

#include "core/image/BankImage.h"

#include <algorithm>

namespace Review {

namespace {

bool integerSize(int size) {
    return size == 1 || size == 2 || size == 4;
}

} // namespace

PlcValueType valueType(const QString& fieldText, int size) {
    // The note is the last bracketed word; "(20 characters)" may follow it.
    const qsizetype open = fieldText.lastIndexOf(u'[');
    const qsizetype close = fieldText.indexOf(u']', open);
    const QString note = open < 0 || close < 0 ? QString() : fieldText.mid(open + 1, close - open - 1);
    if (note == u"floating point" && size == 4)
        return {ValueKind::Real, size};
    if (note == u"decimal" && integerSize(size))
        return {ValueKind::Unsigned, size};
    if (note == u"decimal +/-" && integerSize(size))
        return {ValueKind::Signed, size};
    const bool characters = note == u"character" || note == u"char" || note == u"character string" ||
                            (note.startsWith(u"string of ") && note.endsWith(u" characters"));
    if (characters && size > 0)
        return {ValueKind::Characters, size};
    return {ValueKind::Raw, size};
}

quint8 swapsWithoutEffect(quint8 swaps, int size) {
    return ((swaps & BankLayout::SwapAllBit) && size <= 1 ? BankLayout::SwapAllBit : 0) |
           ((swaps & BankLayout::Swap16Bit) && size < 4 ? BankLayout::Swap16Bit : 0);
}

PlcValueType memberType(const PlcValueType& value, quint8 swaps) {
    const quint8 effective = swaps & quint8(~swapsWithoutEffect(swaps, value.size));
    if (effective == 0)
        return value;
    return {ValueKind::Raw, value.size};
}

QString iecTypeName(const PlcValueType& type) {
    switch (type.kind) {
    case ValueKind::Real:
        return QStringLiteral("REAL");
    case ValueKind::Unsigned:
        return type.size == 1   ? QStringLiteral("USINT")
               : type.size == 2 ? QStringLiteral("UINT")
                                : QStringLiteral("UDINT");
    case ValueKind::Signed:
        return type.size == 1   ? QStringLiteral("SINT")
               : type.size == 2 ? QStringLiteral("INT")
                                : QStringLiteral("DINT");
    case ValueKind::Characters:
    case ValueKind::Raw:
        break;
    }
    return type.size == 1 ? QStringLiteral("BYTE")
                          : QStringLiteral("ARRAY [0..%1] OF BYTE").arg(type.size - 1);
}

PostScaling postScaling(int code) {
    // Codes 1..4 divide by 10..10000, codes 5..8 multiply by the same.
    if (code < 1 || code > 8)
        return {};
    int factor = 1;
    for (int k = code <= 4 ? code : code - 4; k > 0; --k)
        factor *= 10;
    return {factor, code > 4};
}

QString postOperationMeaning(int code) {
    const PostScaling scaling = postScaling(code);
    if (scaling.factor == 1)
        return QStringLiteral("as sent");
    return scaling.multiplied
               ? QStringLiteral("value x %1: divide by %1 for the value sent").arg(scaling.factor)
               : QStringLiteral("value / %1: multiply by %1 for the value sent").arg(scaling.factor);
}

bool logixArray(const PlcValueType& type) {
    return (type.kind == ValueKind::Characters || type.kind == ValueKind::Raw) && type.size > 1;
}

int logixAlignment(const PlcValueType& type) {
    return logixArray(type) ? 4 : std::clamp(type.size, 1, 4);
}

int logixSize(const PlcValueType& type) {
    return logixArray(type) ? (type.size + 3) / 4 * 4 : type.size;
}

} // namespace Review
