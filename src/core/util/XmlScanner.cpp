#include "core/util/XmlScanner.h"

#include "core/util/XmlCharacters.h"

#include <array>
#include <cstring>

namespace {

using Form = ScannedXml::Form;

// Valid UTF-8 of characters XML can carry: no overlong forms, no surrogates, nothing past
// U+10FFFF, neither U+FFFE nor U+FFFF, and of the control characters only tab, line feed and
// carriage return. Anything else may be an error, or be read by rules of its own.
bool plainUtf8(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const auto* const end = p + bytes.size();
    constexpr std::uint64_t ones = 0x0101010101010101u;
    constexpr std::uint64_t highs = 0x8080808080808080u;
    while (p < end) {
        // Eight printable ASCII bytes at a time: none with the high bit, none below a blank.
        if (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, sizeof word);
            if (((word & highs) | ((word - ones * 0x20) & ~word & highs)) == 0) {
                p += 8;
                continue;
            }
        }
        const unsigned char c = *p;
        if (c < 0x80) {
            if (!isXmlCharacter(c))
                return false;
            ++p;
            continue;
        }
        int follow;
        if (c < 0xC2)
            return false; // a continuation byte, or an overlong lead
        if (c < 0xE0)
            follow = 1;
        else if (c < 0xF0)
            follow = 2;
        else if (c < 0xF5)
            follow = 3;
        else
            return false;
        if (end - p <= follow)
            return false;
        for (int k = 1; k <= follow; ++k) {
            if ((p[k] & 0xC0) != 0x80)
                return false;
        }
        const unsigned char second = p[1];
        if ((c == 0xE0 && second < 0xA0) || (c == 0xF0 && second < 0x90))
            return false; // overlong
        char32_t code = c & (0x3F >> follow);
        for (int k = 1; k <= follow; ++k)
            code = code << 6 | (p[k] & 0x3F);
        if (!isXmlCharacter(code))
            return false; // a surrogate, U+FFFE, U+FFFF or past U+10FFFF
        p += follow + 1;
    }
    return true;
}

// What each ASCII character is to the scanner; every other character is plain text.
enum CharClass : std::uint8_t {
    Blank = 1,
    NameStart = 2,
    NameChar = 4,
    StopsText = 8, // ends or changes a text
};

constexpr std::array<std::uint8_t, 128> kClasses = [] {
    std::array<std::uint8_t, 128> classes{};
    for (const char c : {' ', '\t', '\n', '\r'})
        classes[std::size_t(c)] |= Blank;
    // Names are kept to ASCII without a colon: whatever else a name may hold is the parser's to judge.
    for (int c = 0; c < 128; ++c) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_')
            classes[std::size_t(c)] |= NameStart | NameChar;
        if ((c >= '0' && c <= '9') || c == '-' || c == '.')
            classes[std::size_t(c)] |= NameChar;
    }
    for (const char c : {'\0', '<', '&', '\r', ']'})
        classes[std::size_t(c)] |= StopsText;
    return classes;
}();

bool is(char16_t c, CharClass charClass) {
    return c < 128 && (kClasses[c] & charClass) != 0;
}

bool isBlank(char16_t c) {
    return is(c, Blank);
}

bool isNameStart(char16_t c) {
    return is(c, NameStart);
}

bool isXmlCharacter(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

int digitValue(char16_t c, bool hex) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (hex && c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (hex && c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

struct Entity {
    const char16_t* name; // with its semicolon
    int size;
    char16_t value;
};
constexpr Entity kEntities[] = {
    {u"lt;", 3, u'<'}, {u"gt;", 3, u'>'}, {u"amp;", 4, u'&'}, {u"quot;", 5, u'"'}, {u"apos;", 5, u'\''},
};

// Reads the reference after an ampersand at p, which the characters end with a null; returns the
// character and moves p past the semicolon, or returns 0 for anything but a predefined entity or a
// character reference to a character XML can carry.
char32_t readReference(const char16_t*& p) {
    const char16_t* at = p + 1;
    if (*at != u'#') {
        // Compared character by character: the null at the end stops a name cut short.
        for (const Entity& entity : kEntities) {
            int k = 0;
            while (k < entity.size && at[k] == entity.name[k])
                ++k;
            if (k == entity.size) {
                p = at + entity.size;
                return entity.value;
            }
        }
        return 0;
    }
    ++at;
    const bool hex = *at == u'x';
    if (hex)
        ++at;
    // Eight digits hold every character, leading zeros aside; longer ones go to the parser.
    char32_t value = 0;
    int digits = 0;
    for (int d; (d = digitValue(*at, hex)) >= 0; ++at) {
        if (++digits > 8)
            return 0;
        value = value * (hex ? 16 : 10) + char32_t(d);
    }
    if (digits == 0 || *at != u';' || !isXmlCharacter(value))
        return 0;
    p = at + 1;
    return value;
}

void appendCharacter(char32_t c, QString& out) {
    if (QChar::requiresSurrogates(c)) {
        out += QChar(QChar::highSurrogate(c));
        out += QChar(QChar::lowSurrogate(c));
    } else {
        out += QChar(char16_t(c));
    }
}

class Scanner {
public:
    Scanner(ScannedXml& scanned, int maxDepth)
        : m_scanned(scanned), m_maxDepth(maxDepth),
          m_base(reinterpret_cast<const char16_t*>(scanned.chars.constData())), m_p(m_base) {}

    // The characters end with a null, and the bytes held none: reaching it is reaching the end.
    bool run() {
        skipBlanks();
        if (m_p[0] != u'<' || !isNameStart(m_p[1]) || !startTag())
            return false;
        while (!m_open.empty()) {
            if (!content())
                return false;
        }
        // After the root, blanks and comments only.
        for (;;) {
            skipBlanks();
            if (*m_p == 0)
                return true;
            if (!startsWith(u"<!--") || !comment())
                return false;
        }
    }

private:
    struct Name {
        std::int32_t begin;
        std::int32_t size;
    };

    std::int32_t offset(const char16_t* p) const { return std::int32_t(p - m_base); }

    bool startsWith(const char16_t* literal) const {
        for (const char16_t* p = m_p; *literal; ++p, ++literal) {
            if (*p != *literal)
                return false;
        }
        return true;
    }

    void skipBlanks() {
        while (isBlank(*m_p))
            ++m_p;
    }

    // A name at m_p, or an empty one. A name starting with "xml" is reserved, so it is left to the
    // parser too.
    Name readName() {
        const char16_t* begin = m_p;
        if (!isNameStart(*m_p))
            return {offset(begin), 0};
        while (is(*m_p, NameChar))
            ++m_p;
        const std::int32_t size = std::int32_t(m_p - begin);
        if (size >= 3 && (begin[0] | 0x20) == u'x' && (begin[1] | 0x20) == u'm' && (begin[2] | 0x20) == u'l')
            return {offset(begin), 0};
        return {offset(begin), size};
    }

    bool sameName(Name a, Name b) const {
        return a.size == b.size && m_base[a.begin] == m_base[b.begin] &&
               std::memcmp(m_base + a.begin, m_base + b.begin, std::size_t(a.size) * sizeof(char16_t)) == 0;
    }

    // From the opening angle bracket of a start tag past its closing one.
    bool startTag() {
        ++m_p;
        const Name name = readName();
        if (name.size == 0)
            return false;
        auto& attributes = m_scanned.attributes;
        const auto first = std::int32_t(attributes.size());
        bool empty = false;
        std::uint64_t sizesSeen = 0; // of the attribute names, modulo 64
        for (;;) {
            const char16_t* before = m_p;
            skipBlanks();
            if (*m_p == u'>') {
                ++m_p;
                break;
            }
            if (*m_p == u'/') {
                if (m_p[1] != u'>')
                    return false;
                m_p += 2;
                empty = true;
                break;
            }
            // Attributes stand apart by at least one blank.
            if (m_p == before)
                return false;
            const Name attribute = readName();
            if (attribute.size == 0)
                return false;
            skipBlanks();
            if (*m_p != u'=')
                return false;
            ++m_p;
            skipBlanks();
            const char16_t quote = *m_p;
            if (quote != u'"' && quote != u'\'')
                return false;
            const char16_t* value = ++m_p;
            Form form = Form::AsIs;
            for (char16_t c; (c = *m_p) != quote;) {
                // Every character that ends or changes a value lies at or below the apostrophe,
                // but the angle bracket: one comparison passes nearly all of a value.
                static_assert(u'\'' > u'"' && u'\'' > u'&' && u'\'' > u'\r');
                if (c > u'\'' && c != u'<') {
                    ++m_p;
                    continue;
                }
                if (c == 0 || c == u'<')
                    return false;
                if (c == u'&') {
                    if (readReference(m_p) == 0)
                        return false;
                    form = Form::Attribute;
                    continue;
                }
                // Tabs and line ends become spaces; blanks, the other quote and the rest stand.
                if (c == u'\t' || c == u'\n' || c == u'\r')
                    form = Form::Attribute;
                ++m_p;
            }
            // Names of a size not seen before in this tag are new, which spares most comparisons.
            const std::uint64_t sizeBit = std::uint64_t(1) << (attribute.size & 63);
            if (sizesSeen & sizeBit) {
                for (auto k = std::size_t(first); k < attributes.size(); ++k) {
                    if (sameName({attributes[k].name, attributes[k].nameSize}, attribute))
                        return false;
                }
            }
            sizesSeen |= sizeBit;
            attributes.push_back(
                {attribute.begin, attribute.size, offset(value), std::int32_t(m_p - value), form});
            ++m_p;
        }
        const auto depth = int(m_open.size()) + 1;
        if (depth > m_maxDepth)
            return false;
        const auto count = std::int32_t(attributes.size()) - first;
        m_scanned.items.push_back({ScannedXml::Kind::StartElement, Form::AsIs, std::uint16_t(depth),
                                   name.begin, name.size, first, count});
        if (empty)
            m_scanned.items.push_back({ScannedXml::Kind::EndElement, Form::AsIs, std::uint16_t(depth),
                                       name.begin, name.size, 0, 0});
        else
            m_open.push_back(name);
        return true;
    }

    // One piece of the content of the innermost open element.
    bool content() {
        if (*m_p != u'<')
            return text();
        if (m_p[1] == u'/')
            return endTag();
        if (isNameStart(m_p[1]))
            return startTag();
        if (startsWith(u"<!--"))
            return comment();
        if (startsWith(u"<![CDATA["))
            return cdata();
        return false;
    }

    bool endTag() {
        m_p += 2;
        const Name name = readName();
        if (name.size == 0 || !sameName(name, m_open.back()))
            return false;
        skipBlanks();
        if (*m_p != u'>')
            return false;
        ++m_p;
        m_scanned.items.push_back({ScannedXml::Kind::EndElement, Form::AsIs, std::uint16_t(m_open.size()),
                                   name.begin, name.size, 0, 0});
        m_open.pop_back();
        return true;
    }

    // Characters up to the next markup are one text, references and all.
    bool text() {
        const char16_t* begin = m_p;
        Form form = Form::AsIs;
        for (char16_t c; (c = *m_p) != u'<';) {
            if (!is(c, StopsText)) {
                ++m_p;
                continue;
            }
            if (c == 0)
                return false;
            if (c == u'&') {
                if (readReference(m_p) == 0)
                    return false;
                form = Form::Text;
                continue;
            }
            if (c == u'\r')
                form = Form::Text;
            else if (c == u']' && m_p[1] == u']' && m_p[2] == u'>')
                return false;
            ++m_p;
        }
        pushText(begin, form);
        return true;
    }

    bool comment() {
        m_p += 4;
        // Two hyphens end the comment, and must be followed by its closing bracket.
        for (; *m_p; ++m_p) {
            if (m_p[0] == u'-' && m_p[1] == u'-') {
                if (m_p[2] != u'>')
                    return false;
                m_p += 3;
                return true;
            }
        }
        return false;
    }

    // A section is a text of its own, even an empty one.
    bool cdata() {
        m_p += 9;
        const char16_t* begin = m_p;
        Form form = Form::AsIs;
        for (;; ++m_p) {
            if (*m_p == 0)
                return false;
            if (*m_p == u'\r')
                form = Form::Cdata;
            else if (m_p[0] == u']' && m_p[1] == u']' && m_p[2] == u'>')
                break;
        }
        pushText(begin, form);
        m_p += 3;
        return true;
    }

    void pushText(const char16_t* begin, Form form) {
        m_scanned.items.push_back({ScannedXml::Kind::Text, form, std::uint16_t(m_open.size()), offset(begin),
                                   std::int32_t(m_p - begin), 0, 0});
    }

    ScannedXml& m_scanned;
    const int m_maxDepth;
    const char16_t* const m_base;
    const char16_t* m_p;
    std::vector<Name> m_open;
};

} // namespace

void ScannedXml::clear() {
    chars.clear();
    items.clear();
    attributes.clear();
}

bool scanPlainXml(const QByteArray& bytes, int maxDepth, ScannedXml& scanned) {
    scanned.clear();
    // Blanks or the root come first: a byte order mark, which the decoding below would drop
    // unseen, is the parser's to read.
    if (bytes.isEmpty() || !(bytes[0] == '<' || isBlank(char16_t(bytes[0]))) || !plainUtf8(bytes))
        return false;
    scanned.chars = QString::fromUtf8(bytes);
    // Room for a little more than our documents hold, about one item per 100 bytes and one
    // attribute per 20, so that the lists rarely grow while scanning.
    scanned.items.reserve(std::size_t(bytes.size() / 48 + 8));
    scanned.attributes.reserve(std::size_t(bytes.size() / 16 + 8));
    if (Scanner(scanned, maxDepth).run())
        return true;
    scanned.clear();
    return false;
}

void appendResolved(QStringView raw, Form form, QString& out) {
    const char16_t* p = raw.utf16();
    const char16_t* const end = p + raw.size();
    const char16_t* run = p;
    while (p < end) {
        const char16_t c = *p;
        const bool special = (c == u'&' && form != Form::Cdata) || c == u'\r' ||
                             (form == Form::Attribute && (c == u'\t' || c == u'\n'));
        if (!special) {
            ++p;
            continue;
        }
        out.append(QStringView(run, p));
        if (c == u'&') {
            // The scanner has checked every reference; the span is followed by more characters, so
            // the reference cannot run past it.
            appendCharacter(readReference(p), out);
        } else {
            // A carriage return, alone or before a line feed, is one line end; in an attribute every
            // line end and tab is a space.
            if (c == u'\r' && p + 1 < end && p[1] == u'\n')
                ++p;
            ++p;
            out += form == Form::Attribute ? u' ' : u'\n';
        }
        run = p;
    }
    out.append(QStringView(run, end));
}
