#pragma once

#include "core/review/PlcTypes.h"
#include "core/review/Review.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>
#include <vector>

class MessageCatalog;
namespace Nmea {
struct MonitorFinding;
struct RuleFeed;
} // namespace Nmea

// The EtherNet/IP Output array as this program assumes the converter fills it from the values its
// rules receive: exactly EtherNetIP_NB_Output bytes, each compiled rule's value at its Position.
// Numbers take the type PlcTypes gives their field (REAL, or an integer of the field's size),
// little-endian, after the post operation; Swap All reverses the value's bytes, Swap 16 swaps the
// 16-bit words of each 4-byte group, both apply when both are set. Characters go as received, the
// rest of the field filled with a pad. Bytes no rule covers, and a rule that had no value yet, are
// zero. The converter's manual is the judge of all of it; this is the model the checks, the
// monitor and the generated decoders share.
namespace Review {

// The byte a text shorter than its field is filled up with.
inline constexpr quint8 DefaultTextPad = 0x00;

// One compiled rule as the model places it.
struct OutputRule {
    int rule = 0;
    QString mnemonic;
    int firstByte = 0;
    int size = 0;
    PlcValueType value;    // the field's type before any swap
    int postOperation = 0; // 0..8
    quint8 swaps = 0;      // BankLayout::SwapAllBit | Swap16Bit
};
OutputRule outputRule(const CompiledRule& compiled);

// Where value byte k of a field of size bytes lands within the field after the swaps: k = 0 is a
// number's least significant byte, or a text's first character.
int swappedPosition(int k, int size, quint8 swaps);
// The field's bytes first to last, each named by the value byte it holds:
// "Swap All on 4 bytes: b3 b2 b1 b0", "no swap on 2 bytes: b0 b1".
QString byteOrderText(int size, quint8 swaps);

// A value the field's type cannot hold, and what the model places instead.
struct Overflow {
    enum class Why {
        AboveMaximum, // the value after the post operation is larger than the type holds
        BelowMinimum, // smaller, a negative value in an unsigned type among them
        Fraction,     // an integer type, a value with a fraction the post operation does not divide away
        NotNumber,    // a number's field received a text that is no number
        TooLong,      // characters beyond the field's width
    };
    Why why = Why::AboveMaximum;
    QString received;   // the text received
    QString arithmetic; // "700.5 x 100 = 70050", or the number alone without a post operation
    QString typeName;   // "UINT"
    QString limit;      // "65535", "0"; for TooLong the field's width
    QString placed;     // what the PLC reads: "4514", or a text
};

struct Placement {
    QByteArray bytes; // the field's bytes in the order they are sent, swaps applied
    std::optional<Overflow> overflow;
};

// What the model places for a rule that received text for its field.
Placement placeValue(const OutputRule& rule, const QString& text, quint8 pad = DefaultTextPad);

// The Output array of one configuration, kept up to date one rule at a time.
class OutputArray {
public:
    OutputArray() = default;
    // Every compiled rule of the review, in image order; a later rule writes over an earlier one
    // where they overlap, and only the bytes below outputBytes are kept.
    OutputArray(const QList<CompiledRule>& compiled, quint32 outputBytes, quint8 pad = DefaultTextPad);

    const QByteArray& bytes() const { return m_bytes; }
    const std::vector<OutputRule>& rules() const { return m_rules; }

    // Places the text rule received; nothing for a rule that is not compiled. Placing the text a
    // rule holds already costs a comparison.
    void place(int rule, const QString& text);
    // The values of a monitor's rules that had one; rules without a value so far stay zero.
    void placeFeeds(const std::vector<Nmea::RuleFeed>& feeds);
    // Every byte back to zero.
    void clear();

    // The overflow of the value placed last for rule, if any.
    std::optional<Overflow> overflow(int rule) const;
    // The compiled rule whose value byte holds: the one placed there last in image order; 0 for none.
    int ruleAt(int byte) const;

private:
    struct State {
        QString text;
        bool placed = false;
        std::optional<Overflow> overflow;
    };
    void write(size_t at, const QByteArray& fieldBytes);

    std::vector<OutputRule> m_rules;
    std::vector<State> m_states;
    std::vector<int> m_byRule; // rule number -> index in m_rules, -1 for none
    std::vector<int> m_owner;  // byte -> rule number, 0 for none
    QByteArray m_bytes;
    quint8 m_pad = DefaultTextPad;
};

// The monitor's overflow finding for each rule whose value did not fit, by rule; messages from texts.
QList<Nmea::MonitorFinding> overflowFindings(const OutputArray& array, const MessageCatalog& texts);

// The bytes as hexadecimal lines of 16, each led by its first byte's offset: "0010: 00 0a ...".
QStringList hexLines(const QByteArray& bytes);

} // namespace Review
