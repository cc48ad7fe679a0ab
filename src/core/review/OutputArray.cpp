#include "core/review/OutputArray.h"

#include "core/image/BankImage.h"
#include "core/language/MessageCatalog.h"
#include "core/language/TextSlots.h"
#include "core/nmea/NmeaCatalog.h"
#include "core/nmea/NmeaMonitor.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace Review {

namespace {

QString number(double value) {
    return Nmea::valueText(value);
}

// The integer range of a type of size bytes.
struct IntegerRange {
    double minimum;
    double maximum;
};
IntegerRange integerRange(const PlcValueType& type) {
    const double span = std::ldexp(1.0, 8 * type.size);
    if (type.kind == ValueKind::Signed)
        return {-span / 2, span / 2 - 1};
    return {0, span - 1};
}

// The field's bytes from the value's bytes (least significant, or first character, first).
QByteArray swapped(const QByteArray& value, quint8 swaps) {
    const int size = int(value.size());
    QByteArray field(size, '\0');
    for (int k = 0; k < size; ++k)
        field[swappedPosition(k, size, swaps)] = value[k];
    return field;
}

QByteArray littleEndian(quint64 bits, int size) {
    QByteArray bytes(size, '\0');
    for (int k = 0; k < size; ++k)
        bytes[k] = char((bits >> (8 * k)) & 0xFF);
    return bytes;
}

Placement placeCharacters(const OutputRule& rule, const QString& text, quint8 pad) {
    const QByteArray received = text.toLatin1();
    QByteArray value = received.left(rule.size);
    Placement placement;
    if (received.size() > rule.size)
        placement.overflow =
            Overflow{Overflow::Why::TooLong,    text, {}, iecTypeName(rule.value), QString::number(rule.size),
                     QString::fromLatin1(value)};
    value.append(QByteArray(rule.size - value.size(), char(pad)));
    placement.bytes = swapped(value, rule.swaps);
    return placement;
}

Placement placeNumber(const OutputRule& rule, const QString& text) {
    Placement placement;
    const std::optional<double> received = Nmea::fieldNumber(text.toLatin1());
    // Only a value that does not fit is written out: placing a value is the common, cheap case.
    const auto overflow = [&](Overflow::Why why, const QString& arithmetic, const QString& limit,
                              const QString& placed) {
        placement.overflow = Overflow{why, text, arithmetic, iecTypeName(rule.value), limit, placed};
    };
    if (!received) {
        placement.bytes = QByteArray(rule.size, '\0');
        overflow(Overflow::Why::NotNumber, {}, {}, QStringLiteral("0"));
        return placement;
    }
    const PostScaling scaling = postScaling(rule.postOperation);
    const double scaled = scaling.factor == 1  ? *received
                          : scaling.multiplied ? *received * scaling.factor
                                               : *received / scaling.factor;
    const auto arithmetic = [&] {
        return scaling.factor == 1 ? number(scaled)
                                   : QStringLiteral("%1 %2 %3 = %4")
                                         .arg(number(*received),
                                              scaling.multiplied ? QStringLiteral("×") : QStringLiteral("/"),
                                              QString::number(scaling.factor), number(scaled));
    };

    if (rule.value.kind == ValueKind::Real) {
        const float value = float(scaled);
        quint32 bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        placement.bytes = swapped(littleEndian(bits, 4), rule.swaps);
        if (!std::isfinite(value))
            overflow(
                scaled > 0 ? Overflow::Why::AboveMaximum : Overflow::Why::BelowMinimum, arithmetic(),
                number(scaled > 0 ? std::numeric_limits<float>::max() : std::numeric_limits<float>::lowest()),
                scaled > 0 ? QStringLiteral("+inf") : QStringLiteral("-inf"));
        return placement;
    }

    // An integer: the fraction goes (towards zero), and the bytes of the type keep the low part,
    // as a conversion to an integer of that width does.
    const IntegerRange range = integerRange(rule.value);
    const double whole = std::trunc(scaled);
    const double span = std::ldexp(1.0, 8 * rule.size);
    double low = std::fmod(whole, span);
    if (low < 0)
        low += span;
    placement.bytes = swapped(littleEndian(quint64(low), rule.size), rule.swaps);
    const double read = rule.value.kind == ValueKind::Signed && low > range.maximum ? low - span : low;
    if (scaled > range.maximum)
        overflow(Overflow::Why::AboveMaximum, arithmetic(), number(range.maximum), number(read));
    else if (scaled < range.minimum)
        overflow(Overflow::Why::BelowMinimum, arithmetic(), number(range.minimum), number(read));
    else if (whole != scaled && !(scaling.factor > 1 && !scaling.multiplied))
        // A division is chosen to drop digits; anything else that leaves a fraction loses it unseen.
        overflow(Overflow::Why::Fraction, arithmetic(), {}, number(read));
    return placement;
}

} // namespace

OutputRule outputRule(const CompiledRule& compiled) {
    const RuleRecord& r = compiled.record;
    return {compiled.rule,
            compiled.mnemonic,
            compiled.firstByte(),
            compiled.size,
            valueType(Nmea::fieldText(r.sentence, r.field), compiled.size),
            r.postOperation,
            r.swaps};
}

int swappedPosition(int k, int size, quint8 swaps) {
    int at = swaps & BankLayout::SwapAllBit ? size - 1 - k : k;
    // Words swap within each whole 4-byte group; bytes after the last whole group stay.
    if ((swaps & BankLayout::Swap16Bit) && at < size / 4 * 4)
        at ^= 2;
    return at;
}

QString byteOrderText(int size, quint8 swaps) {
    QStringList order(size);
    for (int k = 0; k < size; ++k)
        order[swappedPosition(k, size, swaps)] = QStringLiteral("b%1").arg(k);
    const QString setting = (swaps & BankLayout::SwapAllBit) && (swaps & BankLayout::Swap16Bit)
                                ? QStringLiteral("Swap All and Swap 16")
                            : swaps & BankLayout::SwapAllBit ? QStringLiteral("Swap All")
                            : swaps & BankLayout::Swap16Bit  ? QStringLiteral("Swap 16")
                                                             : QStringLiteral("no swap");
    return QStringLiteral("%1 on %2 %3: %4")
        .arg(setting, QString::number(size), size == 1 ? QStringLiteral("byte") : QStringLiteral("bytes"),
             order.join(u' '));
}

Placement placeValue(const OutputRule& rule, const QString& text, quint8 pad) {
    switch (rule.value.kind) {
    case ValueKind::Real:
    case ValueKind::Unsigned:
    case ValueKind::Signed:
        return placeNumber(rule, text);
    case ValueKind::Characters:
    case ValueKind::Raw: // a field without a note goes as its text came
        break;
    }
    return placeCharacters(rule, text, pad);
}

OutputArray::OutputArray(const QList<CompiledRule>& compiled, quint32 outputBytes, quint8 pad)
    : m_bytes(int(std::min<quint32>(outputBytes, 1u << 20)), '\0'), m_pad(pad) {
    m_owner.assign(size_t(m_bytes.size()), 0);
    for (const CompiledRule& c : compiled) {
        const OutputRule rule = outputRule(c);
        if (rule.rule >= int(m_byRule.size()))
            m_byRule.resize(size_t(rule.rule) + 1, -1);
        m_byRule[size_t(rule.rule)] = int(m_rules.size());
        m_rules.push_back(rule);
        for (int b = rule.firstByte; b < rule.firstByte + rule.size && b < m_bytes.size(); ++b)
            m_owner[size_t(b)] = rule.rule;
    }
    m_states.resize(m_rules.size());
}

void OutputArray::write(size_t at, const QByteArray& fieldBytes) {
    const OutputRule& rule = m_rules[at];
    for (int k = 0; k < rule.size && rule.firstByte + k < m_bytes.size(); ++k) {
        // Of overlapping rules, the one later in image order keeps its bytes.
        if (m_owner[size_t(rule.firstByte + k)] == rule.rule)
            m_bytes[rule.firstByte + k] = fieldBytes[k];
    }
}

void OutputArray::place(int rule, const QString& text) {
    if (rule < 0 || rule >= int(m_byRule.size()) || m_byRule[size_t(rule)] < 0)
        return;
    const size_t at = size_t(m_byRule[size_t(rule)]);
    State& state = m_states[at];
    if (state.placed && state.text == text)
        return;
    const Placement placement = placeValue(m_rules[at], text, m_pad);
    state = {text, true, placement.overflow};
    write(at, placement.bytes);
}

void OutputArray::placeFeeds(const std::vector<Nmea::RuleFeed>& feeds) {
    for (const Nmea::RuleFeed& feed : feeds) {
        if (feed.decoded && feed.hits > 0)
            place(feed.rule, feed.last);
    }
}

void OutputArray::clear() {
    m_bytes.fill('\0');
    for (State& state : m_states)
        state = {};
}

std::optional<Overflow> OutputArray::overflow(int rule) const {
    if (rule < 0 || rule >= int(m_byRule.size()) || m_byRule[size_t(rule)] < 0)
        return std::nullopt;
    return m_states[size_t(m_byRule[size_t(rule)])].overflow;
}

int OutputArray::ruleAt(int byte) const {
    return byte >= 0 && byte < int(m_owner.size()) ? m_owner[size_t(byte)] : 0;
}

QList<Nmea::MonitorFinding> overflowFindings(const OutputArray& array, const MessageCatalog& texts) {
    namespace Slot = TextSlot::MonitorFindings;
    std::vector<const OutputRule*> rules;
    for (const OutputRule& rule : array.rules())
        rules.push_back(&rule);
    std::sort(rules.begin(), rules.end(),
              [](const OutputRule* a, const OutputRule* b) { return a->rule < b->rule; });
    QList<Nmea::MonitorFinding> found;
    for (const OutputRule* rule : rules) {
        const std::optional<Overflow> o = array.overflow(rule->rule);
        if (!o)
            continue;
        const QString number = QString::number(rule->rule);
        const QString name = rule->mnemonic.trimmed().isEmpty() ? QString() : u' ' + rule->mnemonic.trimmed();
        QString message;
        switch (o->why) {
        case Overflow::Why::AboveMaximum:
        case Overflow::Why::BelowMinimum:
            message =
                texts.text(o->why == Overflow::Why::AboveMaximum ? Slot::OverflowAbove : Slot::OverflowBelow)
                    .arg(number, name, o->arithmetic, o->typeName, o->limit, o->placed);
            break;
        case Overflow::Why::Fraction:
            message =
                texts.text(Slot::OverflowFraction).arg(number, name, o->arithmetic, o->typeName, o->placed);
            break;
        case Overflow::Why::NotNumber:
            message =
                texts.text(Slot::OverflowNotNumber).arg(number, name, o->received, o->typeName, o->placed);
            break;
        case Overflow::Why::TooLong:
            message =
                texts.text(Slot::OverflowTooLong)
                    .arg(number, name, o->received, QString::number(o->received.size()), o->limit, o->placed);
            break;
        }
        found.append({rule->rule, QString::fromLatin1(Nmea::FindingKind::Overflow), message});
    }
    return found;
}

QStringList hexLines(const QByteArray& bytes) {
    QStringList lines;
    for (qsizetype at = 0; at < bytes.size(); at += 16) {
        const QByteArray row = bytes.mid(at, 16);
        lines << QStringLiteral("%1: %2").arg(QString::number(at, 16).rightJustified(4, u'0'),
                                              QString::fromLatin1(row.toHex(' ')));
    }
    return lines;
}

} // namespace Review
