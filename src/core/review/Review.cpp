#include "core/review/Review.h"

#include "core/comm/ParGen.h"
#include "core/comm/SerialLine.h"
#include "core/language/MessageCatalog.h"
#include "core/language/TextSlots.h"
#include "core/nmea/NmeaCatalog.h"
#include "core/review/PlcTypes.h"
#include "core/util/TextRules.h"

#include <QDir>

#include <algorithm>
#include <charconv>
#include <initializer_list>
#include <iterator>
#include <numeric>
#include <utility>

namespace Review {

namespace {

using namespace BankLayout;
namespace Text = TextSlot::ReviewMessages;

QString quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

void appendNumber(QString& message, qint64 number) {
    char digits[24];
    const auto end = std::to_chars(std::begin(digits), std::end(digits), number).ptr;
    message += QLatin1StringView(digits, end - digits);
}

// The bytes from first to last, named as "byte 7" or "bytes 7 to 10" in the catalog's words.
struct Bytes {
    Bytes(const MessageCatalog& texts, int first, int last)
        : first(first), last(last), pattern(texts.text(first == last ? Text::Byte : Text::Bytes)) {}
    int first;
    int last;
    QString pattern;
};

// One value put into a message: a number, a text or a range of bytes.
class Arg {
public:
    Arg(qint64 number) : m_number(number) {}
    Arg(const QString& text) : m_text(text), m_kind(Kind::Text) {}
    Arg(const Bytes& bytes)
        : m_number(bytes.first), m_last(bytes.last), m_text(bytes.pattern), m_kind(Kind::Bytes) {}

    void appendTo(QString& message) const {
        switch (m_kind) {
        case Kind::Number:
            appendNumber(message, m_number);
            break;
        case Kind::Text:
            message += m_text;
            break;
        case Kind::Bytes:
            appendBytes(message);
            break;
        }
    }

private:
    void appendBytes(QString& message) const;

    enum class Kind { Number, Text, Bytes };
    qint64 m_number = 0;
    qint64 m_last = 0;
    QStringView m_text;
    Kind m_kind = Kind::Number;
};

void appendFilled(QString& message, QStringView pattern, std::initializer_list<Arg> args);

void Arg::appendBytes(QString& message) const {
    appendFilled(message, m_text, {m_number, m_last});
}

// Appends pattern with %1 to %9 replaced by args. The review runs on every edit in the rules
// window and most rules bring a finding, so each message is written in one pass into one string
// rather than through a chain of arg() calls, each of which copies the whole text again.
void appendFilled(QString& message, QStringView pattern, std::initializer_list<Arg> args) {
    const QChar* const begin = pattern.begin();
    const QChar* const end = pattern.end();
    const QChar* from = begin;
    for (const QChar* at = std::find(begin, end, u'%'); at != end && at + 1 != end;
         at = std::find(at + 1, end, u'%')) {
        const int n = at[1].unicode() - '0';
        if (n < 1 || n > int(args.size()))
            continue;
        message.append(from, at - from);
        args.begin()[n - 1].appendTo(message);
        from = at + 2;
    }
    message.append(from, end - from);
}

// The catalog's text of slot filled with args.
QString filled(const MessageCatalog& texts, int slot, std::initializer_list<Arg> args) {
    const QString pattern = texts.text(slot);
    QString message;
    message.reserve(pattern.size() + 24 * qsizetype(args.size()));
    appendFilled(message, pattern, args);
    return message;
}

Finding finding(Severity severity, Kind kind, QList<int> rules, Reason reason, QString message) {
    return Finding{severity, kind, std::move(rules), reason, std::move(message), -1, -1};
}

Reason leftOutReason(RuleRejection rejection) {
    switch (rejection) {
    case RuleRejection::Enable:
        return Reason::Enable;
    case RuleRejection::Channel:
        return Reason::Channel;
    case RuleRejection::PortDisabled:
        return Reason::PortDisabled;
    case RuleRejection::Sentence:
        return Reason::Sentence;
    case RuleRejection::Unsupported:
        return Reason::Unsupported;
    case RuleRejection::Field:
        return Reason::Field;
    }
    return Reason::None;
}

QString leftOutMessage(const MessageCatalog& texts, int rule, Reason reason,
                       const Nmea::RuleAttributes& stored) {
    const QString intro = texts.text(Text::LeftOut);
    QString message;
    message.reserve(200);
    appendFilled(message, intro, {rule});
    const auto add = [&](int slot, std::initializer_list<Arg> args) {
        const QString pattern = texts.text(slot);
        appendFilled(message, pattern, args);
    };
    switch (reason) {
    case Reason::Enable:
        add(Text::LeftOutEnable,
            {stored.Enable.isEmpty() ? texts.text(Text::EnableMissing) : quoted(stored.Enable)});
        break;
    case Reason::Channel:
        if (trimText(stored.Serial_Channel).isEmpty())
            add(Text::LeftOutNoChannel, {});
        else
            add(Text::LeftOutChannel, {stored.Serial_Channel});
        break;
    case Reason::PortDisabled:
        add(Text::LeftOutPortDisabled, {trimText(stored.Serial_Channel)});
        break;
    case Reason::Sentence:
        add(Text::LeftOutSentence, {trimText(stored.Sentence)});
        break;
    case Reason::Unsupported:
        add(Text::LeftOutUnsupported, {upperAscii(trimText(stored.Sentence))});
        break;
    case Reason::Field:
        add(Text::LeftOutField, {trimText(stored.DataField), upperAscii(trimText(stored.Sentence))});
        break;
    default:
        break;
    }
    return message;
}

// The titles of the swap columns in swaps, which holds at least one of the two bits.
QString swapNames(const MessageCatalog& texts, quint8 swaps) {
    const QString all = texts.text(TextSlot::NmeaAccess::SwapAllHeader);
    const QString word = texts.text(TextSlot::NmeaAccess::Swap16Header);
    if (swaps == (SwapAllBit | Swap16Bit))
        return filled(texts, Text::BothSwaps, {all, word});
    return swaps & SwapAllBit ? all : word;
}

void storedDiffers(const MessageCatalog& texts, const CompiledRule& c, const RuleDecision& decision,
                   const Nmea::RuleAttributes& stored, QList<Finding>& findings) {
    const auto add = [&](Reason reason, const QString& message) {
        findings << finding(Severity::Warning, Kind::StoredDiffers, {c.rule}, reason, message);
    };
    if (decision.postOperationUnknown)
        add(Reason::PostOperation,
            filled(texts, Text::StoredPostOperation, {c.rule, quoted(trimText(stored.PortOperation))}));
    if (decision.indexNotByte)
        add(Reason::Index,
            filled(texts, Text::StoredIndex, {c.rule, quoted(trimText(stored.Index)), c.record.index}));
    if (decision.positionNotWord)
        add(Reason::Position, filled(texts, Text::StoredPosition,
                                     {c.rule, quoted(trimText(stored.Position)), c.record.position}));
}

// Findings about the bytes of the compiled rules, each on its own and in pairs.
void layoutFindings(const MessageCatalog& texts, const Result& result, QList<Finding>& findings) {
    // The output array carries the data array to the PLC; the input array carries the PLC's data
    // the other way and shows nothing of the rules.
    const quint32 reach = result.outputBytes;
    for (const CompiledRule& c : result.compiled) {
        if (c.endByte() > Nmea::DataArraySize)
            findings << finding(Severity::Error, Kind::BeyondDataArray, {c.rule}, Reason::None,
                                filled(texts, Text::BeyondDataArray,
                                       {c.rule, Bytes{texts, c.firstByte(), c.lastByte()},
                                        Nmea::DataArraySize, Nmea::DataArraySize - c.size}));
        if (static_cast<quint32>(c.endByte()) > reach) {
            // Where the rule is wider than the whole array, no Position helps.
            const bool fits = reach >= quint32(c.size);
            findings << finding(Severity::Error, Kind::Unreachable, {c.rule}, Reason::None,
                                filled(texts, fits ? Text::Unreachable : Text::UnreachableArrayTooSmall,
                                       {c.rule, Bytes{texts, c.firstByte(), c.lastByte()}, reach,
                                        fits ? qint64(reach - c.size) : 0}));
        }
        const quint8 swaps = c.record.swaps;
        const quint8 useless = swapsWithoutEffect(swaps, c.size);
        if (useless)
            findings << finding(
                Severity::Note, Kind::SwapNoEffect, {c.rule}, Reason::None,
                filled(texts, Text::SwapNoEffect, {c.rule, swapNames(texts, useless), c.size}));
    }
    // Pairs are found by sorting rather than by trying every pair, so that a long document costs
    // in proportion to its rules and to the pairs found.
    const QList<CompiledRule>& compiled = result.compiled;
    // Index order breaks ties, so each sort keeps rules of the same key in rule order.
    QList<qsizetype> byStart(compiled.size());
    std::iota(byStart.begin(), byStart.end(), 0);
    std::sort(byStart.begin(), byStart.end(), [&compiled](qsizetype a, qsizetype b) {
        return std::pair(compiled[a].firstByte(), a) < std::pair(compiled[b].firstByte(), b);
    });
    QList<qsizetype> open; // rules whose bytes may still reach the next rule's first byte
    open.reserve(compiled.size());
    for (const qsizetype k : byStart) {
        const CompiledRule& c = compiled[k];
        open.removeIf([&](qsizetype o) { return compiled[o].endByte() <= c.firstByte(); });
        for (const qsizetype o : open) {
            const CompiledRule& a = compiled[std::min(o, k)];
            const CompiledRule& b = compiled[std::max(o, k)];
            const int first = std::max(a.firstByte(), b.firstByte());
            const int end = std::min(a.endByte(), b.endByte());
            if (first >= end)
                continue;
            Finding overlap =
                finding(Severity::Error, Kind::Overlap, {a.rule, b.rule}, Reason::None,
                        filled(texts, Text::Overlap, {a.rule, b.rule, Bytes{texts, first, end - 1}}));
            overlap.firstByte = first;
            overlap.lastByte = end - 1;
            findings << overlap;
        }
        if (c.size > 0)
            open << k;
    }

    // Rules reading the same channel, sentence, field and Index are neighbours once sorted so.
    const auto source = [&compiled](qsizetype k) {
        const RuleRecord& x = compiled[k].record;
        return quint64(x.channel) << 40 | quint64(x.sentence) << 24 | quint64(x.field) << 8 | x.index;
    };
    QList<qsizetype>& bySource = byStart;
    std::iota(bySource.begin(), bySource.end(), 0);
    std::sort(bySource.begin(), bySource.end(), [&source](qsizetype a, qsizetype b) {
        return std::pair(source(a), a) < std::pair(source(b), b);
    });
    for (qsizetype begin = 0, end = 0; begin < bySource.size(); begin = end) {
        end = begin + 1;
        while (end < bySource.size() && source(bySource[end]) == source(bySource[begin]))
            ++end;
        for (qsizetype i = begin; i < end; ++i) {
            for (qsizetype j = i + 1; j < end; ++j) {
                const CompiledRule& a = compiled[bySource[i]];
                const CompiledRule& b = compiled[bySource[j]];
                const RuleRecord& x = a.record;
                findings << finding(
                    Severity::Note, Kind::Duplicate, {a.rule, b.rule}, Reason::None,
                    filled(texts, x.index ? Text::DuplicateIndex : Text::Duplicate,
                           {a.rule, b.rule, Nmea::sentenceName(x.sentence),
                            Nmea::fieldText(x.sentence, x.field), serialChannelName(x.channel), x.index}));
            }
        }
    }
}

// The address, mask and gateway as the device gets them.
void networkFindings(const MessageCatalog& texts, const BankImage& parameters, QList<Finding>& findings) {
    const quint32 ip = parameters.addressAt(IpAddress);
    const quint32 mask = parameters.addressAt(SubnetMask);
    const quint32 gateway = parameters.addressAt(Gateway);
    // Ones from the top, then zeros: inverting gives zeros then ones, which plus one is a power of two.
    const quint32 hostBits = ~mask;
    const bool contiguous = (hostBits & (hostBits + 1)) == 0;
    const auto add = [&](Severity severity, Kind kind, QString message) {
        findings << finding(severity, kind, {}, Reason::None, std::move(message));
    };
    if (!contiguous)
        add(Severity::Error, Kind::MaskNotContiguous,
            filled(texts, Text::MaskNotContiguous, {dottedAddress(mask)}));
    if (ip == 0) {
        add(Severity::Error, Kind::AddressNotHost, texts.text(Text::AddressZero));
    } else if (contiguous && hostBits > 1) {
        // Subnets of one or two addresses have no network or broadcast address to avoid.
        const bool network = (ip & hostBits) == 0;
        const bool broadcast = (ip & hostBits) == hostBits;
        if (network || broadcast)
            add(Severity::Error, Kind::AddressNotHost,
                filled(texts, network ? Text::AddressNetwork : Text::AddressBroadcast,
                       {dottedAddress(ip), dottedAddress(mask)}));
    }
    // The compiler writes 255.255.255.255 for a gateway that is switched off.
    if (gateway != 0xFFFFFFFF && (gateway & mask) != (ip & mask))
        add(Severity::Warning, Kind::GatewayOutsideSubnet,
            filled(texts, Text::GatewayOutsideSubnet,
                   {dottedAddress(gateway), dottedAddress(ip), dottedAddress(mask)}));
}

} // namespace

bool Result::hasErrorOrWarning() const {
    return std::any_of(findings.begin(), findings.end(),
                       [](const Finding& f) { return f.severity != Severity::Note; });
}

int Result::count(Severity severity) const {
    return static_cast<int>(std::count_if(findings.begin(), findings.end(),
                                          [severity](const Finding& f) { return f.severity == severity; }));
}

RuleReview::RuleReview(const BankImage& parameters, const MessageCatalog& texts)
    : m_parameters(parameters), m_texts(texts) {
    m_result.inputBytes = parameters.u32(NbInput);
    m_result.outputBytes = parameters.u32(NbOutput);
}

void RuleReview::reserve(int rules) {
    m_result.compiled.reserve(rules);
}

void RuleReview::checkRow(int row, const Nmea::AccessRule& shown) {
    // The check's own words, as the rules window shows them.
    if (std::optional<QString> message = Nmea::rowRefusal(row, shown, m_texts)) {
        m_refused.set(row - 1);
        m_findings << finding(Severity::Error, Kind::Incomplete, {row}, Reason::None, std::move(*message));
    }
}

void RuleReview::rowsNotSaved(const Nmea::RuleTable& shown) {
    const int endingRow = Nmea::savedRowCount(shown) + 1;
    for (int row = endingRow + 1; row <= Nmea::RuleRows; ++row) {
        if (Nmea::holdsText(shown[row - 1]))
            m_findings << finding(Severity::Warning, Kind::NotSaved, {row}, Reason::None,
                                  filled(m_texts, Text::NotSaved, {row, endingRow}));
    }
}

void RuleReview::add(const Nmea::RuleAttributes& stored) {
    const int number = ++m_rules;
    const RuleDecision decision = compileRule(stored, m_parameters.u8(SerialEnable));
    if (!decision.record) {
        // Only what the rules window shows as a ticked rule with a sentence surprises anyone, and a
        // rule its data check refuses is told once, as incomplete.
        const bool refused = number <= Nmea::RuleRows && m_refused.test(number - 1);
        if (!refused && stored.Enable != u"N" && !trimText(stored.Sentence).isEmpty()) {
            const Reason reason = leftOutReason(decision.rejection);
            m_findings << finding(Severity::Error, Kind::LeftOut, {number}, reason,
                                  leftOutMessage(m_texts, number, reason, stored));
        }
        return;
    }
    const CompiledRule compiled{number, *decision.record,
                                Nmea::fieldSize(decision.record->sentence, decision.record->field),
                                stored.Mnemonic};
    m_result.compiled << compiled;
    storedDiffers(m_texts, compiled, decision, stored, m_findings);
}

Result RuleReview::finish() {
    Result result = std::move(m_result);
    if (result.compiled.size() <= MaxRules) {
        // The checksum covers the parameter block and the rule count, not the records.
        BankImage image = m_parameters;
        image.setU32(RuleCount, quint32(result.compiled.size()));
        result.imageChecksum = image.computeChecksum();
    }
    QList<Finding> findings = std::move(m_findings);
    layoutFindings(m_texts, result, findings);
    networkFindings(m_texts, m_parameters, findings);
    // Their places are sorted rather than the findings themselves, which then move only once;
    // the place breaks ties, so findings that compare equal keep the order they were made in.
    QList<qsizetype> order(findings.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&findings](qsizetype i, qsizetype j) {
        const Finding& a = findings[i];
        const Finding& b = findings[j];
        if (a.severity != b.severity)
            return a.severity < b.severity;
        if (a.kind != b.kind)
            return a.kind < b.kind;
        if (a.rules != b.rules)
            return a.rules < b.rules;
        return i < j;
    });
    result.findings.reserve(findings.size());
    for (const qsizetype i : order)
        result.findings << std::move(findings[i]);
    return result;
}

Result reviewRules(const QList<Nmea::RuleAttributes>& rules, const BankImage& parameters,
                   const MessageCatalog& texts) {
    RuleReview review(parameters, texts);
    for (const Nmea::RuleAttributes& stored : rules)
        review.add(stored);
    return review.finish();
}

Result reviewDocuments(const QString& File_ParGen, const QString& File_NMEA_Access,
                       const MessageCatalog& texts) {
    BankImage parameters;
    CompileError error;
    if (!compileParameterDocument(File_ParGen, parameters, &error)) {
        Result result;
        result.error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(error.file), error.message);
        return result;
    }
    // Each rule is decided as it is read: the document's rows are never held, but for the hundred
    // the rules window would show.
    RuleReview review(parameters, texts);
    Nmea::RuleTable shown{};
    int rows = 0;
    const auto visit = [&](const XmlRootReader& element) {
        if (rows < Nmea::RuleRows) {
            shown[rows] = Nmea::loadedRule(element);
            review.checkRow(rows + 1, shown[rows]);
        }
        ++rows;
        review.add(Nmea::attributesOf(element));
    };
    if (!readRuleElements(File_NMEA_Access, visit, &error)) {
        Result result;
        result.error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(error.file), error.message);
        return result;
    }
    review.rowsNotSaved(shown);
    return review.finish();
}

Result reviewTable(const Nmea::RuleTable& table, const BankImage& parameters, const MessageCatalog& texts) {
    RuleReview review(parameters, texts);
    // The data check at OK looks at every row, saved or not.
    for (int row = 1; row <= Nmea::RuleRows; ++row)
        review.checkRow(row, table[row - 1]);
    const int saved = Nmea::savedRowCount(table);
    review.reserve(saved);
    for (int row = 0; row < saved; ++row)
        review.add(Nmea::storedAttributes(table[row]));
    review.rowsNotSaved(table);
    return review.finish();
}

Result reviewTable(const Nmea::RuleTable& table, const ParGenSet& parameters, const MessageCatalog& texts) {
    return reviewTable(table, compileParameterSet(parameters), texts);
}

QString limitedHint(const QStringList& lines, qsizetype total, const QString& moreText) {
    if (total <= HintLines)
        return lines.join(u'\n');
    return (lines.first(HintLines - 1) << moreText.arg(total - (HintLines - 1))).join(u'\n');
}

QString severityName(Severity severity) {
    switch (severity) {
    case Severity::Error:
        return QStringLiteral("error");
    case Severity::Warning:
        return QStringLiteral("warning");
    case Severity::Note:
        return QStringLiteral("note");
    }
    return {};
}

QString kindName(Kind kind) {
    switch (kind) {
    case Kind::LeftOut:
        return QStringLiteral("left-out");
    case Kind::Incomplete:
        return QStringLiteral("incomplete");
    case Kind::Overlap:
        return QStringLiteral("overlap");
    case Kind::BeyondDataArray:
        return QStringLiteral("beyond-data-array");
    case Kind::Unreachable:
        return QStringLiteral("unreachable");
    case Kind::StoredDiffers:
        return QStringLiteral("stored-differs");
    case Kind::NotSaved:
        return QStringLiteral("not-saved");
    case Kind::Duplicate:
        return QStringLiteral("duplicate");
    case Kind::SwapNoEffect:
        return QStringLiteral("swap-no-effect");
    case Kind::MaskNotContiguous:
        return QStringLiteral("mask-not-contiguous");
    case Kind::AddressNotHost:
        return QStringLiteral("address-not-host");
    case Kind::GatewayOutsideSubnet:
        return QStringLiteral("gateway-outside-subnet");
    }
    return {};
}

QString reasonName(Reason reason) {
    switch (reason) {
    case Reason::None:
        return {};
    case Reason::Enable:
        return QStringLiteral("enable");
    case Reason::Channel:
        return QStringLiteral("channel");
    case Reason::PortDisabled:
        return QStringLiteral("port-disabled");
    case Reason::Sentence:
        return QStringLiteral("sentence");
    case Reason::Unsupported:
        return QStringLiteral("unsupported");
    case Reason::Field:
        return QStringLiteral("field");
    case Reason::PostOperation:
        return QStringLiteral("post-operation");
    case Reason::Index:
        return QStringLiteral("index");
    case Reason::Position:
        return QStringLiteral("position");
    }
    return {};
}

QMap<int, RuleFlag> flagsByRule(const QList<Finding>& findings) {
    QMap<int, RuleFlag> flags;
    for (const Finding& f : findings) {
        for (int rule : f.rules) {
            const bool fresh = !flags.contains(rule);
            RuleFlag& flag = flags[rule];
            if (fresh || f.severity < flag.severity)
                flag.severity = f.severity;
            flag.messages << f.message;
        }
    }
    return flags;
}

} // namespace Review
