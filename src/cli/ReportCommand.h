#pragma once

#include <QStringList>

// "tessellor-cli report": writes the commissioning report of a configuration folder as a PDF.
// words are the arguments after the command name; program is argv[0], for the application the
// painting needs. Returns the exit code.
int runReport(const QStringList& words, char* program);
