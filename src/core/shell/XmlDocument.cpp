#include "core/shell/XmlDocument.h"

#include <QFile>

QDomNode firstNodeAsRoot(const QDomDocument& document) {
    return document.firstChild();
}

bool parseXmlFile(const QString& path, QDomDocument& document, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    QString message;
    int line = 0;
    int column = 0;
    if (!document.setContent(&file, &message, &line, &column)) {
        if (error)
            *error = QStringLiteral("%1 (line %2, column %3)").arg(message).arg(line).arg(column);
        return false;
    }
    return true;
}

QByteArray documentBytes(const QDomDocument& document) {
    return document.toByteArray(-1);
}

QDomElement appendTextElement(QDomDocument& document, QDomNode& parent, const QString& name,
                              const QString& text) {
    QDomElement element = document.createElement(name);
    if (!text.isEmpty())
        element.appendChild(document.createTextNode(text));
    parent.appendChild(element);
    return element;
}
