#pragma once

#include <QString>

namespace Platform {

enum class RunEnd {
    NotStarted,   // the program could not be started; error says why
    Ended,        // the program ended within the limit
    StillRunning, // the limit passed first; the program goes on running
};

// Starts a program with a command line of parameters (empty for none) in the current folder and
// waits in 10 ms steps until it ends or limitMs pass. Processes no window messages, never looks
// at the exit code and never ends the program. hidden asks for no window where the system can.
RunEnd startAndWait(const QString& program, const QString& parameters, bool hidden, int limitMs,
                    QString* error);

} // namespace Platform
