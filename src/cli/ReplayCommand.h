#pragma once

#include <QStringList>

// "tessellor-cli replay": feeds an NMEA 0183 log through the monitor and prints what every rule
// would receive. words are the arguments after the command name. Returns the exit code: 0 the
// log was read, 1 the log or the rules cannot be read, 2 wrong usage.
int runReplay(const QStringList& words);

extern const char* const kReplayHelp;
