#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Decodes the bytes of a bank.bin for reading, one field a line: the parameters with their offsets,
// then one line per rule record in use. Refuses (false, reason in error) a file that is not exactly
// one image, whose checksum does not match, or whose rule count exceeds the table. Values outside
// the catalog are shown as unknown, never looked up out of range.
bool describeImage(const QByteArray& bytes, QStringList& lines, QString* error = nullptr);
