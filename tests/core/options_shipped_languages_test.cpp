// The language files the product ships: complete, loadable line by line, and faithful to the
// blanks and placeholders the program joins and formats them with.
#include "core/language/BuiltinTexts.h"
#include "core/language/MessageCatalog.h"
#include "core/util/TextRules.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

const QString kFolder = QStringLiteral(TESSELLOR_SOURCE_DIR "/data/LANGUAGE");
const QString kUnset = QStringLiteral("\x01");

// Applies every line meant as an entry (one that begins with STR in any case) on its own and
// returns slot -> text; each such line must change exactly one slot.
std::map<int, QString> entries(const QString& language) {
    QFile file(QDir(kFolder).filePath(language + QStringLiteral(".lng")));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << language.toStdString();
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF")) << "no UTF-8 byte-order mark";

    std::map<int, QString> result;
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    for (const QString& line : decodeLanguageFile(bytes).split(lineBreak)) {
        if (!trimText(line).startsWith(QStringLiteral("STR"), Qt::CaseInsensitive))
            continue;
        MessageCatalog catalog;
        for (int slot = 0; slot < MessageCatalog::SlotCount; ++slot)
            catalog.setText(slot, kUnset);
        applyLanguageLine(catalog, line);
        std::vector<int> changed;
        for (int slot = 0; slot < MessageCatalog::SlotCount; ++slot) {
            if (catalog.text(slot) != kUnset)
                changed.push_back(slot);
        }
        if (changed.size() != 1) {
            ADD_FAILURE() << "line ignored or misread: " << line.toStdString();
            continue;
        }
        EXPECT_EQ(result.count(changed[0]), 0u) << "slot named twice: " << changed[0];
        result[changed[0]] = catalog.text(changed[0]);
    }
    return result;
}

int count(const QString& text, const QString& part) {
    return int(text.count(part));
}

TEST(ShippedLanguages, EnglishIsTheTemplateOfEveryShownText) {
    const std::map<int, QString> english = entries(QStringLiteral("English"));
    std::set<int> named;
    for (const auto& [slot, text] : english)
        named.insert(slot);
    std::set<int> shown;
    for (int i = 0; i < kBuiltinTextCount; ++i) {
        shown.insert(kBuiltinTexts[i].slot);
        const auto found = english.find(kBuiltinTexts[i].slot);
        if (found != english.end()) {
            EXPECT_EQ(found->second, QString::fromUtf8(kBuiltinTexts[i].text)) << "slot " << found->first;
        }
    }
    EXPECT_EQ(named, shown);
}

TEST(ShippedLanguages, TranslationsCoverEveryShownTextWithItsBlanksAndPlaceholders) {
    for (const char* language : {"Italiano", "Deutsch"}) {
        SCOPED_TRACE(language);
        const std::map<int, QString> translated = entries(QString::fromLatin1(language));
        std::set<int> missing;
        for (int i = 0; i < kBuiltinTextCount; ++i) {
            const int slot = kBuiltinTexts[i].slot;
            const QString english = QString::fromUtf8(kBuiltinTexts[i].text);
            const auto found = translated.find(slot);
            if (found == translated.end()) {
                missing.insert(slot);
                continue;
            }
            const QString& text = found->second;
            SCOPED_TRACE(testing::Message() << "slot " << slot << ": " << text.toStdString());
            EXPECT_FALSE(trimText(text).isEmpty());
            // Messages are joined from slots, so a blank at either end must survive translation
            // (a language may add one where its word order puts a word after the join).
            if (english.startsWith(u' ')) {
                EXPECT_TRUE(text.startsWith(u' '));
            }
            if (english.endsWith(u' ')) {
                EXPECT_TRUE(text.endsWith(u' '));
            }
            for (const QString& placeholder : {QStringLiteral("%d"), QStringLiteral("%1")})
                EXPECT_EQ(count(text, placeholder), count(english, placeholder));
            EXPECT_FALSE(text.contains(QChar::ReplacementCharacter));
        }
        EXPECT_TRUE(missing.empty()) << "first missing slot: " << (missing.empty() ? -1 : *missing.begin());
        EXPECT_EQ(translated.size(), std::size_t(kBuiltinTextCount)) << "names a slot that is never shown";
    }
}

TEST(ShippedLanguages, EveryLanguageHasA48By48Flag) {
    for (const char* name : {"English", "Italiano", "Deutsch", "DefaultFlag"}) {
        SCOPED_TRACE(name);
        QFile file(QDir(kFolder).filePath(QString::fromLatin1(name) + QStringLiteral(".bmp")));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray header = file.read(26);
        ASSERT_EQ(header.size(), 26);
        EXPECT_TRUE(header.startsWith("BM"));
        const auto little = [&](int at) {
            return qint32(quint8(header[at]) | quint8(header[at + 1]) << 8 | quint8(header[at + 2]) << 16 |
                          quint8(header[at + 3]) << 24);
        };
        EXPECT_EQ(little(18), 48);
        EXPECT_EQ(little(22), 48);
    }
}

} // namespace
