#pragma once

#include <QString>

// What the other windows ask of the main window. They are given this rather than the main window
// itself, so a window folder never needs the main window's header.
class MainWindowServices {
public:
    virtual ~MainWindowServices() = default;

    // Starts a program and waits for it to end, at most 150 seconds.
    virtual void Start_Program(const QString& NomeSW, const QString& Parameter, bool tipo) = 0;
    // Gives every window the texts of the catalog as it is now.
    virtual void Change_Language() = 0;
};
