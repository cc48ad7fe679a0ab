#include "core/nmea/NmeaMonitor.h"

#include "core/nmea/NmeaCatalog.h"
#include "core/nmea/SentenceLayout.h"
#include "core/util/TextRules.h"

#include <QVarLengthArray>

#include <charconv>
#include <cmath>

namespace Nmea {

namespace {

// Splits the body (address and fields) at its commas; fields[0] is the address.
using Fields = QVarLengthArray<QByteArrayView, 64>;

void splitFields(QByteArrayView body, Fields& fields) {
    fields.clear();
    const char* p = body.data();
    const char* const end = p + body.size();
    const char* start = p;
    for (; p < end; ++p) {
        if (*p == ',') {
            fields.append(QByteArrayView(start, p - start));
            start = p + 1;
        }
    }
    fields.append(QByteArrayView(start, end - start));
}

QByteArrayView slice(QByteArrayView text, qsizetype from, qsizetype length) {
    if (from < 0 || from + length > text.size())
        return {};
    return text.sliced(from, length);
}

// The part of a column's text that a catalog field takes.
QByteArrayView partOf(QByteArrayView text, FieldPart part) {
    switch (part) {
    case FieldPart::Whole:
        return text;
    case FieldPart::Hours:
    case FieldPart::Day:
        return slice(text, 0, 2);
    case FieldPart::Minutes:
    case FieldPart::Month:
        return slice(text, 2, 2);
    case FieldPart::Seconds:
    case FieldPart::Year:
        return slice(text, 4, 2);
    case FieldPart::Fraction: {
        const qsizetype point = text.indexOf('.');
        return point < 0 ? QByteArrayView() : text.sliced(point + 1);
    }
    case FieldPart::Degrees:
    case FieldPart::AngleMinutes: {
        qsizetype point = text.indexOf('.');
        if (point < 0)
            point = text.size();
        if (point < 2)
            return {};
        return part == FieldPart::Degrees ? text.first(point - 2) : text.sliced(point - 2);
    }
    }
    return {};
}

std::optional<double> parseNumber(QByteArrayView text) {
    if (text.startsWith('+'))
        text = text.sliced(1);
    if (text.isEmpty())
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// The catalog sentence an address names: proprietary names ("$PJELA") match the whole address,
// standard ones the formatter after a two-character talker ("GPGGA", "INHDT").
int catalogSentence(QByteArrayView address) {
    const int whole = Find_Sentence(QLatin1Char('$') + QString::fromLatin1(address));
    if (whole > 0)
        return whole;
    if (address.size() == 5 && address[0] != 'P')
        return Find_Sentence(QString::fromLatin1(address.sliced(2)));
    return -1;
}

// Where the group Index selects starts in this sentence, or -1 when this sentence does not carry
// the whole group (a GSV signal ID after the last satellite is no satellite).
qsizetype groupStart(Repeat repeat, const Fields& fields, int index) {
    if (repeat == Repeat::GsvSatellites) {
        // Satellite n is the ((n - 1) % 4 + 1)-th of sentence (n - 1) / 4 + 1 of the group.
        const std::optional<double> number = parseNumber(fields.value(2));
        if (!number || *number != (index - 1) / 4 + 1)
            return -1;
        const qsizetype start = 4 + 4 * ((index - 1) % 4);
        return start + 4 <= fields.size() ? start : -1;
    }
    const qsizetype start = 1 + 4 * qsizetype(index - 1);
    return start + 4 <= fields.size() ? start : -1;
}

} // namespace

QString channelNamed(const QString& text) {
    const QString cleaned = upperAscii(trimText(text));
    if (cleaned == u"RS485 1")
        return QStringLiteral("RS485 / RS422");
    return Get_Serial_Channel(cleaned);
}

std::vector<RuleFeed> rulesToFeed(const RuleTable& table, const QString& channel) {
    const QString wanted = channel.isEmpty() ? QString() : channelNamed(channel);
    std::vector<RuleFeed> feeds;
    for (int row = 0; row < RuleRows; ++row) {
        const AccessRule& rule = table[row];
        if (!rule.Enable)
            continue;
        const QString ruleChannel = channelNamed(rule.Serial_Channel);
        if (ruleChannel.isEmpty() || (!channel.isEmpty() && ruleChannel != wanted))
            continue;
        const int sentence = Find_Sentence(upperAscii(trimText(rule.Sentence)));
        if (!isSupported(sentence))
            continue;
        const int field = GetIndexDataField(sentence, upperAscii(trimText(rule.DataField)));
        if (field < 0)
            continue;

        RuleFeed feed;
        feed.rule = row + 1;
        feed.channel = ruleChannel;
        feed.sentence = sentenceName(sentence);
        feed.field = fieldText(sentence, field);
        const QString label = trimText(rule.PortOperation);
        feed.postOperation = postOperationLabels().value(GetIndexPostOperation(label));
        feed.mnemonic = rule.Mnemonic;
        feed.sentenceIndex = sentence;
        feed.fieldIndex = field;
        const IndexRule indexRange = indexRule(sentence, field);
        if (indexRange.required) {
            const std::optional<qint32> index = parseIntText(trimText(rule.Index));
            if (index && *index >= indexRange.min && *index <= indexRange.max)
                feed.index = *index;
            else
                feed.indexMissing = true;
        }
        feed.position = intTextOr(trimText(rule.Position), 0);
        feed.size = fieldSize(sentence, field);
        const SentenceLayout* layout = sentenceLayout(sentence);
        feed.decoded = layout != nullptr;
        feed.numeric = layout && layout->Sources[field].kind == FieldKind::Number;
        feeds.push_back(feed);
    }
    return feeds;
}

double applyPostOperation(double value, const QString& label) {
    // The label says it: an operator, a blank, the power of ten.
    if (label.size() < 3 || label[1] != u' ')
        return value;
    bool ok = false;
    const double factor = label.sliced(2).toDouble(&ok);
    if (!ok || factor == 0)
        return value;
    if (label[0] == u':')
        return value / factor;
    if (label[0] == u'x')
        return value * factor;
    return value;
}

QString valueText(double value) {
    return QString::number(value, 'g', 12);
}

QString displayText(QByteArrayView line) {
    QString text;
    text.reserve(line.size());
    for (const char c : line) {
        if (c >= 0x20 && c <= 0x7E)
            text += QLatin1Char(c);
        else
            text += QStringLiteral("\\x") + QLatin1Char("0123456789ABCDEF"[static_cast<uchar>(c) >> 4]) +
                    QLatin1Char("0123456789ABCDEF"[static_cast<uchar>(c) & 15]);
    }
    return text;
}

Monitor::Monitor(const RuleTable& table, const QString& channel)
    : m_channel(channel), m_rules(rulesToFeed(table, channel)), m_bySentence(SentenceCount + 1) {
    for (size_t i = 0; i < m_rules.size(); ++i)
        m_bySentence[m_rules[i].sentenceIndex].push_back(static_cast<int>(i));
    setHistory(DefaultHistory);
}

void Monitor::feed(QByteArrayView bytes, qint64 now) {
    m_reader.feed(bytes, [this, now](const ReadLine& line) { onLine(line, now); });
}

void Monitor::feedMessage(QByteArrayView bytes, qint64 now) {
    const auto online = [this, now](const ReadLine& line) { onLine(line, now); };
    m_reader.feed(bytes, online);
    m_reader.endMessage(online);
}

void Monitor::finish(qint64 now) {
    m_reader.finish([this, now](const ReadLine& line) { onLine(line, now); });
}

void Monitor::cutOpenLine(qint64 now) {
    m_reader.cut([this, now](const ReadLine& line) { onLine(line, now); });
}

void Monitor::clear() {
    m_reader.clear();
    for (RuleFeed& rule : m_rules) {
        rule.hits = 0;
        rule.empty = 0;
        rule.last.clear();
        rule.value.reset();
        rule.lastAt = -1;
        rule.changedAt = -1;
    }
    m_addresses.clear();
    m_unusedOverflow = 0;
    setHistory(m_history);
    ++m_revision;
}

QMap<QString, qint64> Monitor::unused() const {
    QMap<QString, qint64> result;
    for (auto it = m_addresses.cbegin(); it != m_addresses.cend(); ++it) {
        if (it->unusedCount > 0)
            result.insert(QString::fromLatin1(it.key()), it->unusedCount);
    }
    return result;
}

QList<RecentLine> Monitor::recentLines() const {
    QList<RecentLine> lines;
    const qint64 kept = std::min<qint64>(m_linesKept, m_history);
    for (qint64 i = 0; i < kept; ++i)
        lines << m_lines[static_cast<int>((m_nextLine - kept + i + m_history) % m_history)];
    return lines;
}

void Monitor::setHistory(int lines) {
    m_history = std::max(0, lines);
    m_lines = QList<RecentLine>(m_history);
    m_nextLine = 0;
    m_linesKept = 0;
}

void Monitor::keepLine(const ReadLine& line) {
    if (m_history == 0)
        return;
    RecentLine& slot = m_lines[m_nextLine];
    // Reuses the slot's storage: no allocation per line once the ring has gone round.
    slot.text.resize(line.text.size());
    std::copy(line.text.begin(), line.text.end(), slot.text.data());
    slot.kind = line.kind;
    slot.truncated = line.truncated;
    m_nextLine = (m_nextLine + 1) % m_history;
    ++m_linesKept;
}

void Monitor::onLine(const ReadLine& line, qint64 now) {
    ++m_revision;
    keepLine(line);
    if (line.kind == LineKind::Sentence)
        onSentence(line.body, now);
}

Monitor::Address* Monitor::address(QByteArrayView name, Address& scratch) {
    const auto found = m_addresses.find(QByteArray::fromRawData(name.data(), name.size()));
    if (found != m_addresses.end())
        return &*found;
    scratch = Address{};
    scratch.sentence = catalogSentence(name);
    scratch.used = scratch.sentence > 0 && !m_bySentence[scratch.sentence].empty();
    if (m_addresses.size() >= MaxAddresses)
        return &scratch;
    return &*m_addresses.insert(name.toByteArray(), scratch);
}

void Monitor::onSentence(QByteArrayView body, qint64 now) {
    qsizetype comma = body.indexOf(',');
    const QByteArrayView name = comma < 0 ? body : body.first(comma);
    Address scratch;
    Address* known = address(name, scratch);
    if (!known->used) {
        if (known == &scratch)
            ++m_unusedOverflow;
        else
            ++known->unusedCount;
        return;
    }

    Fields fields;
    splitFields(body, fields);
    const SentenceLayout* layout = sentenceLayout(known->sentence);
    for (const int at : m_bySentence[known->sentence]) {
        RuleFeed& rule = m_rules[static_cast<size_t>(at)];
        if (rule.indexMissing)
            continue;
        QByteArrayView text;
        if (layout) {
            const FieldSource& source = layout->Sources[rule.fieldIndex];
            qsizetype column = source.column;
            if (source.base == ColumnBase::Group) {
                const qsizetype start = groupStart(layout->repeat, fields, *rule.index);
                if (start < 0)
                    continue; // the group lies in another sentence, or there are fewer
                column = start + source.column - 1;
            } else if (source.base == ColumnBase::AfterGroups) {
                // Four fields a satellite after the first three: one more is the signal ID.
                column = fields.size() >= 5 && (fields.size() - 4) % 4 == 1 ? fields.size() - 1 : -1;
            } else if (rule.index) {
                // The GSV sentence number with an Index: the Index-th sentence of the group.
                const std::optional<double> number = parseNumber(fields.value(2));
                if (!number || *number != *rule.index)
                    continue;
            }
            if (column >= 0 && column < fields.size())
                text = partOf(fields[column], source.part);
            if (text.isEmpty()) {
                // No value: the last one stays what the rule holds.
                ++rule.empty;
                continue;
            }
        }
        ++rule.hits;
        rule.lastAt = now;
        if (rule.last != QLatin1String(text.data(), text.size()) || rule.changedAt < 0) {
            rule.last = QString::fromLatin1(text);
            rule.changedAt = now;
            const std::optional<double> number = rule.numeric ? parseNumber(text) : std::nullopt;
            rule.value = number ? std::optional<double>(applyPostOperation(*number, rule.postOperation))
                                : std::nullopt;
        }
    }
}

namespace {

// Two rules receive the same values exactly when these agree; the rest (number, position, name)
// only says where the value goes.
bool readsAlike(const RuleFeed& a, const RuleFeed& b) {
    return a.channel == b.channel && a.sentenceIndex == b.sentenceIndex && a.fieldIndex == b.fieldIndex &&
           a.index == b.index && a.indexMissing == b.indexMissing && a.postOperation == b.postOperation;
}

} // namespace

void Monitor::setRules(const RuleTable& table) {
    std::vector<RuleFeed> fresh = rulesToFeed(table, m_channel);
    std::vector<bool> taken(m_rules.size(), false);
    for (RuleFeed& rule : fresh) {
        for (size_t old = 0; old < m_rules.size(); ++old) {
            if (taken[old] || !readsAlike(m_rules[old], rule))
                continue;
            taken[old] = true;
            // What it received stays; where it goes is the edited rule's.
            RuleFeed kept = m_rules[old];
            kept.rule = rule.rule;
            kept.sentence = rule.sentence;
            kept.field = rule.field;
            kept.mnemonic = rule.mnemonic;
            kept.position = rule.position;
            kept.size = rule.size;
            kept.decoded = rule.decoded;
            kept.numeric = rule.numeric;
            rule = std::move(kept);
            break;
        }
    }
    m_rules = std::move(fresh);
    for (std::vector<int>& positions : m_bySentence)
        positions.clear();
    for (size_t i = 0; i < m_rules.size(); ++i)
        m_bySentence[m_rules[i].sentenceIndex].push_back(static_cast<int>(i));
    // An address now feeding a rule is no longer unused; one no longer feeding any counts afresh.
    for (Address& known : m_addresses) {
        const bool used = known.sentence > 0 && !m_bySentence[known.sentence].empty();
        if (used != known.used)
            known.unusedCount = 0;
        known.used = used;
    }
    ++m_revision;
}

} // namespace Nmea
