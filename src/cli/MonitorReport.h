#pragma once

#include "core/nmea/NmeaMonitor.h"

#include <QList>

// What replay and listen print when they end: what every rule received, the counts, the addresses
// that fed no rule and the findings, as text or as one JSON object.
namespace Cli {

void printMonitorReport(const Nmea::Monitor& monitor, const QList<Nmea::MonitorFinding>& findings, bool json);

} // namespace Cli
