#pragma once

#include <QString>

// Stored serial-port texts to list positions, shared by the parameters window and the compiler.

// 1200..115200 give 0..7; a text that is not a number reads as 4800; any other number gives 2.
int Baud_to_Index(const QString& text);
// "NONE", "ODD", "EVEN" (any case) give 0, 1, 2; anything else 0.
int Parity_to_Index(const QString& text);
// "1 BIT", "2 BITS" (any case) give 0, 1; anything else 0. The image stores the index plus one.
int StopBits_to_Index(const QString& text);

// The list entries, untranslated, in list order.
extern const char* const kBaudRates[8];
extern const char* const kParities[3];
extern const char* const kStopBits[2];
