#pragma once

#include <QString>

// Joins a folder (no trailing separator) and a name with the platform's separator.
QString joinPath(const QString& folder, const QString& name);

// The program's folder as Qt reports it, with "/" on every system, written with the separator names
// are joined with, so that every path built from it is written one way. Only "/" is converted: where
// "/" is the separator, a backslash is part of a name.
QString programFolderPath(const QString& reported);
QString programFolderPath(const QString& reported, QChar separator);
