#pragma once

#include "platform/nmea/NmeaSource.h"
#include "platform/nmea/NmeaSourceSettings.h"

#include <memory>

namespace Platform {

// The source the settings describe, not started.
std::unique_ptr<NmeaSource> createNmeaSource(const NmeaSourceSettings& settings);

} // namespace Platform
