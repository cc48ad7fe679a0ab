#pragma once

#include "core/review/DataMap.h"

#include <QList>
#include <QMap>
#include <QString>
#include <optional>

// The data array as PLC data types: one member per compiled rule, typed as the device represents
// its value, padding members for the gaps, exactly as long as the output array the PLC receives.
namespace Review {

enum class MapFormat {
    Csv,
    Json,
    St,      // TwinCAT and CODESYS: packed by {attribute 'pack_mode' := '1'}
    Iec,     // strict IEC 61131-3: END_STRUCT;, no vendor attribute
    PlcOpen, // PLCopen XML, TC6 version 2.01
    L5x,     // a Logix data type in the L5X import format
};

// "csv", "json", "st", "iec", "plcopen", "l5x".
QString formatName(MapFormat format);
std::optional<MapFormat> mapFormat(const QString& name);
// The file name suffix an export is saved with: "csv", "json", "st", "st", "xml", "L5X".
QString formatSuffix(MapFormat format);

// A member of the layout: a rule's value, or padding where entry is null.
struct PlcMember {
    int first = 0;
    int size = 0;
    QString name;
    PlcValueType type;
    const MapEntry* entry = nullptr;
};

struct PlcLayout {
    QString typeName;
    QList<PlcMember> members; // by byte; they cover 0 to outputBytes - 1 without overlap
    QString error;            // why no layout is true: overlapping rules, rules the PLC never receives
};
// The byte layout of the output array. entries must outlive the layout.
PlcLayout plcLayout(const QList<MapEntry>& entries, const MapHeader& header);

// A rule whose value Logix would not read at its byte: Logix places INT on multiples of 2, DINT
// and REAL on multiples of 4, and arrays on multiples of 4 rounded up to whole 4-byte words.
struct Misaligned {
    int rule = 0;
    QString name;
    QString logixType;
    int firstByte = 0;
    int nearest = 0; // the nearest position where Logix reads it, clear of the member before
};

struct MapExport {
    QString text;                 // the export, or empty with error set
    QString error;                // why it is refused
    QList<Misaligned> misaligned; // for l5x and iec: what a compiler would read at other bytes
};
// strictLayout refuses a layout that the format's compiler would lay out at other bytes (l5x,
// iec) where it otherwise writes the byte image and its decoding in place of the typed structure.
MapExport exportMap(const QList<MapEntry>& entries, const MapHeader& header, MapFormat format,
                    bool strictLayout = false);

// The member name each rule takes in the exported types, by rule number.
QMap<int, QString> memberNames(const QList<MapEntry>& entries, const MapHeader& header);

// How a Logix controller takes the Output array: into a tag of the data type by one copy step
// where the layout fits Logix's alignment (typed), else into the SINT array tag imageTag, which the
// routine then moves into typed members.
struct LogixHandoff {
    bool typed = true;
    QString typeName;
    int typeBytes = 0; // as Logix allocates the type: whole 4-byte words
    QString imageTag;
    QString routine;
};
// Nothing when the rules have no layout (they overlap, lie past the output array, or none is compiled).
std::optional<LogixHandoff> logixHandoff(const QList<MapEntry>& entries, const MapHeader& header);

// What every export's header tells the PLC engineer beside the sizes: the model the values follow,
// the connection from the PLC's side, the byte order of each swap setting in use, and the lines to
// fill in from the converter's manual.
QStringList handoffLines(const QList<MapEntry>& entries, const MapHeader& header);

} // namespace Review
