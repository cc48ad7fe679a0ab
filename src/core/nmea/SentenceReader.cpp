#include "core/nmea/SentenceReader.h"

#include <algorithm>
#include <cstring>

namespace Nmea {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool addressCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

} // namespace

void SentenceReader::keep(QByteArrayView bytes) {
    const qsizetype room = MaxLine - m_length;
    const qsizetype taken = std::min(room, bytes.size());
    if (taken > 0) {
        std::memcpy(m_buffer.data() + m_length, bytes.data(), static_cast<size_t>(taken));
        m_length += static_cast<int>(taken);
    }
    if (bytes.size() > taken)
        m_overflow = true;
}

void SentenceReader::clear() {
    m_length = 0;
    m_overflow = false;
    m_counts = {};
}

ReadLine SentenceReader::judge(QByteArrayView line, Ending ending, bool truncated) {
    ++m_counts.lines;
    ReadLine result{LineKind::Bad, line, {}, truncated};
    const auto bad = [this, &result](LineFault fault) {
        ++m_counts.badLines;
        result.fault = fault;
        return result;
    };
    if (truncated)
        return bad(LineFault::TooLong);
    if (ending == Ending::Cut)
        return bad(LineFault::Cut);
    if (line.size() < 2 || (line[0] != '$' && line[0] != '!'))
        return bad(LineFault::NoAddress);

    // Printable ASCII only; at most one "*", and then exactly two hex digits after it.
    const char* const data = line.data();
    const qsizetype size = line.size();
    qsizetype star = -1;
    quint8 sum = 0;
    for (qsizetype i = 1; i < size; ++i) {
        const char c = data[i];
        if (c < 0x20 || c > 0x7E)
            return bad(LineFault::NotPrintable);
        if (c == '*') {
            if (star >= 0)
                return bad(LineFault::Checksum);
            star = i;
        } else if (star < 0) {
            sum ^= static_cast<quint8>(c);
        }
    }
    int high = 0;
    int low = 0;
    if (star >= 0) {
        if (star != size - 3 || (high = hexValue(data[size - 2])) < 0 || (low = hexValue(data[size - 1])) < 0)
            return bad(LineFault::Checksum);
    }
    const QByteArrayView body = line.sliced(1, (star >= 0 ? star : size) - 1);
    qsizetype addressLength = body.indexOf(',');
    if (addressLength < 0)
        addressLength = body.size();
    if (addressLength < 2 || addressLength > MaxAddress ||
        !std::all_of(body.data(), body.data() + addressLength, addressCharacter))
        return bad(LineFault::NoAddress);

    const bool checksumHolds = star >= 0 && sum == high * 16 + low;
    if (ending == Ending::NeedsChecksum && !checksumHolds)
        return bad(LineFault::Cut); // the log's writer may have stopped inside it
    if (star >= 0 && !checksumHolds) {
        ++m_counts.checksumErrors;
        result.kind = LineKind::ChecksumError;
        result.fault = LineFault::Checksum;
        return result;
    }
    ++m_counts.sentences;
    if (star < 0)
        ++m_counts.noChecksum;
    if (size + 2 > StandardLine)
        ++m_counts.longLines;
    result.kind = LineKind::Sentence;
    result.body = body;
    return result;
}

} // namespace Nmea
