#pragma once

#include "core/review/DataMap.h"
#include "core/review/PlcTypes.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// How a PLC rebuilds every rule's value from the bytes of the Output array: which bytes in which
// order (the swaps undone), which type, and the post operation undone. The structured text the
// exports write and the C++ twin the tests run are both made from this one description, so what
// the tests prove of the twin holds for the text.
namespace Review {

enum class DecodedKind {
    Integer, // the integer type of the field, as sent
    Real,    // REAL: a floating-point field, or any number a post operation scaled
    Text,    // STRING of the field's width: characters, and fields without a note
};

struct DecodeStep {
    int rule = 0;
    QString output; // the function block's output: the rule's member name
    int firstByte = 0;
    int size = 0;
    PlcValueType value; // as the converter places it, before the swaps
    quint8 swaps = 0;
    PostScaling scaling;
    QList<int> byteAt; // byteAt[k]: the array byte holding value byte k (least significant first)
    DecodedKind kind = DecodedKind::Integer;
    QString outputType; // "REAL", "UINT", "STRING[20]"
    QString comment;
};

struct DecoderDescription {
    QString imageType; // ARRAY [0..n-1] OF BYTE
    QString blockName; // the decoding function block
    QString realFunction;
    QString charFunction;
    QString input; // the function block's input, an image
    QString bits;  // scratch: the bytes of one value as UDINT
    QString whole; // scratch: a signed value
    int imageBytes = 0;
    QList<DecodeStep> steps; // by first byte
};

// The description for the rules of entries; names are the members' names (names[rule]).
DecoderDescription decoderDescription(const QList<MapEntry>& entries, const QMap<int, QString>& names,
                                      const QString& typeName, int outputBytes);

// The byte image type, the two helper functions and the function block as structured text that
// IEC 61131-3 standard functions alone compile; commentLines head the function block.
QString decoderText(const DecoderDescription& description, const QStringList& commentLines);

// What the function block's outputs hold for image, step by step: the number, or the text.
struct DecodedValue {
    double number = 0;
    QString text;
};
QList<DecodedValue> decodeTwin(const DecoderDescription& description, const QByteArray& image);

} // namespace Review
