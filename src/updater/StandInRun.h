#pragma once

#include <QString>
#include <QStringList>

// One run of the stand-in updater: check the job beside the program, write the log, show the result.
namespace StandIn {

// The option that keeps the window closed, for scripts and tests.
inline constexpr char NoWindowOption[] = "--no-window";

// Whether the run shows its window: not with NoWindowOption among the arguments, not on Qt's
// offscreen platform (where nobody could press OK) and not where there is no display to open it on.
bool showsWindow(const QStringList& arguments);

// Checks Ethernet_Update.xml in folder, writes what it found to stdout and to Ethernet_Update.log in
// folder and, with window, shows it until OK (a QApplication must exist then). Returns the exit
// code: 0 when every check holds, 1 when one fails, 2 when the log cannot be written.
int run(const QString& folder, bool window);

} // namespace StandIn
