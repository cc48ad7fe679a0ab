#pragma once

#include <QString>
#include <QtGlobal>

// How the device represents a catalog field in the data array, as a PLC reads it. The note that
// ends the field's text gives the kind, the field's Dimension the size; multi-byte values are
// little-endian, the byte order of EtherNet/IP.
namespace Review {

enum class ValueKind {
    Real,       // "[floating point]": IEEE 754 single precision
    Unsigned,   // "[decimal]"
    Signed,     // "[decimal +/-]"
    Characters, // "[character]", "[char]", "[string of 3 characters]", "[character string] (...)"
    Raw,        // no note, a size the note does not allow, or bytes a swap has reordered
};

struct PlcValueType {
    ValueKind kind = ValueKind::Raw;
    int size = 0; // bytes

    bool operator==(const PlcValueType&) const = default;
};

// The type of a field from its catalog text and Dimension.
PlcValueType valueType(const QString& fieldText, int size);

// The swap bits (BankLayout::SwapAllBit, Swap16Bit) that change nothing on a field of this size:
// Swap All on one byte, Swap 16 on fewer than four.
quint8 swapsWithoutEffect(quint8 swaps, int size);

// The type the PLC reads: raw bytes where a swap has taken the value out of little-endian order.
PlcValueType memberType(const PlcValueType& value, quint8 swaps);

// Logix (Rockwell) places a member of a data type on a multiple of its alignment: INT on 2, DINT
// and REAL on 4, and characters or raw bytes of more than one byte, an array of SINT, on 4 with a
// size rounded up to whole 4-byte words.
bool logixArray(const PlcValueType& type);
int logixAlignment(const PlcValueType& type);
int logixSize(const PlcValueType& type); // the bytes Logix gives the member

// IEC 61131-3 names: REAL, USINT, UINT, UDINT, SINT, INT, DINT; one character or raw byte is BYTE,
// more are ARRAY [0..n-1] OF BYTE.
QString iecTypeName(const PlcValueType& type);

// What the post operation (code 0..8) did to the value: divided it by factor (codes 1..4),
// multiplied it by factor (codes 5..8), or left it as sent (factor 1).
struct PostScaling {
    int factor = 1;
    bool multiplied = false;
};
PostScaling postScaling(int code);

// What the post operation did to the value and how the PLC gets it back:
// "value x 10: divide by 10 for the value sent".
QString postOperationMeaning(int code);

} // namespace Review
