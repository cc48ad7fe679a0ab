#pragma once

// Where each catalog field of a sentence comes from in the comma-separated sentence, so that the
// monitor can show what a rule would receive. The table beside the catalog (SentenceLayoutData.cpp)
// has one entry per sentence index in catalog order; sentences without a layout are matched and
// counted but their fields are not decoded.
namespace Nmea {

// Which part of the text in a column a catalog field takes.
enum class FieldPart : unsigned char {
    Whole,
    Hours,        // "hhmmss.ss"
    Minutes,      // "hhmmss.ss"
    Seconds,      // "hhmmss.ss"
    Fraction,     // the digits after the point of "hhmmss.ss"
    Degrees,      // "ddmm.mmmm" or "dddmm.mmmm": everything before the two minute digits
    AngleMinutes, // "ddmm.mmmm" or "dddmm.mmmm": the last two digits before the point and the rest
    Day,          // "ddmmyy"
    Month,        // "ddmmyy"
    Year,         // "ddmmyy"
};

enum class FieldKind : unsigned char { Number, Text };

// Where a column is counted from.
enum class ColumnBase : unsigned char {
    Address,     // column n is the n-th field after the address
    Group,       // column n of the group the rule's Index selects (GSV satellite, XDR quadruple)
    AfterGroups, // the field after the last whole group (GSV signal ID)
};

struct FieldSource {
    ColumnBase base;
    unsigned char column;
    FieldPart part;
    FieldKind kind;
};

// How a sentence repeats groups of fields that the rule's Index selects.
enum class Repeat : unsigned char {
    None,
    GsvSatellites, // 4 satellites a sentence, 4 fields each, from column 4; the group spans sentences
    XdrQuadruples, // transducer quadruples from column 1
};

struct SentenceLayout {
    const char* Name;     // the catalog name, to check the table against the catalog
    const char* Revision; // the NMEA 0183 revision the layout follows
    Repeat repeat;
    const FieldSource* Sources; // one per catalog field, in catalog order; nullptr when not decoded
    int SourceCount;
};

// The layout of sentence index 1..58, or nullptr when its fields are not decoded.
const SentenceLayout* sentenceLayout(int sentence);

} // namespace Nmea
