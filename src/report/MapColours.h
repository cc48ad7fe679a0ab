#pragma once

#include <QColor>

// The colours of the data map, the same in the window and on the report's pages.
namespace MapColours {

inline const QColor Free{255, 255, 255};
inline const QColor Grid{200, 200, 200};
inline const QColor Shared{220, 30, 30};
inline const QColor Beyond{170, 170, 170};
inline const QColor OutputMarker{0, 150, 60};

// The colour of the rule at this place in image order.
QColor ruleColour(int order);

} // namespace MapColours
