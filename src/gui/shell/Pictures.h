#pragma once

#include <QPixmap>

// The program's own pictures, drawn in code so they stay sharp and need no files.
namespace Pictures {

enum class Kind {
    Info,
    Options,
    Close,
    NewConfiguration,
    OpenConfiguration,
    Communication,
    NmeaAccess,
    UpdateDevice,
    Ok,
    Cancel,
    Execute,
    PanelExpanded,
    PanelCollapsed,
    Product,
    // The review's marks: an error, a warning, a note.
    ReviewError,
    ReviewWarning,
    ReviewNote,
};

QPixmap picture(Kind kind, int size);

} // namespace Pictures
