#pragma once

#include "core/image/BankCompiler.h"
#include "core/image/BankImage.h"
#include "core/language/MessageCatalog.h"
#include "core/nmea/AccessRules.h"
#include "core/nmea/RulesCheck.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <bitset>
#include <optional>

struct ParGenSet;

// The commissioning review: what a configuration will do in the device that its editors do not
// show. It runs beside the editors' data checks and the compiler and changes neither; every
// decision about which rules are compiled is the compiler's own (compileRule), so the review and
// the image cannot disagree.
namespace Review {

enum class Severity { Error, Warning, Note };

enum class Kind {
    LeftOut,              // shown ticked, rejected by the compiler
    Incomplete,           // refused by the rules window's data check at OK
    Overlap,              // two compiled rules share bytes
    BeyondDataArray,      // ends past the data array
    Unreachable,          // ends past the EtherNet/IP output array, the part the PLC receives
    StoredDiffers,        // compiled as something else than the stored text says
    NotSaved,             // a row below the row that ends the saved list
    Duplicate,            // same channel, sentence, field and Index
    SwapNoEffect,         // a swap wider than the field
    MaskNotContiguous,    // the subnet mask's ones are not one run from the top
    AddressNotHost,       // the address is 0.0.0.0, or its subnet's network or broadcast address
    GatewayOutsideSubnet, // a gateway in use outside the address's subnet
};

enum class Reason {
    None,
    // left-out, in the order the compiler tests
    Enable,
    Channel,
    PortDisabled,
    Sentence,
    Unsupported,
    Field,
    // stored-differs
    PostOperation,
    Index,
    Position,
};

struct Finding {
    Severity severity = Severity::Note;
    Kind kind = Kind::LeftOut;
    QList<int> rules; // rule numbers, ascending; empty for the network kinds
    Reason reason = Reason::None;
    QString message; // in the catalog's language: names the rules and says what to do
    // The shared bytes of an overlap, else -1.
    int firstByte = -1;
    int lastByte = -1;
};

// One compiled rule with the bytes it fills.
struct CompiledRule {
    int rule = 0; // its number: the row in the rules window, the element child in the document
    RuleRecord record;
    int size = 0; // the field's Dimension
    QString mnemonic;

    int firstByte() const { return record.position; }
    int endByte() const { return record.position + size; } // one past the last byte
    int lastByte() const { return endByte() - 1; }
};

} // namespace Review

// Both are moved in memory as they stand, so a growing list of them copies nothing.
Q_DECLARE_TYPEINFO(Review::Finding, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(Review::CompiledRule, Q_RELOCATABLE_TYPE);

namespace Review {

struct Result {
    QString error;                // a document that cannot be read: nothing was reviewed
    QList<Finding> findings;      // errors first, then warnings, then notes; by rule within a kind
    QList<CompiledRule> compiled; // in image order
    quint32 inputBytes = 0;       // EtherNet/IP array sizes as compiled
    quint32 outputBytes = 0;
    // The checksum of the image these rules compile to; none with more rules than it holds.
    std::optional<quint32> imageChecksum;

    bool hasErrorOrWarning() const;
    int count(Severity severity) const;
};

// Every review writes its messages with the texts of a message catalog: the windows pass the
// program's, in the chosen language; the command line keeps the built-in English ones.

// The review of a configuration folder's documents, read as Compile_Bank reads them, and their
// first hundred rules also as the rules window would load and check them. Rules are numbered by
// the element children of NMEA_Listener.
Result reviewDocuments(const QString& File_ParGen, const QString& File_NMEA_Access,
                       const MessageCatalog& texts = MessageCatalog());

// The review of the rules window's current rows as saving and compiling them would give, against
// a parameter block from compileParameterDocument or compileParameterSet. Rules are numbered by
// row; rows below the first row without a sentence are not saved, which is a finding of its own,
// and not reviewed further.
Result reviewTable(const Nmea::RuleTable& table, const BankImage& parameters,
                   const MessageCatalog& texts = MessageCatalog());
Result reviewTable(const Nmea::RuleTable& table, const ParGenSet& parameters,
                   const MessageCatalog& texts = MessageCatalog());

// The review of candidate rules in document order against a parameter block.
Result reviewRules(const QList<Nmea::RuleAttributes>& rules, const BankImage& parameters,
                   const MessageCatalog& texts = MessageCatalog());

// The same, one rule at a time as the rules are read, holding only what the result keeps.
class RuleReview {
public:
    explicit RuleReview(const BankImage& parameters, const MessageCatalog& texts = MessageCatalog());
    void reserve(int rules); // room for this many rules, when their number is known beforehand
    // A row as the rules window shows it, checked as its data check at OK would (row 1 to 100).
    // Called before the rule of the same number is added, so that a rule the check refuses is not
    // reported again as left out.
    void checkRow(int row, const Nmea::AccessRule& shown);
    void add(const Nmea::RuleAttributes& stored); // the next candidate rule
    // The rows of the table that saving drops: those holding text below the row that ends the list.
    void rowsNotSaved(const Nmea::RuleTable& shown);
    Result finish();

private:
    BankImage m_parameters;
    MessageCatalog m_texts; // a copy shares the texts' storage
    Result m_result;
    QList<Finding> m_findings;
    int m_rules = 0;
    std::bitset<Nmea::RuleRows> m_refused; // rows the data check refuses
};

// The names used in the command line's output and in JSON: "error", "left-out", "port-disabled".
// A hint lists at most HintLines lines: past that, its last line says how many of total are left
// out (moreText, "and %1 more"), and the findings window has them all. lines are the first lines,
// at least HintLines - 1 of them when total is larger.
inline constexpr int HintLines = 15;
QString limitedHint(const QStringList& lines, qsizetype total, const QString& moreText);

QString severityName(Severity severity);
QString kindName(Kind kind);
QString reasonName(Reason reason); // empty for Reason::None

// For flagging rows: the most severe finding of each rule number and all its messages.
struct RuleFlag {
    Severity severity = Severity::Note;
    QStringList messages;
};
QMap<int, RuleFlag> flagsByRule(const QList<Finding>& findings);

} // namespace Review
