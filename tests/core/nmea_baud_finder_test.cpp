// The baud rate finder's decision. On a pseudo-terminal Linux ignores the rate, so a port set to a
// wrong rate cannot be made there: the bytes a UART reads at a wrong rate are made here instead,
// by sampling the bit stream of a UART sending at one rate as a UART receiving at another does.
#include "NmeaSamples.h"

#include "core/nmea/BaudFinder.h"
#include "core/nmea/NmeaMonitor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using NmeaSamples::framed;

namespace {

// Bursts of sentences a second apart, as a GPS sends them; the line is idle (high) in between.
QList<QByteArray> gpsBursts(int bursts) {
    QList<QByteArray> result;
    for (int i = 0; i < bursts; ++i) {
        const QByteArray second = QByteArray::number(10 + i).rightJustified(2, '0');
        result << framed("GPGGA,0927" + second + ".00,5321.6802,N,00630.3372,W,1,08,1.03,61.7,M,55.2,M,,") +
                      "\r\n" +
                      framed("GPRMC,0927" + second + ",A,4916.45,N,12311.12,W,000.5,054.7,191126,020.3,E,A") +
                      "\r\n" + framed("GPGSV,1,1,04,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00") +
                      "\r\n";
    }
    return result;
}

// The bytes a receiver at rxBaud reads from bursts sent at txBaud, 8N1, each burst starting a
// second after the one before. The receiver hunts for a falling edge, checks the start bit in its
// middle and samples each bit in the middle of its time; a byte whose stop bit is low is a framing
// error, which Linux passes on as a zero byte.
QByteArray readAtRate(const QList<QByteArray>& bursts, int txBaud, int rxBaud) {
    struct Frame {
        double start;
        quint8 byte;
    };
    std::vector<Frame> frames;
    for (qsizetype b = 0; b < bursts.size(); ++b) {
        double t = 0.2 + static_cast<double>(b);
        for (const char c : bursts[b]) {
            frames.push_back({t, static_cast<quint8>(c)});
            t += 10.0 / txBaud;
        }
    }
    const double frameTime = 10.0 / txBaud;
    size_t cursor = 0; // the first frame that may still be on the line at the times asked
    const auto level = [&](double t) {
        while (cursor < frames.size() && frames[cursor].start + frameTime <= t)
            ++cursor;
        if (cursor == frames.size() || t < frames[cursor].start)
            return true; // idle
        const int bit = static_cast<int>((t - frames[cursor].start) * txBaud);
        if (bit == 0)
            return false; // start bit
        if (bit >= 9)
            return true; // stop bit
        return ((frames[cursor].byte >> (bit - 1)) & 1) != 0;
    };

    const double rxBit = 1.0 / rxBaud;
    const double tick = rxBit / 16; // the receiver's sampling clock while it hunts
    const double end = frames.back().start + 2 * frameTime;
    QByteArray read;
    double t = 0;
    while (t < end) {
        if (cursor < frames.size() && t < frames[cursor].start) // idle: on to the next edge
            t = std::ceil(frames[cursor].start / tick) * tick;
        if (level(t)) {
            t += tick;
            continue;
        }
        if (level(t + rxBit / 2)) { // a glitch, not a start bit
            t += tick;
            continue;
        }
        quint8 byte = 0;
        for (int i = 0; i < 8; ++i) {
            if (level(t + (1.5 + i) * rxBit))
                byte |= static_cast<quint8>(1u << i);
        }
        const bool stop = level(t + 9.5 * rxBit);
        read += static_cast<char>(stop ? byte : 0);
        t += 9.5 * rxBit; // hunting again from the middle of the stop bit
    }
    return read;
}

// What the finder offers for a device sending at deviceBaud, tried at every rate it knows.
qint32 findFor(int deviceBaud) {
    const QList<QByteArray> bursts = gpsBursts(2); // a little over 1.5 s at each rate
    Nmea::BaudFinder finder;
    do
        finder.feed(readAtRate(bursts, deviceBaud, finder.currentRate()));
    while (finder.next());
    EXPECT_TRUE(finder.finished());
    EXPECT_EQ(finder.currentRate(), 0);
    return finder.found();
}

TEST(BaudFinder, TheSamplingReadsTheRightRateAsSent) {
    const QList<QByteArray> bursts = gpsBursts(2);
    EXPECT_EQ(readAtRate(bursts, 4800, 4800), bursts.join());
    EXPECT_EQ(readAtRate(bursts, 115200, 115200), bursts.join());
    EXPECT_NE(readAtRate(bursts, 4800, 9600), bursts.join());
}

TEST(BaudFinder, OffersTheRateOfTheDevice) {
    for (const int rate : {4800, 9600, 38400, 115200}) {
        SCOPED_TRACE(rate);
        EXPECT_EQ(findFor(rate), rate);
    }
}

TEST(BaudFinder, OffersNoneWhenNoRateGivesSentences) {
    EXPECT_EQ(findFor(14400), 0) << "a rate it does not try";
    EXPECT_EQ(findFor(2400), 0);

    Nmea::BaudFinder silent;
    while (silent.next()) {
    }
    EXPECT_EQ(silent.found(), 0) << "nothing heard";
}

// What the monitor makes of a GPS at 4800 baud read at 9600 and the other way round: bad lines and
// no sentence, the sign of a wrong rate.
TEST(BaudFinder, AWrongRateGivesBadLinesAndNoSentence) {
    const QList<QByteArray> bursts = gpsBursts(3);
    for (const auto& [device, port] : {std::pair{4800, 9600}, {9600, 4800}, {4800, 38400}, {38400, 4800}}) {
        SCOPED_TRACE(QStringLiteral("%1 read at %2").arg(device).arg(port).toStdString());
        Nmea::Monitor monitor(NmeaSamples::table({}));
        monitor.feed(readAtRate(bursts, device, port));
        monitor.cutOpenLine();
        EXPECT_EQ(monitor.counts().sentences, 0);
        EXPECT_TRUE(Nmea::looksLikeWrongBaud(monitor.counts(), 3000));
    }
}

TEST(BaudFinder, StartsAgainAndTalliesEachRate) {
    Nmea::BaudFinder finder;
    EXPECT_EQ(finder.currentRate(), 4800);
    finder.feed(framed("HEHDT,274.07,T") + "\r\n" + framed("HEHDT,274.08,T") + "\r\nnoise\r\n");
    EXPECT_TRUE(finder.next());
    EXPECT_EQ(finder.currentRate(), 9600);
    EXPECT_EQ(finder.tally(0).checked, 2);
    EXPECT_EQ(finder.tally(0).bad, 1);
    EXPECT_EQ(finder.found(), 4800) << "judged on the rates tried so far";
    finder.restart();
    EXPECT_EQ(finder.currentRate(), 4800);
    EXPECT_EQ(finder.found(), 0);
}

} // namespace
