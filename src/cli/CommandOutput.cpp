#include "CommandOutput.h"

#include "core/util/Paths.h"

#include <cstdio>

namespace Cli {

QTextStream& standardOutput() {
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& standardError() {
    static QTextStream stream(stderr);
    return stream;
}

int usageError(const QString& message) {
    standardError() << "tessellor-cli: " << message << " (see tessellor-cli --help)\n";
    standardError().flush();
    return Usage;
}

int failure(const QString& message) {
    standardError() << "tessellor-cli: " << QString(message).replace(u'\n', QStringLiteral(": ")) << '\n';
    standardError().flush();
    return Failure;
}

QString parGenPath(const QString& folder) {
    return joinPath(folder, QStringLiteral("ParGen.xml"));
}

QString rulesPath(const QString& folder) {
    return joinPath(folder, QStringLiteral("NMEA_0183_Set_Access.xml"));
}

} // namespace Cli
