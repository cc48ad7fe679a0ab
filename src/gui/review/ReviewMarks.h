#pragma once

#include "core/language/TextSlots.h"
#include "core/review/Review.h"
#include "gui/shell/Pictures.h"

#include <QColor>
#include <QPixmap>

// How the windows mark a finding of each severity: its picture, a light row colour and its name.
namespace ReviewMarks {

inline QPixmap picture(Review::Severity severity, int size = 12) {
    switch (severity) {
    case Review::Severity::Error:
        return Pictures::picture(Pictures::Kind::ReviewError, size);
    case Review::Severity::Warning:
        return Pictures::picture(Pictures::Kind::ReviewWarning, size);
    case Review::Severity::Note:
        break;
    }
    return Pictures::picture(Pictures::Kind::ReviewNote, size);
}

inline QColor colour(Review::Severity severity) {
    switch (severity) {
    case Review::Severity::Error:
        return {255, 170, 160};
    case Review::Severity::Warning:
        return {255, 215, 140};
    case Review::Severity::Note:
        break;
    }
    return {190, 215, 250};
}

inline int nameSlot(Review::Severity severity) {
    return TextSlot::ReviewWindows::Severities.at(static_cast<int>(severity));
}

} // namespace ReviewMarks
