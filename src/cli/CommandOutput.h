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

// Writes "tessellor-cli: message (see tessellor-cli --help)" and returns Usage. A command's own
// usage errors name the command: "tessellor-cli: COMMAND: message (see tessellor-cli COMMAND --help)".
int usageError(const QString& message, const QString& command = {});
// Multi-line reasons (a parser message under a file name) are printed on one line.
QString oneLine(QString text);
// Writes "tessellor-cli: message" on one line and returns Failure.
int failure(const QString& message);
// The text as a JSON string, quotes included, escaped as Qt's JSON writer escapes it.
QString jsonString(const QString& text);

} // namespace Cli
