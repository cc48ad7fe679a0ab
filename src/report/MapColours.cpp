#include "report/MapColours.h"

namespace MapColours {

QColor ruleColour(int order) {
    // Light colours that the labels stay readable on. The golden angle puts the hues of rules next
    // to each other far apart; the reds either side of 0 are kept for shared bytes.
    constexpr int FirstHue = 30;
    constexpr int HueSpan = 300;
    return QColor(QColor::fromHsv(FirstHue + (order * 137) % HueSpan, 80, 255).rgb());
}

} // namespace MapColours
