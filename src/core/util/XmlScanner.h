#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <vector>

// A document of the plain kind our programs write, read whole in one pass over memory: UTF-8
// without a byte order mark, the root element first, ASCII names, the five predefined entities and
// character references, comments and CDATA sections. Whatever lies beyond that plain kind, and
// whatever might not be well-formed, is left to the XML parser, so the scanner only has to be right
// about what it accepts.
struct ScannedXml {
    enum class Kind : std::uint8_t { StartElement, EndElement, Text };
    // How a span's characters become its value.
    enum class Form : std::uint8_t {
        AsIs,      // the characters as they stand
        Text,      // references resolved, line ends made line feeds
        Cdata,     // line ends made line feeds
        Attribute, // references resolved, every tab and line end a space
    };

    struct Item {
        Kind kind;
        Form form;
        std::uint16_t depth;
        std::int32_t begin; // of the name, or of the text
        std::int32_t size;
        std::int32_t firstAttribute; // of a start element
        std::int32_t attributeCount;
    };
    struct Attribute {
        std::int32_t name;
        std::int32_t nameSize;
        std::int32_t value;
        std::int32_t valueSize;
        Form form;
    };

    QString chars; // the whole document, decoded
    std::vector<Item> items;
    std::vector<Attribute> attributes;

    QStringView span(std::int32_t begin, std::int32_t size) const {
        return QStringView(chars.constData() + begin, size);
    }
    void clear();
};

// Scans bytes into scanned; false when they are not of the plain kind or nest deeper than
// maxDepth, which leaves scanned empty.
bool scanPlainXml(const QByteArray& bytes, int maxDepth, ScannedXml& scanned);

// Appends the value of the raw characters of a span of the given form to out.
void appendResolved(QStringView raw, ScannedXml::Form form, QString& out);
