#include "core/util/XmlDocument.h"

#include <QFile>
#include <QXmlStreamReader>

namespace {

// The document model builds and frees nested elements recursively and slows down badly with
// depth, so a document nested a few hundred thousand levels deep overflows the stack or stalls the
// program. Our documents nest three levels; a deeper one is refused before the model sees it.
constexpr int kMaxDepth = 256;

// The line on which the bytes first nest deeper than kMaxDepth, or 0. Stops quietly at a syntax
// error: the parser then reports it with its own message.
qint64 lineNestedTooDeep(const QByteArray& bytes) {
    QXmlStreamReader reader(bytes);
    int depth = 0;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement && ++depth > kMaxDepth)
            return reader.lineNumber();
        if (token == QXmlStreamReader::EndElement)
            --depth;
    }
    return 0;
}

// The document model drops every text made only of blanks, but our readers take texts as they
// stand ("  " as a project name is a name). Walks the bytes again beside the parsed tree and puts
// each dropped text back in its place.
void restoreBlankTexts(const QByteArray& bytes, QDomDocument& document) {
    QXmlStreamReader reader(bytes);
    reader.setNamespaceProcessing(false);
    QDomNode parent = document;
    QDomNode next = document.firstChild();
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartDocument:
            // A declaration with a version stands in the tree as a processing instruction.
            if (!reader.documentVersion().isEmpty())
                next = next.nextSibling();
            break;
        case QXmlStreamReader::StartElement:
            if (!next.isElement())
                return;
            parent = next;
            next = parent.firstChild();
            break;
        case QXmlStreamReader::EndElement:
            next = parent.nextSibling();
            parent = parent.parentNode();
            break;
        case QXmlStreamReader::Characters:
            if (reader.isWhitespace() || (!reader.isCDATA() && reader.text().trimmed().isEmpty())) {
                // Blanks around the root belong to no element.
                if (parent.isElement()) {
                    const QString text = reader.text().toString();
                    const QDomNode blanks = reader.isCDATA() ? QDomNode(document.createCDATASection(text))
                                                             : QDomNode(document.createTextNode(text));
                    // Before no node at all would mean at the front.
                    if (next.isNull())
                        parent.appendChild(blanks);
                    else
                        parent.insertBefore(blanks, next);
                }
            } else {
                next = next.nextSibling();
            }
            break;
        case QXmlStreamReader::Comment:
        case QXmlStreamReader::ProcessingInstruction:
        case QXmlStreamReader::EntityReference:
            next = next.nextSibling();
            break;
        default:
            // The document type declaration is kept beside the nodes, not among them.
            break;
        }
    }
}

} // namespace

QDomNode firstNodeAsRoot(const QDomDocument& document) {
    // The model keeps a document type declaration out of the list of nodes; it can only stand
    // before the root element, so when that element leads the list the declaration came first.
    const QDomNode first = document.firstChild();
    if (!document.doctype().name().isEmpty() && first.isElement())
        return document.doctype();
    return first;
}

bool parseXmlFile(const QString& path, QDomDocument& document, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (const qint64 tooDeep = lineNestedTooDeep(bytes)) {
        if (error)
            *error = QStringLiteral("elements nested more than %1 levels deep (line %2)")
                         .arg(kMaxDepth)
                         .arg(tooDeep);
        return false;
    }
    QString message;
    int line = 0;
    int column = 0;
    if (!document.setContent(bytes, &message, &line, &column)) {
        if (error)
            *error = QStringLiteral("%1 (line %2, column %3)").arg(message).arg(line).arg(column);
        return false;
    }
    restoreBlankTexts(bytes, document);
    return true;
}

QByteArray documentBytes(const QDomDocument& document) {
    return document.toByteArray(-1);
}

QString xmlCharactersOnly(const QString& text) {
    QString kept;
    kept.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            kept += c;
            kept += text[++i];
            continue;
        }
        const char16_t u = c.unicode();
        if (c.isSurrogate() || u == 0xFFFE || u == 0xFFFF || (u < 0x20 && u != 0x9 && u != 0xA && u != 0xD))
            continue;
        kept += c;
    }
    return kept;
}

QDomElement appendTextElement(QDomDocument& document, QDomNode& parent, const QString& name,
                              const QString& text) {
    QDomElement element = document.createElement(name);
    const QString value = xmlCharactersOnly(text);
    if (!value.isEmpty()) {
        // A carriage return cannot stand in a CDATA section: the reader would take it for a line
        // feed. A text node writes it as a character reference.
        const bool blanksOnly = value.trimmed().isEmpty() && !value.contains(u'\r');
        element.appendChild(blanksOnly ? QDomNode(document.createCDATASection(value))
                                       : QDomNode(document.createTextNode(value)));
    }
    parent.appendChild(element);
    return element;
}
