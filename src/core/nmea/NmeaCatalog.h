#pragma once

#include <QString>
#include <QStringList>

// The fixed knowledge of the NMEA 0183 sentences the converter decodes. The sentence index
// (1..58), the field index (0-based) and the post-operation code (0..8) go into the image, so the
// order of every list is a contract with the device firmware.
namespace Nmea {

constexpr int SentenceCount = 58;

struct FieldSentence {
    const char* Field; // UTF-8, exactly as stored in rules documents
    qint32 Dimension;  // bytes in the converter's data array
};

// Name of sentence index 1..58; empty outside.
QString sentenceName(int index);
// Whether sentence index 1..58 is supported (offered and compiled); false outside.
bool isSupported(int index);

// Index 1..58 of the first sentence whose name equals text exactly, or -1. Ignores the supported flag.
int Find_Sentence(const QString& Sentence);
// Index of the first field whose text, upper-cased (ASCII) and trimmed, equals DataField exactly;
// -1 when Ind_Sent is outside 1..58, the sentence has no fields, or nothing matches.
int GetIndexDataField(int Ind_Sent, const QString& DataField);
// Code 0..8 of the label that equals PostOpe exactly; 0 ("None") otherwise.
int GetIndexPostOperation(const QString& PostOpe);

// Supported sentence names in table order (the Sentence pick list).
QStringList supportedNames();
// Field texts of a sentence in catalog order; empty for unsupported or unknown indexes.
QStringList fieldsOf(int index);
// Number of fields of a sentence (0 for unsupported or unknown).
int fieldCount(int index);
// Field text of (sentence, field); empty when out of range.
QString fieldText(int sentence, int field);
// Dimension of (sentence, field); 0 when out of range.
qint32 fieldSize(int sentence, int field);
// The nine post-operation labels in code order.
QStringList postOperationLabels();

// Whether rules of this sentence carry an Index for any field (GSV, XDR, $PJELA, $VTHA0..$VTHS0):
// the Index cell is editable.
bool takesIndex(int sentence);

struct IndexRule {
    bool required = false; // the Index must lie in min..max
    int min = 0;
    int max = 0;
    int messageSlot = 0; // catalog slot of the refusal ("!! Index Must be Between 1 and ...")
};
// The Index rule for (sentence, field): GSV fields 3..6 1..36, GSV field 1 1..9, XDR 1..10,
// $PJELA 1..50, $VTHA0..$VTHS0 1..32; nothing required otherwise.
IndexRule indexRule(int sentence, int field);

} // namespace Nmea
