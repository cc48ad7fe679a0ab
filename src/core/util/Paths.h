#pragma once

#include <QString>

// Joins a folder (no trailing separator) and a name with the platform's separator.
QString joinPath(const QString& folder, const QString& name);
