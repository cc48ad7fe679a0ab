#pragma once

#include <QString>

// The NMEA monitor's replay of a large log against reading the same file line by line and doing
// nothing with the lines.
namespace NmeaReplay {

// Writes a log of about megabytes MB: a ship's instruments at work, values changing from line to
// line, with a few broken lines among them. False when it cannot be written.
bool writeLog(const QString& path, int megabytes);

struct Run {
    double ms = 0;
    long peakKb = 0;    // peak resident memory of the process during the run
    long long hits = 0; // values the rules received (replay), lines read (floor)
};

// The log through the monitor in 1 MB reads, as tessellor-cli replay does, against 100 rules.
Run replay(const QString& path);
// The log through the log source, one chunk per turn of the event loop, as the monitor window
// does; the recent-lines pane kept.
Run replayThroughSource(const QString& path);
// QFile::readLine over the file, each line dropped.
Run readLines(const QString& path);

} // namespace NmeaReplay
