#include "CommandOutput.h"

#include <QJsonArray>
#include <QJsonDocument>

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

int usageError(const QString& message, const QString& command) {
    const QString prefix = command.isEmpty() ? QString() : command + QStringLiteral(": ");
    const QString help = command.isEmpty() ? QString() : command + u' ';
    standardError() << "tessellor-cli: " << prefix << message << " (see tessellor-cli " << help
                    << "--help)\n";
    standardError().flush();
    return Usage;
}

QString oneLine(QString text) {
    return text.replace(u'\n', QStringLiteral(": "));
}

int failure(const QString& message) {
    standardError() << "tessellor-cli: " << oneLine(message) << '\n';
    standardError().flush();
    return Failure;
}

QString jsonString(const QString& text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

} // namespace Cli
