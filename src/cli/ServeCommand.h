#pragma once

#include <QStringList>

// "tessellor-cli serve": the virtual converter. Feeds a log, a serial port or the network through
// the monitor and serves the Output array to a PLC over EtherNet/IP, until the time is up or the
// user presses Ctrl+C, then prints what it served. words are the arguments after the command name.
// Returns the exit code: 0 it served, 1 the network or the source failed or the configuration
// cannot be read, 2 wrong usage.
int runServe(const QStringList& words);
