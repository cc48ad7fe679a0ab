#pragma once

#include <QByteArray>
#include <QDomDocument>
#include <QFile>
#include <QString>
#include <QXmlStreamReader>

// Our documents carry no declaration and take the first node of the document as the root,
// whatever it is: a leading declaration, document type, comment or processing instruction
// therefore hides every item.
QDomNode firstNodeAsRoot(const QDomDocument& document);

// Reads a file in one pass, seeing what the document model would see below the first node, and
// holds no more than the current token. Reports the start and end of every element inside the root
// and every text as it stands, blanks included; when the first node is not an element nothing is
// reported, but the document is still read to its end, since one that is not well-formed anywhere
// cannot be used.
class XmlRootReader {
public:
    enum class Token { StartElement, EndElement, Text };

    // Opens the file. On failure returns false with the reason in error.
    bool open(const QString& path, QString* error);
    // Moves to the next token reported; false at the end of the document or at an error.
    bool next();
    // After next() returned false: whether the document was read whole, else the parser's
    // message and line in error.
    bool finished(QString* error) const;

    Token token() const { return m_token; }
    // The depth of the current element: 1 for the root, 2 for its children.
    int depth() const { return m_depth; }
    QStringView name() const { return m_reader.qualifiedName(); }
    // An attribute of the current start element; a missing one reads as empty.
    QString attribute(QLatin1StringView name) const;
    bool hasAttribute(QLatin1StringView name) const;
    QStringView text() const { return m_reader.text(); }

private:
    QFile m_file;
    QXmlStreamReader m_reader;
    Token m_token = Token::Text;
    int m_depth = 0; // of the current element, or of the element holding the text
    int m_open = 0;  // elements open
    bool m_sawFirstNode = false;
    bool m_rootIsElement = false;
    bool m_sawDocumentType = false;
    QString m_error;
};

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
