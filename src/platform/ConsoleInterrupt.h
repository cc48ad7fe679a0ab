#pragma once

#include <functional>

namespace Platform {

// Calls onInterrupt from the event loop of the thread that set it when the user interrupts a
// console program (Ctrl+C: SIGINT, on Windows the console control handler), instead of ending the
// program at once, so that it can finish its work and report. A second call replaces the first;
// an empty function restores the system's default. Needs a QCoreApplication.
void catchConsoleInterrupt(std::function<void()> onInterrupt);

} // namespace Platform
