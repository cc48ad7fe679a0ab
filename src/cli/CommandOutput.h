#pragma once

#include <QString>
#include <QTextStream>

// Output and exit codes shared by the companion's commands that live in their own files.
namespace Cli {

constexpr int Success = 0;
constexpr int Failure = 1;
constexpr int Usage = 2;

QTextStream& standardOutput();
QTextStream& standardError();

// Writes "tessellor-cli: message (see tessellor-cli --help)" and returns Usage.
int usageError(const QString& message);
// Writes "tessellor-cli: message" on one line and returns Failure.
int failure(const QString& message);

// Paths of the two documents in a configuration folder.
QString parGenPath(const QString& folder);
QString rulesPath(const QString& folder);

} // namespace Cli
