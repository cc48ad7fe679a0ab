#pragma once

#include "core/nmea/AccessRules.h"

#include <QString>

// Proposes where a rule's value goes in the converter's data array, laid out in 16-bit words
// after the rules above it. Only a proposal: the user may change it and overlaps are allowed.
namespace Nmea {

// Words: the proposal as it always was. Logix: also on the boundary Logix (Rockwell) gives the
// value's type in a data type, 4-byte values on multiples of 4 and 2-byte ones on multiples of 2,
// after the bytes Logix gives the rule above, so that the layout exports as an L5X data type.
enum class PositionAlignment { Words, Logix };

// Where the rules above row ARow (1..100) end: Position plus field size of the nearest ticked rule
// that names a catalog sentence and one of its fields; 0 when there is none.
int Get_Last_Position(const RuleTable& table, int ARow);

// The Position proposed for row ARow when Sentence and DataField are picked: where the rules
// above end, plus one byte for a field of odd size (1 or 3) so that it ends on a word boundary.
int proposedPosition(const RuleTable& table, int ARow, const QString& Sentence, const QString& DataField,
                     PositionAlignment alignment = PositionAlignment::Words);

// Writes that proposal as decimal text into the Position of row ARow.
void Set_Position(RuleTable& table, int ARow, const QString& Sentence, const QString& DataField,
                  PositionAlignment alignment = PositionAlignment::Words);

} // namespace Nmea
