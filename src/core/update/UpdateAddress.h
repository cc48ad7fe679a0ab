#pragma once

#include <QString>
#include <array>
#include <optional>

// Splits a dotted device address into its four octet texts, trimmed but otherwise as written
// ("010" stays "010"). True exactly when there are four parts and each is a number from 0 to 255
// by the integer text rule; a fifth part stays in the fourth text, which then is no number.
bool Split_IP_Address(const QString& text, std::array<QString, 4>& octets);

// The address that is sent to: four octets of decimal digits only, each 0 to 255, read as decimal
// ("010" is ten), nothing else. Hexadecimal or signed octets, blanks and names are refused, so the
// device that answers is the one the updater is told about.
std::optional<std::array<quint8, 4>> dottedDecimalAddress(const QString& text);
