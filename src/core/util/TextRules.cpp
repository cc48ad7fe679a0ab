#include "core/util/TextRules.h"

#include <algorithm>

namespace {

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

} // namespace

std::optional<qint32> parseIntText(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    bool hex = false;
    if (i < n && text[i] == u'$') {
        hex = true;
        ++i;
    } else if (i < n && (text[i] == u'x' || text[i] == u'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        hex = true;
        i += 2;
    }
    if (i >= n)
        return std::nullopt;

    qint64 value = 0;
    if (hex) {
        for (; i < n; ++i) {
            const int d = hexDigit(text[i]);
            if (d < 0)
                return std::nullopt;
            value = value * 16 + d;
            if (value > 0xFFFFFFFFLL)
                return std::nullopt;
        }
        // Up to 32 bits taken as a two's-complement pattern; the sign applies afterwards.
        const auto pattern = static_cast<qint32>(static_cast<quint32>(value));
        if (!negative)
            return pattern;
        return static_cast<qint32>(0u - static_cast<quint32>(pattern));
    }
    for (; i < n; ++i) {
        const char16_t u = text[i].unicode();
        if (u < '0' || u > '9')
            return std::nullopt;
        value = value * 10 + (u - '0');
        if (value > 2147483648LL)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > 2147483647LL || value < -2147483648LL)
        return std::nullopt;
    return static_cast<qint32>(value);
}

qint32 intTextOr(const QString& text, qint32 fallback) {
    return parseIntText(text).value_or(fallback);
}

QStringView trimTextView(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 0x20)
        --end;
    return text.sliced(begin, end - begin);
}

QString trimText(const QString& text) {
    const QStringView trimmed = trimTextView(text);
    // A text without blanks around it is shared, not copied.
    return trimmed.size() == text.size() ? text : trimmed.toString();
}

QString upperAscii(const QString& text) {
    // Stored texts are mostly upper case already: those are returned shared, without a copy.
    if (std::none_of(text.cbegin(), text.cend(),
                     [](QChar c) { return c.unicode() >= 'a' && c.unicode() <= 'z'; }))
        return text;
    QString result = text;
    for (QChar& c : result) {
        if (c.unicode() >= 'a' && c.unicode() <= 'z')
            c = QChar(c.unicode() - 'a' + 'A');
    }
    return result;
}

QString withoutControlCharacters(const QString& text) {
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text) {
        const QChar::Category category = c.category();
        if (category != QChar::Other_Control && category != QChar::Separator_Line &&
            category != QChar::Separator_Paragraph)
            kept += c;
    }
    return kept;
}
