#pragma once

#include <QByteArrayView>
#include <QtGlobal>

#include <array>

// Cuts a byte stream into NMEA 0183 lines and judges each one. Bytes may come in chunks of any
// size; a line split across chunks is put together again. Memory is one line buffer whatever
// arrives: a line longer than MaxLine is kept only to that length and judged bad.
namespace Nmea {

enum class LineKind : unsigned char {
    Sentence,      // framed right, checksum right or absent: goes on to the rules
    ChecksumError, // framed right but "*hh" does not match
    Bad,           // anything else: noise, control bytes, a line cut short, too long
};

// Why a line was not taken, for the engineer looking at it.
enum class LineFault : unsigned char {
    None,         // a sentence
    Checksum,     // "*hh" does not match, or is not two hex digits
    Cut,          // the line broke off: a new start character, a connection's or a log's end
    TooLong,      // longer than MaxLine
    NotPrintable, // a byte outside printable ASCII
    NoAddress,    // no start character, or no address of letters and digits after it
};

struct ReaderCounts {
    qint64 lines = 0;          // every non-empty line: sentences + checksumErrors + badLines
    qint64 sentences = 0;      // accepted sentences, with or without checksum
    qint64 checksumErrors = 0; // lines whose checksum fails
    qint64 noChecksum = 0;     // accepted sentences without "*hh"
    qint64 longLines = 0;      // accepted sentences longer than StandardLine
    qint64 badLines = 0;

    bool operator==(const ReaderCounts&) const = default;
};

// One judged line. text is the whole line without its end; for a sentence, body is the part
// between the start character and the checksum (address and fields). Both point into the
// reader's buffer or the chunk and are valid only during the call.
struct ReadLine {
    LineKind kind;
    QByteArrayView text;
    QByteArrayView body;
    bool truncated; // text holds only the first MaxLine bytes of a longer line
    LineFault fault = LineFault::None;
};

class SentenceReader {
public:
    // The longest sentence the standard allows, 82 characters with CR LF: longer ones are accepted
    // and counted.
    static constexpr int StandardLine = 82;
    // The longest address taken for one: "P" and a maker's code with room to spare.
    static constexpr int MaxAddress = 16;
    // The longest line accepted at all: room for long proprietary sentences.
    static constexpr int MaxLine = 1024;

    // Feeds bytes; calls onLine(const ReadLine&) for each line ended in them. A line may start
    // in an earlier chunk.
    template <typename OnLine> void feed(QByteArrayView bytes, OnLine&& onLine);
    // Ends the line still open as a line end would: the end of a whole message, a datagram.
    template <typename OnLine> void endMessage(OnLine&& onLine);
    // Ends the line still open at the end of a log. Whatever wrote the log may have stopped in the
    // middle of it, so it is a sentence only when it carries a checksum that holds; otherwise it is
    // a bad line, cut short.
    template <typename OnLine> void finish(OnLine&& onLine);
    // Ends the line still open as cut short, when the bytes that follow come from elsewhere: a new
    // connection, another source.
    template <typename OnLine> void cut(OnLine&& onLine);

    const ReaderCounts& counts() const { return m_counts; }
    // Forgets counts and the open line.
    void clear();

private:
    // How a line came to its end.
    enum class Ending : unsigned char {
        LineEnd,       // CR or LF, or the end of a datagram
        NeedsChecksum, // the end of a log: whole only when a checksum shows it
        Cut,           // cut short: a new start character, the end of a connection
    };
    ReadLine judge(QByteArrayView line, Ending ending, bool truncated);
    template <typename OnLine>
    void endLine(QByteArrayView line, Ending ending, bool truncated, OnLine& onLine);
    template <typename OnLine> void endOpenLine(Ending ending, OnLine& onLine);
    void keep(QByteArrayView bytes);

    std::array<char, MaxLine> m_buffer{};
    int m_length = 0;        // bytes of the open line kept in m_buffer
    bool m_overflow = false; // the open line has more bytes than MaxLine
    ReaderCounts m_counts;
};

template <typename OnLine>
void SentenceReader::endLine(QByteArrayView line, Ending ending, bool truncated, OnLine& onLine) {
    if (line.isEmpty() && !truncated)
        return; // the second half of CR LF, or blank lines between sentences
    const ReadLine judged = judge(line, ending, truncated);
    onLine(judged);
}

template <typename OnLine> void SentenceReader::endOpenLine(Ending ending, OnLine& onLine) {
    const bool truncated = m_overflow;
    const QByteArrayView line(m_buffer.data(), m_length);
    m_length = 0;
    m_overflow = false;
    endLine(line, ending, truncated, onLine);
}

template <typename OnLine> void SentenceReader::feed(QByteArrayView bytes, OnLine&& onLine) {
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    const auto startCharacter = [](char c) { return c == '$' || c == '!'; };
    while (p < end) {
        const bool open = m_length > 0 || m_overflow;
        const char* q = p;
        if (!open && startCharacter(*q))
            ++q; // the start of this line
        while (q < end && *q != '\r' && *q != '\n' && !startCharacter(*q))
            ++q;
        if (q == end) {
            keep(QByteArrayView(p, q - p));
            return;
        }
        // CR or LF end the line; a start character ends what came before it as cut short.
        const bool cut = startCharacter(*q);
        const Ending ending = cut ? Ending::Cut : Ending::LineEnd;
        if (!open) {
            // The whole line lies in this chunk: judged where it stands, without a copy.
            const bool truncated = q - p > MaxLine;
            endLine(QByteArrayView(p, truncated ? MaxLine : q - p), ending, truncated, onLine);
        } else {
            keep(QByteArrayView(p, q - p));
            endOpenLine(ending, onLine);
        }
        p = cut ? q : q + 1;
    }
}

template <typename OnLine> void SentenceReader::endMessage(OnLine&& onLine) {
    endOpenLine(Ending::LineEnd, onLine);
}

template <typename OnLine> void SentenceReader::finish(OnLine&& onLine) {
    endOpenLine(Ending::NeedsChecksum, onLine);
}

template <typename OnLine> void SentenceReader::cut(OnLine&& onLine) {
    endOpenLine(Ending::Cut, onLine);
}

} // namespace Nmea
