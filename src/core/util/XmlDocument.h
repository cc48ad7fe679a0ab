#pragma once

#include <QByteArray>
#include <QDomDocument>
#include <QString>

// Our documents carry no declaration and take the first node of the document as the root,
// whatever it is: a leading declaration, document type declaration or comment therefore hides
// every item.
QDomNode firstNodeAsRoot(const QDomDocument& document);

// Parses a file, keeping every text as it stands, blanks included. On failure returns false with
// the parser's message and line in error.
bool parseXmlFile(const QString& path, QDomDocument& document, QString* error);

// The document as written: no declaration, nothing indented, UTF-8.
QByteArray documentBytes(const QDomDocument& document);

// XML 1.0 cannot carry most control characters, lone surrogates, U+FFFE and U+FFFF; written as
// they are, one stray character would make the whole document unreadable, so they are dropped.
QString xmlCharactersOnly(const QString& text);

// Appends <name>text</name> to parent and returns it. The text is written so that it reads back
// as it was: characters XML cannot carry are dropped, and a text made only of blanks, which a
// parser would drop, goes in a CDATA section unless it holds a carriage return.
QDomElement appendTextElement(QDomDocument& document, QDomNode& parent, const QString& name,
                              const QString& text);
