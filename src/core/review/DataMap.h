#pragma once

#include "core/review/Review.h"

#include <QList>
#include <QString>

// Where the compiled rules put their values in the converter's data array: what the PLC engineer
// needs to read them, and what the data map draws.
namespace Review {

struct MapEntry {
    int rule = 0;
    QString mnemonic;
    QString channel;  // "RS232", "RS485 1", "RS485 2"
    QString sentence; // catalog name
    QString field;    // catalog field text
    int index = 0;    // as compiled; 0 for a field without an Index
    QString postOperation;
    bool swapAll = false;
    bool swap16 = false;
    int firstByte = 0;
    int size = 0;
    int lastByte = 0;
};

// The compiled rules of a review by first byte, then by rule number.
QList<MapEntry> dataMap(const Result& review);

// "none", "all", "16" or "all+16".
QString swapsText(const MapEntry& entry);

// One line of headers, then one line a rule; fields quoted where they must be.
QString mapCsv(const QList<MapEntry>& entries);
// {"rules": [{"rule": 1, "mnemonic": ..., "firstByte": ..., ...}, ...]}
QString mapJson(const QList<MapEntry>& entries);

struct StructuredText {
    QString text;  // the declaration, or empty with error set
    QString error; // why no layout can be written: overlapping rules
};
// An IEC 61131-3 TYPE ... STRUCT of the data array, packed to byte offsets, with one member per
// rule typed by size alone and padding members for the gaps. typeName is made a valid identifier.
StructuredText mapStructuredText(const QList<MapEntry>& entries, const QString& typeName);

// A valid IEC 61131-3 identifier made from text: ASCII letters, digits and single underscores,
// not starting with a digit, not a keyword; empty when nothing of text is left.
QString plcIdentifier(const QString& text);

} // namespace Review
