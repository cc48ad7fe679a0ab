#pragma once

#include <span>

class QMetaObject;
class QWidget;
class TFTesselloreFirmWare;

// One window the program can create.
struct ProgramWindow {
    const QMetaObject& type;
    // The window once built, else nullptr.
    QWidget* (*existing)(TFTesselloreFirmWare& main);
    // The window, built first when it does not exist yet, as its first opening builds it.
    QWidget* (*build)(TFTesselloreFirmWare& main);
    // Built only when another window first needs it (the rules window's map and monitor, the
    // findings Update Device shows); createWindows() leaves it to then.
    bool onDemand;
};

// Every window of the program, the main window first and then in the order Change_Language
// switches them. Window creation, the language switch, the tests and the screenshots all take their
// windows from here: a new window is added here and nowhere else.
std::span<const ProgramWindow> programWindows();
