#include "core/language/MessageCatalog.h"

#include "core/language/BuiltinTexts.h"
#include "core/util/TextRules.h"

#include <QFile>
#include <QStringDecoder>

namespace {

const QString kBlank = QStringLiteral(" ");
const QChar kPilcrow = QChar(0x00B6);

// The upper half of Windows-1252 that differs from Latin-1 (0x80 to 0x9F).
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString decodeCp1252(const QByteArray& bytes) {
    QString result;
    result.reserve(bytes.size());
    for (char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        result.append(QChar(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t(b)));
    }
    return result;
}

// Slot numbers are decimal: a line written with a hexadecimal number names no slot.
std::optional<qint32> decimalSlot(const QString& text) {
    if (text.contains(u'$') || text.contains(u'x', Qt::CaseInsensitive))
        return std::nullopt;
    return parseIntText(text);
}

} // namespace

MessageCatalog::MessageCatalog() {
    Build_Default_Texts();
}

void MessageCatalog::Build_Default_Texts() {
    // The table is decoded once per run; every catalog shares that list until it changes a text.
    static const QStringList builtIn = [] {
        QStringList texts(SlotCount, kBlank);
        for (int i = 0; i < kBuiltinTextCount; ++i)
            texts[kBuiltinTexts[i].slot] = QString::fromUtf8(kBuiltinTexts[i].text);
        for (int i = 0; i < kHiddenTextCount; ++i)
            texts[kHiddenTexts[i].slot] = QString::fromUtf8(kHiddenTexts[i].text);
        return texts;
    }();
    m_texts = builtIn;
}

QString MessageCatalog::text(int slot) const {
    if (slot < 0 || slot >= m_texts.size())
        return kBlank;
    return m_texts[slot];
}

void MessageCatalog::setText(int slot, const QString& text) {
    if (slot >= 0 && slot < m_texts.size())
        m_texts[slot] = text;
}

QString decodeLanguageFile(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder decoder(QStringConverter::Utf16LE);
        return decoder(bytes.mid(2));
    }
    if (bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(QStringConverter::Utf16BE);
        return decoder(bytes.mid(2));
    }
    return decodeCp1252(bytes);
}

namespace {

void applyLine(MessageCatalog& catalog, QStringView rawLine) {
    const QStringView line = trimTextView(rawLine);
    if (!line.startsWith(u"STR"))
        return;
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0)
        return;
    // The slot number stands between STR and "=", less the one character just before "=".
    const qsizetype numberLength = equals - 4;
    if (numberLength <= 0)
        return;
    const auto slot = decimalSlot(trimTextView(line.sliced(3, numberLength)).toString());
    if (!slot || *slot < 0 || *slot >= MessageCatalog::SlotCount)
        return;
    QStringView text = trimTextView(line.sliced(equals + 1));
    if (text.isEmpty())
        return;
    const qsizetype comment = text.indexOf(u"/#/");
    if (comment >= 0) {
        text = trimTextView(text.first(comment));
        // A text that was all comment leaves the slot as it was, like an empty one.
        if (text.isEmpty())
            return;
    }
    if (text.startsWith(kPilcrow))
        text = text.sliced(1);
    const qsizetype pilcrow = text.indexOf(kPilcrow);
    if (pilcrow >= 0)
        text = text.first(pilcrow);
    catalog.setText(*slot, text.toString());
}

} // namespace

void applyLanguageLine(MessageCatalog& catalog, const QString& line) {
    applyLine(catalog, line);
}

bool MessageCatalog::Load_Lng_File(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QString content = decodeLanguageFile(file.readAll());
    // A line ends at CR LF, a lone CR or a lone LF.
    const QStringView text(content);
    qsizetype begin = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c != u'\r' && c != u'\n')
            continue;
        applyLine(*this, text.sliced(begin, i - begin));
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        begin = i + 1;
    }
    applyLine(*this, text.sliced(begin));
    return true;
}
