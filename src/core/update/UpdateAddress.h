#pragma once

#include <QString>
#include <array>

// Splits a dotted device address into its four octet texts, trimmed but otherwise as written
// ("010" stays "010"). True exactly when there are four parts and each is a number from 0 to 255
// by the integer text rule; a fifth part stays in the fourth text, which then is no number.
bool Split_IP_Address(const QString& text, std::array<QString, 4>& octets);

// The four octet values of an address that Split_IP_Address accepts.
std::array<quint8, 4> octetValues(const std::array<QString, 4>& octets);
