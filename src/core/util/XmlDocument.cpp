#include "core/util/XmlDocument.h"

#include "core/util/XmlCharacters.h"

#include <QFile>
#include <QXmlStreamReader>

#include <algorithm>

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
    // The model keeps a document type apart from the other nodes, though it stands first.
    const QDomDocumentType type = document.doctype();
    if (!type.name().isEmpty())
        return type;
    return document.firstChild();
}

bool XmlRootReader::open(const QString& path, QString* error) {
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = m_file.errorString();
        return false;
    }
    if (m_file.isSequential() || m_file.size() > kScannedSizeLimit) {
        // Streamed, so that memory stays bounded however large the document.
        m_reader.setDevice(&m_file);
        // As the document model reads: a prefix is part of the name, not a namespace.
        m_reader.setNamespaceProcessing(false);
        return true;
    }
    const QByteArray bytes = m_file.readAll();
    m_file.close();
    openBytes(bytes);
    return true;
}

void XmlRootReader::openBytes(const QByteArray& bytes, Reading wanted) {
    m_scanning = wanted == Reading::Scanned && bytes.size() <= kScannedSizeLimit &&
                 scanPlainXml(bytes, kMaxDepth, m_scanned);
    if (m_scanning)
        return;
    // The parser reads the bytes from the start, from a device as it reads a file.
    m_bytes = bytes;
    m_buffer.setBuffer(&m_bytes);
    m_buffer.open(QIODevice::ReadOnly);
    m_reader.setDevice(&m_buffer);
    m_reader.setNamespaceProcessing(false);
}

bool XmlRootReader::next() {
    if (!m_scanning)
        return nextStreamed();
    if (m_item == m_scanned.items.size())
        return false;
    const ScannedXml::Item& item = m_scanned.items[m_item++];
    m_depth = item.depth;
    switch (item.kind) {
    case ScannedXml::Kind::StartElement:
        m_token = Token::StartElement;
        break;
    case ScannedXml::Kind::EndElement:
        m_token = Token::EndElement;
        break;
    case ScannedXml::Kind::Text:
        m_token = Token::Text;
        if (item.form != ScannedXml::Form::AsIs) {
            m_resolved.resize(0);
            appendResolved(m_scanned.span(item.begin, item.size), item.form, m_resolved);
        }
        break;
    }
    return true;
}

bool XmlRootReader::nextStreamed() {
    const auto firstNode = [this](bool isElement) {
        if (!m_sawFirstNode) {
            m_sawFirstNode = true;
            m_rootIsElement = isElement;
        }
    };
    while (!m_reader.atEnd()) {
        switch (m_reader.readNext()) {
        case QXmlStreamReader::StartDocument:
            // The model makes a declaration a node of its own.
            if (!m_reader.documentVersion().isEmpty())
                firstNode(false);
            break;
        case QXmlStreamReader::DTD:
            // The reader lets a document type stand after an element, or twice; the model does not.
            if (m_sawFirstNode && (m_rootIsElement || m_sawDocumentType)) {
                m_error = QStringLiteral("Unexpected token (line %1, column %2)")
                              .arg(m_reader.lineNumber())
                              .arg(m_reader.columnNumber());
                return false;
            }
            m_sawDocumentType = true;
            firstNode(false);
            break;
        case QXmlStreamReader::Comment:
        case QXmlStreamReader::ProcessingInstruction:
            if (m_open == 0)
                firstNode(false);
            break;
        case QXmlStreamReader::StartElement:
            if (++m_open > kMaxDepth) {
                m_error = QStringLiteral("elements nested more than %1 levels deep (line %2)")
                              .arg(kMaxDepth)
                              .arg(m_reader.lineNumber());
                return false;
            }
            firstNode(true);
            if (!m_rootIsElement)
                break;
            m_token = Token::StartElement;
            m_depth = m_open;
            return true;
        case QXmlStreamReader::EndElement:
            m_depth = m_open--;
            if (!m_rootIsElement)
                break;
            m_token = Token::EndElement;
            return true;
        case QXmlStreamReader::Characters:
            // Texts are taken as they stand, those made only of blanks included, as parseXmlFile
            // keeps them; blanks around the root belong to no element.
            if (!m_rootIsElement || m_open == 0)
                break;
            m_token = Token::Text;
            m_depth = m_open;
            return true;
        case QXmlStreamReader::Invalid:
            m_error = QStringLiteral("%1 (line %2, column %3)")
                          .arg(m_reader.errorString())
                          .arg(m_reader.lineNumber())
                          .arg(m_reader.columnNumber());
            return false;
        default:
            break;
        }
    }
    return false;
}

bool XmlRootReader::finished(QString* error) const {
    if (m_error.isEmpty())
        return true;
    if (error)
        *error = m_error;
    return false;
}

QStringView XmlRootReader::name() const {
    if (!m_scanning)
        return m_reader.qualifiedName();
    if (m_item == 0 || m_token == Token::Text)
        return {};
    const ScannedXml::Item& item = m_scanned.items[m_item - 1];
    return m_scanned.span(item.begin, item.size);
}

QStringView XmlRootReader::text() const {
    if (!m_scanning)
        return m_reader.text();
    if (m_item == 0 || m_token != Token::Text)
        return {};
    const ScannedXml::Item& item = m_scanned.items[m_item - 1];
    if (item.form != ScannedXml::Form::AsIs)
        return m_resolved;
    return m_scanned.span(item.begin, item.size);
}

const ScannedXml::Attribute* XmlRootReader::scannedAttribute(QLatin1StringView name) const {
    if (m_item == 0 || m_token != Token::StartElement)
        return nullptr;
    const ScannedXml::Item& item = m_scanned.items[m_item - 1];
    const ScannedXml::Attribute* const first = m_scanned.attributes.data() + item.firstAttribute;
    const auto matches = [this, name](const ScannedXml::Attribute& a) {
        if (a.nameSize != name.size())
            return false;
        const QChar* chars = m_scanned.chars.constData() + a.name;
        for (qsizetype k = 0; k < name.size(); ++k) {
            if (chars[k].unicode() != char16_t(uchar(name.data()[k])))
                return false;
        }
        return true;
    };
    // Attributes are mostly asked for in the order they stand: the search starts after the last found.
    const std::int32_t count = item.attributeCount;
    const std::int32_t start = m_lastAttribute < count ? m_lastAttribute : 0;
    for (std::int32_t k = 0; k < count; ++k) {
        const std::int32_t at = start + k < count ? start + k : start + k - count;
        if (matches(first[at])) {
            m_lastAttribute = at + 1;
            return first + at;
        }
    }
    return nullptr;
}

QString XmlRootReader::attribute(QLatin1StringView name) const {
    if (!m_scanning)
        return m_reader.attributes().value(name).toString();
    const ScannedXml::Attribute* found = scannedAttribute(name);
    if (!found)
        return QString();
    const QStringView raw = m_scanned.span(found->value, found->valueSize);
    if (found->form == ScannedXml::Form::AsIs)
        return raw.toString();
    QString value;
    value.reserve(raw.size());
    appendResolved(raw, found->form, value);
    return value;
}

bool XmlRootReader::hasAttribute(QLatin1StringView name) const {
    if (!m_scanning)
        return m_reader.attributes().hasAttribute(name);
    return scannedAttribute(name) != nullptr;
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
    // Nearly every text is clean: it is returned shared, without a copy, unless something goes.
    if (std::all_of(text.cbegin(), text.cend(), [](QChar c) {
            const char16_t u = c.unicode();
            return (u >= 0x20 && u < 0xD800) || isXmlCharacter(u); // a lone surrogate is none
        }))
        return text;
    QString kept;
    kept.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            kept += c;
            kept += text[++i];
            continue;
        }
        if (!isXmlCharacter(c.unicode()))
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
