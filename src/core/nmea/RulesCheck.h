#pragma once

#include "core/nmea/AccessRules.h"

#include <QString>
#include <optional>

class MessageCatalog;

namespace Nmea {

// The data check run before saving: the first failure as the message the user sees ("Error row "
// + row number + reason), or nothing when every rule may be saved.
std::optional<QString> Controllo_dati(const RuleTable& table, const MessageCatalog& catalog);

} // namespace Nmea
