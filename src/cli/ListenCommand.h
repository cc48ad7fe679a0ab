#pragma once

#include <QStringList>

// "tessellor-cli listen": feeds what a serial port, a UDP port or a TCP connection receives through
// the monitor, as the monitor window does, and when the time is up or the user presses Ctrl+C
// prints the same report as replay. words are the arguments after the command name. Returns the
// exit code: 0 it listened, 1 the source or the recording failed or the rules cannot be read, 2
// wrong usage.
int runListen(const QStringList& words);
