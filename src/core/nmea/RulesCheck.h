#pragma once

#include "core/nmea/AccessRules.h"

#include <QString>
#include <optional>

class MessageCatalog;

namespace Nmea {

// The bytes of the device's data array: the data check refuses a Position of this or more.
constexpr int DataArraySize = 2000;

// The data check run before saving: the first failure as the message the user sees ("Error row "
// + row number + reason), or nothing when every rule may be saved.
std::optional<QString> Controllo_dati(const RuleTable& table, const MessageCatalog& catalog);

// The data check's message for one row, or nothing when the check passes it.
std::optional<QString> rowRefusal(int row, const AccessRule& rule, const MessageCatalog& catalog);

} // namespace Nmea
