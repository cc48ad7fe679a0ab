#pragma once

#include "core/nmea/AccessRules.h"
#include "core/nmea/SentenceReader.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

class MessageCatalog;

// Listens to an NMEA 0183 stream as the converter would and keeps, for every rule of one serial
// channel, what that rule would receive. Fed bytes in any chunks; nothing here waits or reads by
// itself, so the same object serves a log replay, a serial port and a socket.
namespace Nmea {

// One rule as the monitor feeds it, and what it has received so far.
struct RuleFeed {
    int rule = 0; // 1..100
    QString channel;
    QString sentence;      // catalog name, e.g. "GGA" or "$PJELA"
    QString field;         // catalog field text
    QString postOperation; // the label, "None" when none
    QString mnemonic;
    int sentenceIndex = 0;     // 1..58
    int fieldIndex = 0;        // 0-based
    std::optional<int> index;  // the Index the converter reads for this field, when it reads one
    bool indexMissing = false; // the field needs an Index and the rule has none in range: never fed
    int position = 0;          // the bytes the value takes in the converter's data array:
    int size = 0;              // position .. position + size - 1
    bool decoded = false;      // false: the sentence is matched and counted, its fields not decoded
    bool numeric = false;      // the field is a number: value is set from last

    qint64 hits = 0;             // sentences that delivered this rule a value (any sentence when not decoded)
    qint64 empty = 0;            // sentences that reached this rule with the field empty
    QString last;                // the text taken from the last of them
    std::optional<double> value; // last after the post operation; none when empty or not a number
    qint64 lastAt = -1;          // the time passed to feed() with the last value; -1 before any
    qint64 changedAt = -1;       // the time last first differed from the text before it

    // What the traps are judged on. Each list keeps at most MaxKept entries, in the order first met.
    static constexpr int MaxKept = 4;
    qint64 invalid = 0;        // sentences that reached the rule saying their own data is not valid
    bool lastInvalid = false;  // the last value came from such a sentence: shown, but marked
    QStringList talkers;       // the talkers ("GP", "GL") of the sentences that reached the rule
    QStringList references;    // the references (MWV "R"/"T", an XDR transducer) of those sentences
    qint64 usualInterval = -1; // milliseconds between values, smoothed; -1 before a second value

    bool operator==(const RuleFeed&) const = default;
};

struct RecentLine {
    QByteArray text; // as received, up to SentenceReader::MaxLine bytes
    LineKind kind = LineKind::Sentence;
    LineFault fault = LineFault::None; // why a bad line or a checksum failure was not taken
    bool truncated = false;            // the line was longer than text
    qint64 at = -1;                    // the time passed to feed() or feedMessage() with it

    bool operator==(const RecentLine&) const = default;
};

// The name of a line's fault as the report writes it: "checksum", "cut", "too long", "not printable",
// "no address"; empty for a sentence. The window shows a catalog text in its place.
QString lineFaultName(LineFault fault);

// What the monitor finds wrong with the values a rule receives, though every sentence is good.
namespace FindingKind {
// A rule fed by sentences of more than one talker: the converter matches the formatter alone.
inline constexpr char MixedTalkers[] = "mixed-talkers";
// A rule fed by sentences whose reference field gives its values different meanings.
inline constexpr char MixedReference[] = "mixed-reference";
// Sentences whose own status says their data is not valid.
inline constexpr char InvalidStatus[] = "invalid-status";
// A rule that had values and has had none for much longer than its usual interval.
inline constexpr char Stale[] = "stale";
// A serial source that reads only bad lines: a finding of the source, not of a rule (rule 0).
inline constexpr char WrongBaud[] = "wrong-baud?";
// A value its field's type cannot hold in the Output array (Review::OutputArray decides it).
inline constexpr char Overflow[] = "overflow";
} // namespace FindingKind

struct MonitorFinding {
    int rule = 0; // 1..100; 0 for a finding of the source
    QString kind; // one of FindingKind
    QString message;

    bool operator==(const MonitorFinding&) const = default;
};

// A rule is stale after StaleFactor times its usual interval without a value, and never sooner
// than StaleAfterMs.
inline constexpr int StaleFactor = 3;
inline constexpr qint64 StaleAfterMs = 5000;

// A serial source whose line is read at the wrong rate gives bad lines and no sentence: after
// WrongBaudAfterMs of listening, bad lines and no good sentence suggest the baud rate.
inline constexpr qint64 WrongBaudAfterMs = 2000;
bool looksLikeWrongBaud(const ReaderCounts& counts, qint64 listenedMs);
// The wrong-baud finding, its message from texts.
MonitorFinding wrongBaudFinding(qint64 listenedMs, const MessageCatalog& texts);

// The channel a text names, as the rules store it: "RS232", "RS485 / RS422" (also written
// "RS485 1") or "RS485 2", in any case and with blanks around; empty for anything else.
QString channelNamed(const QString& text);

// The rules of channel fed in table order: ticked, naming a supported sentence and one of its
// fields. An empty channel takes the rules of every channel. "RS485 1" stands for "RS485 / RS422".
std::vector<RuleFeed> rulesToFeed(const RuleTable& table, const QString& channel = {});

// The value of a number after a post-operation label: ": 10" divides by 10, "x 10" multiplies;
// "None" and unknown labels leave it.
double applyPostOperation(double value, const QString& label);

// A field's text as a number, as the monitor reads it: an optional "+" or "-", digits, a point;
// nothing for an empty text or any other.
std::optional<double> fieldNumber(QByteArrayView text);

// A value as the monitor window and replay show it: at most 12 significant digits, so that the
// binary rest of a post operation (4.35 x 100 = 434.99999999999994) does not show.
QString valueText(double value);

// A received line as printable text: bytes outside printable ASCII as "\xHH".
QString displayText(QByteArrayView line);

class Monitor {
public:
    static constexpr int DefaultHistory = 200;
    // Distinct addresses remembered; sentences of further addresses feed rules as usual but their
    // unused counts go into unusedOverflow(), so that noise cannot grow the table without end.
    static constexpr int MaxAddresses = 1000;

    explicit Monitor(const RuleTable& table, const QString& channel = {});
    // Takes the rules as edited: a rule that reads as before keeps what it has received, a new or
    // changed one starts afresh; the counts, the addresses and the last lines stay.
    void setRules(const RuleTable& table);

    // Reads bytes; now is the caller's clock (for example milliseconds since the epoch), stored
    // with each value.
    void feed(QByteArrayView bytes, qint64 now = 0);
    // Reads a whole message, a datagram: its end ends the line still open, as a line end would.
    void feedMessage(QByteArrayView bytes, qint64 now = 0);
    // Ends the line still open at the end of a log: it feeds only when its checksum holds.
    void finish(qint64 now = 0);
    // Ends the line still open as a cut line: what follows comes over another connection or from
    // another source and must not complete it.
    void cutOpenLine(qint64 now = 0);
    // Forgets everything received; the rules stay.
    void clear();

    const std::vector<RuleFeed>& rules() const { return m_rules; }
    const ReaderCounts& counts() const { return m_reader.counts(); }
    // Sentences whose address feeds no rule of the channel, by address.
    QMap<QString, qint64> unused() const;
    // Sentences whose address feeds some rule of the channel, by address.
    QMap<QString, qint64> used() const;
    qint64 unusedOverflow() const { return m_unusedOverflow; }
    // Sentences of the address a second over the last RateSeconds seconds before now (fewer when it
    // was first heard later); 0 for an address not heard. now is the clock feed() was given.
    static constexpr int RateSeconds = 10;
    double rate(const QString& address, qint64 now) const;

    // The traps of the rules at the time now, rule by rule; messages from texts.
    QList<MonitorFinding> findings(qint64 now, const MessageCatalog& texts) const;

    // The last lines received, oldest first, at most history() of them.
    QList<RecentLine> recentLines() const;
    int history() const { return m_history; }
    // Keeps the last lines lines (0 keeps none); forgets those kept.
    void setHistory(int lines);

    // Grows with every line read: a window refreshing on a timer redraws only when it moved.
    quint64 revision() const { return m_revision; }

private:
    struct Address {
        int sentence = -1;   // catalog index, -1 outside the catalog
        bool used = false;   // some rule of the channel names that sentence
        bool talker = false; // a standard sentence: its first two characters name the talker
        qint64 count = 0;
        // Sentences heard in each second, by second modulo RateBuckets: the last RateSeconds whole
        // seconds and the one under way.
        static constexpr int RateBuckets = RateSeconds + 1;
        std::array<quint32, RateBuckets> perSecond{};
        qint64 lastSecond = 0;  // the second of the newest entry in perSecond
        qint64 firstSecond = 0; // the second the address was first heard
    };

    void onLine(const ReadLine& line, qint64 now);
    void onSentence(QByteArrayView body, qint64 now);
    static void countRate(Address& address, qint64 now);
    Address* address(QByteArrayView name, Address& scratch);
    void keepLine(const ReadLine& line, qint64 now);

    SentenceReader m_reader;
    QString m_channel;
    std::vector<RuleFeed> m_rules;
    std::vector<std::vector<int>> m_bySentence; // catalog index -> positions in m_rules
    QHash<QByteArray, Address> m_addresses;
    qint64 m_unusedOverflow = 0;
    QList<RecentLine> m_lines; // a ring of m_history slots
    int m_history = DefaultHistory;
    int m_nextLine = 0;
    qint64 m_linesKept = 0;
    quint64 m_revision = 0;
};

} // namespace Nmea
