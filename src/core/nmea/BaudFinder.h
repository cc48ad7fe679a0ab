#pragma once

#include "core/nmea/SentenceReader.h"

#include <QByteArrayView>

#include <array>

// Decides the baud rate of a serial line from what was read at each rate in turn. Whoever owns
// the port sets it to currentRate(), listens for about ListenMs, feeds what arrived and moves on
// with next(); once every rate was tried, found() offers the rate whose sentences' checksums held.
// It only judges bytes, so it can be tried on bytes read at a wrong rate without a port.
namespace Nmea {

class BaudFinder {
public:
    static constexpr std::array<qint32, 6> Rates{4800, 9600, 19200, 38400, 57600, 115200};
    static constexpr qint64 ListenMs = 1500;
    // Sentences whose checksum holds needed to believe a rate: noise at a wrong rate can frame one
    // by chance, hardly two.
    static constexpr int MinSentences = 2;

    // The rate to listen at now; 0 once every rate was tried.
    qint32 currentRate() const;
    // Bytes read at the current rate; ignored once every rate was tried.
    void feed(QByteArrayView bytes);
    // Ends listening at the current rate and moves to the next one; false when none is left.
    bool next();
    bool finished() const { return m_at >= static_cast<int>(Rates.size()); }
    // The rate that gave the most sentences whose checksums hold, and more of them than bad lines;
    // 0 when none did. Judged on the rates tried so far.
    qint32 found() const;
    // What was read at Rates[i]: sentences with a checksum that holds, and lines that were not.
    struct Tally {
        qint64 checked = 0;
        qint64 bad = 0;
    };
    Tally tally(int i) const { return m_tallies[static_cast<size_t>(i)]; }
    // Starts again at the first rate.
    void restart();

private:
    void closeRate();

    int m_at = 0;
    SentenceReader m_reader;
    std::array<Tally, Rates.size()> m_tallies{};
};

} // namespace Nmea
