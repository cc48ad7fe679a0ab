#pragma once

#include <QByteArray>
#include <QDomDocument>
#include <QString>

// Our documents carry no declaration and take the first node of the document as the root,
// whatever it is: a leading declaration or comment therefore hides every item.
QDomNode firstNodeAsRoot(const QDomDocument& document);

// Parses a file. On failure returns false with the parser's message and line in error.
bool parseXmlFile(const QString& path, QDomDocument& document, QString* error);

// The document as written: no declaration, nothing indented, UTF-8.
QByteArray documentBytes(const QDomDocument& document);

// Appends <name>text</name> to parent and returns it.
QDomElement appendTextElement(QDomDocument& document, QDomNode& parent, const QString& name,
                              const QString& text);
