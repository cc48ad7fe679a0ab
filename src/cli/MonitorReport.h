#pragma once

#include "core/nmea/NmeaMonitor.h"
#include "core/review/OutputArray.h"

#include <QByteArray>
#include <QList>
#include <optional>

// What replay and listen print when they end: what every rule received, the counts, the addresses
// that fed no rule and the findings, as text or as one JSON object.
namespace Cli {

// The Output array of the configuration folder's compiled rules, holding the values the monitor's
// rules received; nothing with error set when the documents cannot be reviewed.
std::optional<Review::OutputArray> outputArrayOf(const QString& folder, const Nmea::Monitor& monitor,
                                                 QString& error);

// outputArray, when given, is printed after the findings: as hexadecimal lines of 16 bytes, or in
// JSON as "output_array", one hexadecimal string.
void printMonitorReport(const Nmea::Monitor& monitor, const QList<Nmea::MonitorFinding>& findings, bool json,
                        const QByteArray* outputArray = nullptr);

} // namespace Cli
