#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <optional>

namespace Nmea {

// A log fed line by line at a chosen rate, from its start again when it ends if asked, read from
// the file as the lines fall due so that a log of any size costs a line's memory. Without a rate
// the lines come as fast as they are taken. Time is the caller's, in milliseconds.
class LogPacer {
public:
    // Longer lines are fed in pieces of this size, each counted as a line.
    static constexpr qint64 MaxLine = 4096;

    // linesPerSecond 0: as fast as taken.
    LogPacer(double linesPerSecond, bool loop);

    bool open(const QString& path, QString* error = nullptr);
    // The lines due by nowMs (the first call starts the clock), at most maxLines; empty when none
    // is due yet or the log has ended.
    QByteArray take(qint64 nowMs, int maxLines = 1000);
    // When the next line falls due; none once the log has ended.
    std::optional<qint64> nextDueMs() const;
    bool finished() const { return m_finished; }
    qint64 lines() const { return m_lines; }
    // How often the log was started again from its first line.
    int loops() const { return m_loops; }

private:
    double m_rate;
    bool m_loop;
    QFile m_file;
    std::optional<qint64> m_startMs;
    qint64 m_lines = 0;
    qint64 m_linesThisPass = 0;
    int m_loops = 0;
    bool m_finished = false;
};

} // namespace Nmea
