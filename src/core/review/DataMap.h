#pragma once

#include "core/review/PlcTypes.h"
#include "core/review/Review.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

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
    PlcValueType type; // as the PLC reads it: raw bytes where a swap reordered them
    QString meaning;   // what the post operation did: "value x 10: divide by 10 for the value sent"
};

// What every export states beside the rules: the configuration, the program and the image, and
// the EtherNet/IP connection sizes the PLC must be set to.
struct MapHeader {
    QString configuration;
    quint32 outputBytes = 0; // converter to PLC: the data array's bytes the PLC receives
    quint32 inputBytes = 0;  // PLC to converter
    std::optional<quint32> imageChecksum;
    QString program; // "Tessellor SW73052 1.000"
    QDateTime created;
};
MapHeader mapHeader(const Result& review, const QString& configuration);

// The compiled rules of a review by first byte, then by rule number.
QList<MapEntry> dataMap(const Result& review);

// A rule's bytes and type as the rules window's Bytes column shows them: "12–15 REAL", and
// "7 USINT" for a single byte.
QString bytesText(int firstByte, int lastByte, const PlcValueType& type);
// That text for one compiled rule.
QString bytesText(const CompiledRule& compiled);
// That text for each rule 1..rules of a review (rule r at r - 1), empty for a rule the compiler
// leaves out.
QStringList bytesByRule(const Result& review, int rules);

// The rule's bytes in the array, each named by the value byte it holds: "Swap All on 4 bytes: b3 b2 b1 b0".
QString byteOrder(const MapEntry& entry);

// "none", "all", "16" or "all+16".
QString swapsText(const MapEntry& entry);

// One line of headers, then one line a rule; fields quoted where they must be. Every line carries
// the connection sizes, so that each row stands on its own in a spreadsheet.
QString mapCsv(const QList<MapEntry>& entries, const MapHeader& header);
// {"configuration": ..., "outputBytes": ..., "rules": [{"rule": 1, "type": "REAL", ...}, ...]}
QString mapJson(const QList<MapEntry>& entries, const MapHeader& header);

} // namespace Review
