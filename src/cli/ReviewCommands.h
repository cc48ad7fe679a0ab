#pragma once

#include <QStringList>

// The commissioning commands: the review of a configuration and the layout of its data array.
// Each takes the words after its command name and returns the exit code.
int runReview(const QStringList& words);
int runMap(const QStringList& words);
