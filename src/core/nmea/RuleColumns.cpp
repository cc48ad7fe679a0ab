#include "core/nmea/RuleColumns.h"

#include "core/language/TextSlots.h"

#include <array>

namespace Nmea {

namespace {

namespace Text = TextSlot::NmeaAccess;

QString channelFilter(const AccessRule&, const QString& value) {
    return Get_Serial_Channel(value);
}
QString sentenceFilter(const AccessRule&, const QString& value) {
    return Get_Sentence(value);
}
// A field is one of the sentence read before it.
QString fieldFilter(const AccessRule& row, const QString& value) {
    return Get_DataField(row.Sentence, value);
}
QString postOperationFilter(const AccessRule&, const QString& value) {
    return Get_PostOperatin(value);
}

using K = CellKind;
using P = PickSource;
using A = AccessRule;
using S = RuleAttributes;

const std::array<RuleColumnDef, RuleColumnCount> kColumns = {{
    {"Enable", K::Tick, P::None, true, "", nullptr, false, &A::Enable, nullptr, &S::Enable,
     Text::EnableHeader, Text::EnableHint, 50, 0xFFD8B0},
    {"Serial_Channel", K::Pick, P::Channels, false, "RS232", channelFilter, false, nullptr,
     &A::Serial_Channel, &S::Serial_Channel, Text::ChannelHeader, Text::ChannelHint, 120, 0xA8FFA8},
    {"Sentence", K::Pick, P::Sentences, false, "", sentenceFilter, false, nullptr, &A::Sentence, &S::Sentence,
     Text::SentenceHeader, Text::SentenceHint, 120, 0xE0FAFE},
    {"Index", K::Text, P::None, false, "", nullptr, true, nullptr, &A::Index, &S::Index, Text::IndexHeader,
     Text::IndexHint, 50, 0xE0FAFE},
    {"DataField", K::Pick, P::Fields, false, "", fieldFilter, false, nullptr, &A::DataField, &S::DataField,
     Text::FieldHeader, Text::FieldHint, 280, 0xE0FAFE},
    {"PortOperation", K::Pick, P::PostOperations, false, "None", postOperationFilter, false, nullptr,
     &A::PortOperation, &S::PortOperation, Text::PostOpeHeader, Text::PostOpeHint, 120, 0xFFFFA8},
    {"SwapAll", K::Tick, P::None, false, "", nullptr, false, &A::SwapAll, nullptr, &S::SwapAll,
     Text::SwapAllHeader, Text::SwapAllHint, 60, 0xFFFFA8},
    {"Swap16", K::Tick, P::None, false, "", nullptr, false, &A::Swap16, nullptr, &S::Swap16,
     Text::Swap16Header, Text::Swap16Hint, 60, 0xFFFFA8},
    {"Position", K::Text, P::None, false, "", nullptr, false, nullptr, &A::Position, &S::Position,
     Text::PositionHeader, Text::PositionHint, 60, 0xFCD6F4},
    {"Mnemonic", K::Text, P::None, false, "", nullptr, false, nullptr, &A::Mnemonic, &S::Mnemonic,
     Text::MnemonicHeader, Text::MnemonicHint, 160, 0xFFFFFF},
}};

} // namespace

std::span<const RuleColumnDef, RuleColumnCount> ruleColumns() {
    return kColumns;
}

const RuleColumnDef& ruleColumn(int col) {
    return kColumns.at(col - 1);
}

QString cellText(const AccessRule& rule, int col) {
    const RuleColumnDef& c = ruleColumn(col);
    return c.text ? rule.*c.text : QString();
}

bool cellTicked(const AccessRule& rule, int col) {
    const RuleColumnDef& c = ruleColumn(col);
    return c.tick && rule.*c.tick;
}

void setCellText(AccessRule& rule, int col, const QString& text) {
    if (const RuleColumnDef& c = ruleColumn(col); c.text)
        rule.*c.text = text;
}

void setCellTicked(AccessRule& rule, int col, bool ticked) {
    if (const RuleColumnDef& c = ruleColumn(col); c.tick)
        rule.*c.tick = ticked;
}

} // namespace Nmea
