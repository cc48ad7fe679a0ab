#pragma once

#include "core/util/XmlDocument.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

// The NMEA 0183 access rules as the rules window edits them and NMEA_0183_Set_Access.xml
// stores them.
namespace Nmea {

// One rule row. A default-constructed rule is the state of a reset row: Enable ticked,
// everything else empty or unticked.
struct AccessRule {
    bool Enable = true;
    QString Serial_Channel;
    QString Sentence;
    QString Index;
    QString DataField;
    QString PortOperation; // the "Post Ope" column
    bool SwapAll = false;
    bool Swap16 = false;
    QString Position;
    QString Mnemonic;

    bool operator==(const AccessRule&) const = default;
};

// The attributes of one row element (one a column of core/nmea/RuleColumns) as stored, before any reader
// interprets them. A missing attribute is an empty text: the compiler reads both alike, and the window ticks
// Enable for both.
struct RuleAttributes {
    QString Enable;
    QString Serial_Channel;
    QString Sentence;
    QString Index;
    QString DataField;
    QString PortOperation;
    QString SwapAll;
    QString Swap16;
    QString Position;
    QString Mnemonic;

    bool operator==(const RuleAttributes&) const = default;
};

// The attributes that saving writes for a rule row, exactly as the document then holds them.
RuleAttributes storedAttributes(const AccessRule& rule);

// One element of a rules document as the compiler reads it (each attribute as it stands, a missing
// one empty) and as the rules window loads it into a row (through the load filters and defaults).
RuleAttributes attributesOf(const XmlRootReader& element);
AccessRule loadedRule(const XmlRootReader& element);

// A row with something typed or picked in a text cell; a text of blanks counts.
bool holdsText(const AccessRule& rule);

constexpr int RuleRows = 100;
// Rule number r (1..100) is table[r - 1]. A value-initialised table is the reset table.
using RuleTable = std::array<AccessRule, RuleRows>;

// The three channel names the rules may name, in pick-list order.
QStringList serialChannelNames();
// The pick list for the mask Enable_Serial: 1 adds "RS232", 2 "RS485 / RS422", 4 "RS485 2".
QStringList SerialChannel_SL(int Enable_Serial);

// Load filters: the argument when it equals an allowed entry exactly, otherwise an empty text.
QString Get_Serial_Channel(const QString& text);
QString Get_Sentence(const QString& text);                               // a supported sentence name
QString Get_DataField(const QString& sentenceCell, const QString& text); // a field of that sentence
QString Get_PostOperatin(const QString& text);

// Whether the Index cell of a row whose Sentence cell holds sentenceCell may be edited.
bool indexEditable(const QString& sentenceCell);

struct RulesLoad {
    RuleTable table{}; // reset rows plus the rules read
    QString error;     // empty unless the document could not be loaded; the table is then reset
};

enum class RowsRead { Read, NotParsed, NoListener };

// Reads a rules document in one pass and hands each element child of the first NMEA_Listener of
// the root to row, in document order. The document is read to its end, since one that is not
// well-formed anywhere cannot be used; rows already handed over are then to be dropped. On
// NotParsed, error holds the parser's message and line.
RowsRead readRuleRows(const QString& path, const std::function<void(const XmlRootReader&)>& row,
                      QString* error);

// Reads NMEA_0183_Set_Access.xml. A missing file is an empty rule list, not an error. Rows past
// the hundredth are not kept.
RulesLoad loadAccessRules(const QString& path);

// The document exactly as saved: rules up to the first row without a sentence.
QByteArray accessRulesDocument(const RuleTable& table);
// Rewrites the file whole. Returns an empty text, or the reason naming the file.
QString saveAccessRules(const QString& path, const RuleTable& table);

// How many rows saving writes: those above the first row without a sentence.
int savedRowCount(const RuleTable& table);

// The number of the first row without a sentence when some row below it holds text (those rows are
// not saved), else 0.
int firstRowEndingTheList(const RuleTable& table);

} // namespace Nmea
