#pragma once

#include <QByteArray>
#include <QString>

// Writes a whole file through a temporary file beside it that then replaces the target, so a
// crash or a full disk never leaves half a file and a failed save keeps the old file whole.
// On failure returns false and, when error is given, the reason in words.
bool saveFileAtomically(const QString& path, const QByteArray& data, QString* error = nullptr);
