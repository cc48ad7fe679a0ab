#include "core/nmea/NmeaMonitor.h"

#include "core/language/MessageCatalog.h"
#include "core/language/TextSlots.h"
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
// standard ones the formatter after a two-character talker ("GPGGA", "INHDT"), which talker then
// tells.
int catalogSentence(QByteArrayView address, bool& talker) {
    talker = false;
    const int whole = Find_Sentence(QLatin1Char('$') + QString::fromLatin1(address));
    if (whole > 0)
        return whole;
    if (address.size() == 5 && address[0] != 'P') {
        talker = true;
        return Find_Sentence(QString::fromLatin1(address.sliced(2)));
    }
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

// The text of catalog field field of a sentence split into fields, for a rule with index; nullopt
// when this sentence does not carry it (a group the Index selects lies in another sentence),
// an empty text when the sentence has the field empty or lacks it.
std::optional<QByteArrayView> fieldOf(const SentenceLayout& layout, int field, const Fields& fields,
                                      std::optional<int> index) {
    const FieldSource& source = layout.Sources[field];
    qsizetype column = source.column;
    if (source.base == ColumnBase::Group) {
        const qsizetype start = groupStart(layout.repeat, fields, *index);
        if (start < 0)
            return std::nullopt; // the group lies in another sentence, or there are fewer
        column = start + source.column - 1;
    } else if (source.base == ColumnBase::AfterGroups) {
        // Four fields a satellite after the first three: one more is the signal ID.
        column = fields.size() >= 5 && (fields.size() - 4) % 4 == 1 ? fields.size() - 1 : -1;
    } else if (index) {
        // The GSV sentence number with an Index: the Index-th sentence of the group.
        const std::optional<double> number = parseNumber(fields.value(2));
        if (!number || *number != *index)
            return std::nullopt;
    }
    if (column >= 0 && column < fields.size())
        return partOf(fields[column], source.part);
    return QByteArrayView();
}

// A field of a sentence whose text says the sentence's own data is not valid.
struct StatusCheck {
    const char* sentence;
    const char* field; // the catalog field text
    const char* invalid;
};

// The receiver's own word on its data: a status V (void), a GPS quality 0 (no fix), a mode
// indicator N (data not valid) or, for THS, V.
const StatusCheck kStatusChecks[] = {
    {"GGA", "GPS Quality indicator [decimal]", "0"},
    {"GLL", "Status [character]", "V"},
    {"GLL", "Mode Indicator [character]", "N"},
    {"RMC", "Status [character]", "V"},
    {"RMC", "Mode Indicator [character]", "N"},
    {"VTG", "Mode Indicator [character]", "N"},
    {"MWV", "status [character]", "V"},
    {"THS", "Heading, degrees True [character]", "V"},
};

// The field that gives a sentence's values their meaning, where it changes between sentences of
// the same formatter: MWV's reference (R relative, T true) and the transducer of an XDR group.
// VWR and VWT, HDG, HDT and VTG name their reference in the formatter or in fixed fields, so a rule
// of theirs cannot take two.
struct ReferenceField {
    const char* sentence;
    const char* field;
};
const ReferenceField kReferenceFields[] = {
    {"MWV", "reference [character]"},
    {"XDR", "Transducer ID [character string] (20 characters)"},
};

int catalogField(int sentence, const char* text) {
    return GetIndexDataField(sentence, upperAscii(QString::fromUtf8(text)));
}

// What the traps read of each sentence index, resolved from the catalog once.
struct TrapFields {
    struct Check {
        int field;
        QByteArrayView invalid;
    };
    std::vector<std::vector<Check>> status; // by sentence index
    std::vector<int> reference;             // by sentence index; -1 for none

    TrapFields() : status(SentenceCount + 1), reference(SentenceCount + 1, -1) {
        for (const StatusCheck& c : kStatusChecks) {
            const int sentence = Find_Sentence(QString::fromLatin1(c.sentence));
            status[sentence].push_back({catalogField(sentence, c.field), QByteArrayView(c.invalid)});
        }
        for (const ReferenceField& r : kReferenceFields) {
            const int sentence = Find_Sentence(QString::fromLatin1(r.sentence));
            reference[sentence] = catalogField(sentence, r.field);
        }
    }
};

const TrapFields& trapFields() {
    static const TrapFields fields;
    return fields;
}

// Adds text to a short list of names unless it is there or the list is full.
void keepName(QStringList& names, QByteArrayView text) {
    if (text.isEmpty() || names.size() >= RuleFeed::MaxKept)
        return;
    for (const QString& name : names) {
        if (name == QLatin1String(text.data(), text.size()))
            return;
    }
    names << QString::fromLatin1(text);
}

// The slot of a second in a ring of buckets slots; seconds before the epoch too.
size_t bucketOf(qint64 second, qint64 buckets) {
    return static_cast<size_t>((second % buckets + buckets) % buckets);
}

qint64 secondOf(qint64 ms) {
    return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
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

std::optional<double> fieldNumber(QByteArrayView text) {
    return parseNumber(text);
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
        rule.invalid = 0;
        rule.lastInvalid = false;
        rule.talkers.clear();
        rule.references.clear();
        rule.usualInterval = -1;
    }
    m_addresses.clear();
    m_unusedOverflow = 0;
    setHistory(m_history);
    ++m_revision;
}

QMap<QString, qint64> Monitor::unused() const {
    QMap<QString, qint64> result;
    for (auto it = m_addresses.cbegin(); it != m_addresses.cend(); ++it) {
        if (!it->used && it->count > 0)
            result.insert(QString::fromLatin1(it.key()), it->count);
    }
    return result;
}

QMap<QString, qint64> Monitor::used() const {
    QMap<QString, qint64> result;
    for (auto it = m_addresses.cbegin(); it != m_addresses.cend(); ++it) {
        if (it->used && it->count > 0)
            result.insert(QString::fromLatin1(it.key()), it->count);
    }
    return result;
}

void Monitor::countRate(Address& address, qint64 now) {
    const qint64 second = secondOf(now);
    if (address.count == 0) {
        address.firstSecond = second;
        address.lastSecond = second;
    }
    if (second > address.lastSecond) {
        // The seconds passed without a sentence start empty.
        for (qint64 s = address.lastSecond + 1; s <= second && s <= address.lastSecond + Address::RateBuckets;
             ++s)
            address.perSecond[bucketOf(s, Address::RateBuckets)] = 0;
        address.lastSecond = second;
    }
    // A clock that went back counts in the newest second.
    ++address.perSecond[bucketOf(address.lastSecond, Address::RateBuckets)];
    ++address.count;
}

double Monitor::rate(const QString& name, qint64 now) const {
    const auto found = m_addresses.constFind(name.toLatin1());
    if (found == m_addresses.cend() || found->count == 0)
        return 0;
    const Address& a = *found;
    const qint64 nowSecond = std::max(secondOf(now), a.lastSecond);
    // Whole seconds only, so that the second under way does not pull the rate down; the first
    // second alone while there is no other.
    const qint64 from =
        nowSecond > a.firstSecond ? std::max(a.firstSecond, nowSecond - RateSeconds) : nowSecond;
    const qint64 to = nowSecond > a.firstSecond ? nowSecond - 1 : nowSecond;
    qint64 sentences = 0;
    for (qint64 s = std::max(from, a.lastSecond - Address::RateBuckets + 1); s <= std::min(to, a.lastSecond);
         ++s)
        sentences += a.perSecond[bucketOf(s, Address::RateBuckets)];
    return static_cast<double>(sentences) / static_cast<double>(to - from + 1);
}

QList<MonitorFinding> Monitor::findings(qint64 now, const MessageCatalog& texts) const {
    namespace Slot = TextSlot::MonitorFindings;
    QList<MonitorFinding> found;
    for (const RuleFeed& rule : m_rules) {
        const QString number = QString::number(rule.rule);
        if (rule.talkers.size() > 1)
            found.append(
                {rule.rule, QString::fromLatin1(FindingKind::MixedTalkers),
                 texts.text(Slot::MixedTalkers).arg(number, rule.talkers.join(QStringLiteral(", ")))});
        if (rule.references.size() > 1)
            found.append({rule.rule, QString::fromLatin1(FindingKind::MixedReference),
                          texts.text(Slot::MixedReference)
                              .arg(number, rule.sentence, rule.references.join(QStringLiteral(", ")))});
        const qint64 reached = rule.hits + rule.empty;
        if (rule.invalid > 0 && reached > 0) {
            const qint64 percent = std::max<qint64>(1, (rule.invalid * 100 + reached / 2) / reached);
            found.append(
                {rule.rule, QString::fromLatin1(FindingKind::InvalidStatus),
                 texts.text(Slot::InvalidStatus)
                     .arg(number, QString::number(percent), QString::number(reached), rule.sentence)});
        }
        if (rule.hits > 0 && rule.lastAt >= 0) {
            const qint64 limit = std::max(StaleFactor * rule.usualInterval, StaleAfterMs);
            if (now - rule.lastAt > limit)
                found.append(
                    {rule.rule, QString::fromLatin1(FindingKind::Stale),
                     texts.text(Slot::Stale).arg(number, QString::number((now - rule.lastAt) / 1000))});
        }
    }
    return found;
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

void Monitor::keepLine(const ReadLine& line, qint64 now) {
    if (m_history == 0)
        return;
    RecentLine& slot = m_lines[m_nextLine];
    // Reuses the slot's storage: no allocation per line once the ring has gone round.
    slot.text.resize(line.text.size());
    std::copy(line.text.begin(), line.text.end(), slot.text.data());
    slot.kind = line.kind;
    slot.fault = line.fault;
    slot.truncated = line.truncated;
    slot.at = now;
    m_nextLine = (m_nextLine + 1) % m_history;
    ++m_linesKept;
}

void Monitor::onLine(const ReadLine& line, qint64 now) {
    ++m_revision;
    keepLine(line, now);
    if (line.kind == LineKind::Sentence)
        onSentence(line.body, now);
}

Monitor::Address* Monitor::address(QByteArrayView name, Address& scratch) {
    const auto found = m_addresses.find(QByteArray::fromRawData(name.data(), name.size()));
    if (found != m_addresses.end())
        return &*found;
    scratch = Address{};
    scratch.sentence = catalogSentence(name, scratch.talker);
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
    if (known == &scratch) {
        if (!known->used)
            ++m_unusedOverflow;
    } else {
        countRate(*known, now);
    }
    if (!known->used)
        return;

    Fields fields;
    splitFields(body, fields);
    const SentenceLayout* layout = sentenceLayout(known->sentence);
    const QByteArrayView talker = known->talker ? name.first(2) : QByteArrayView();
    const TrapFields& traps = trapFields();
    bool invalid = false;
    if (layout) {
        for (const TrapFields::Check& check : traps.status[known->sentence])
            invalid |= fieldOf(*layout, check.field, fields, std::nullopt).value_or(QByteArrayView()) ==
                       check.invalid;
    }
    const int referenceField = traps.reference[known->sentence];

    for (const int at : m_bySentence[known->sentence]) {
        RuleFeed& rule = m_rules[static_cast<size_t>(at)];
        if (rule.indexMissing)
            continue;
        QByteArrayView text;
        if (layout) {
            const std::optional<QByteArrayView> taken = fieldOf(*layout, rule.fieldIndex, fields, rule.index);
            if (!taken)
                continue;
            text = *taken;
            keepName(rule.talkers, talker);
            if (referenceField >= 0)
                keepName(rule.references,
                         fieldOf(*layout, referenceField, fields, rule.index).value_or(QByteArrayView()));
            if (invalid)
                ++rule.invalid;
            if (text.isEmpty()) {
                // No value: the last one stays what the rule holds.
                ++rule.empty;
                continue;
            }
        } else {
            keepName(rule.talkers, talker);
        }
        if (rule.lastAt >= 0) {
            // Smoothed, so that one long gap or a burst moves it only a little.
            const qint64 interval = std::max<qint64>(0, now - rule.lastAt);
            rule.usualInterval =
                rule.usualInterval < 0 ? interval : rule.usualInterval + (interval - rule.usualInterval) / 8;
        }
        ++rule.hits;
        rule.lastAt = now;
        rule.lastInvalid = invalid;
        if (rule.last != QLatin1String(text.data(), text.size()) || rule.changedAt < 0) {
            rule.last = QString::fromLatin1(text);
            rule.changedAt = now;
            const std::optional<double> number = rule.numeric ? parseNumber(text) : std::nullopt;
            rule.value = number ? std::optional<double>(applyPostOperation(*number, rule.postOperation))
                                : std::nullopt;
        }
    }
}

QString lineFaultName(LineFault fault) {
    switch (fault) {
    case LineFault::None:
        return {};
    case LineFault::Checksum:
        return QStringLiteral("checksum");
    case LineFault::Cut:
        return QStringLiteral("cut");
    case LineFault::TooLong:
        return QStringLiteral("too long");
    case LineFault::NotPrintable:
        return QStringLiteral("not printable");
    case LineFault::NoAddress:
        return QStringLiteral("no address");
    }
    return {};
}

bool looksLikeWrongBaud(const ReaderCounts& counts, qint64 listenedMs) {
    return listenedMs >= WrongBaudAfterMs && counts.sentences == 0 &&
           counts.checksumErrors + counts.badLines > 0;
}

MonitorFinding wrongBaudFinding(qint64 listenedMs, const MessageCatalog& texts) {
    return {0, QString::fromLatin1(FindingKind::WrongBaud),
            texts.text(TextSlot::MonitorFindings::WrongBaud).arg(listenedMs / 1000)};
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
            known.count = 0;
        known.used = used;
    }
    ++m_revision;
}

} // namespace Nmea
