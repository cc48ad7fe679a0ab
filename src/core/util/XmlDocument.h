#pragma once

#include "core/util/XmlScanner.h"

#include <QBuffer>
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
//
// A file up to kScannedSizeLimit is read into memory and, when it keeps to the plain kind our
// programs write, scanned whole before the first token is reported; any other file, or one the
// scan is unsure of, is streamed through the XML parser from its first byte, so the tokens and the
// errors are the parser's either way.
class XmlRootReader {
public:
    enum class Token { StartElement, EndElement, Text };
    enum class Reading { Scanned, Streamed };
    // Larger documents are streamed, so that memory stays bounded however large they grow. A scan
    // holds about five times its document (bytes, decoded text, token offsets); our documents are
    // some tens of kilobytes.
    static constexpr qint64 kScannedSizeLimit = 256 * 1024;

    // Opens the file. On failure returns false with the reason in error.
    bool open(const QString& path, QString* error);
    // Reads bytes as open() reads a file's; Reading::Streamed leaves them to the parser even when
    // they could be scanned, so the two readings of the same bytes can be compared.
    void openBytes(const QByteArray& bytes, Reading wanted = Reading::Scanned);
    Reading reading() const { return m_scanning ? Reading::Scanned : Reading::Streamed; }
    // Moves to the next token reported; false at the end of the document or at an error.
    bool next();
    // After next() returned false: whether the document was read whole, else the parser's
    // message and line in error.
    bool finished(QString* error) const;

    Token token() const { return m_token; }
    // The depth of the current element: 1 for the root, 2 for its children.
    int depth() const { return m_depth; }
    QStringView name() const;
    // An attribute of the current start element; a missing one reads as empty.
    QString attribute(QLatin1StringView name) const;
    bool hasAttribute(QLatin1StringView name) const;
    QStringView text() const;

private:
    bool nextStreamed();
    const ScannedXml::Attribute* scannedAttribute(QLatin1StringView name) const;

    QFile m_file;
    QByteArray m_bytes;
    QBuffer m_buffer;
    QXmlStreamReader m_reader;
    bool m_scanning = false;
    ScannedXml m_scanned;
    std::size_t m_item = 0; // the next item of m_scanned to report
    QString m_resolved;     // the current text, when its references or line ends had to be resolved
    mutable std::int32_t m_lastAttribute = 0; // where the last attribute asked for stood, plus one
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
