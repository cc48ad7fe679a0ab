#include "core/language/Language.h"
#include "core/language/MessageCatalog.h"
#include "core/shell/ProgramState.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

const QChar kPilcrow(0x00B6);

TEST(MessageCatalog, BuiltInTextsFillSixteenHundredSlots) {
    MessageCatalog catalog;
    EXPECT_EQ(MessageCatalog::SlotCount, 1600);
    // Each window's block holds its texts without gaps from its first slot; 38 to 42, 593, 1047 and
    // 1060 to 1063 are this product's own messages, and so are 1200 to 1230 (the review windows), 1231
    // to 1239 and 1240 to 1279 (the NMEA monitor), 1280 to 1287 and 1290 to 1296. Every other slot
    // holds one blank.
    const std::pair<int, int> withText[] = {
        {0, 42},      {100, 110},   {200, 207},   {300, 323},   {400, 593},   {600, 630},   {700, 710},
        {800, 837},   {900, 907},   {1000, 1047}, {1060, 1063}, {1100, 1199}, {1200, 1230}, {1231, 1239},
        {1240, 1279}, {1280, 1287}, {1290, 1296}, {1300, 1398}, {1400, 1474}, {1500, 1550}};
    for (int slot = 0; slot < 1600; ++slot) {
        const bool expected = std::any_of(std::begin(withText), std::end(withText), [slot](auto range) {
            return slot >= range.first && slot <= range.second;
        });
        const QString text = catalog.text(slot);
        if (expected)
            EXPECT_FALSE(text.trimmed().isEmpty()) << slot;
        else
            EXPECT_EQ(text, QStringLiteral(" ")) << slot;
    }
    EXPECT_EQ(catalog.text(9), QStringLiteral("None Configuration Opened "));
    EXPECT_EQ(catalog.text(11), QStringLiteral("Opened Configuration of the Converter : "));
    EXPECT_EQ(catalog.text(306), QStringLiteral(" / "));
    EXPECT_EQ(catalog.text(427), QStringLiteral(" RS232 "));
    EXPECT_EQ(catalog.text(1038), QStringLiteral("!! Position Must be Between 0 and "));
    EXPECT_EQ(catalog.text(1197),
              QStringLiteral("Error EtherNet/IP!! Number Byte Input must be between 0 and %d"));
}

struct LineCase {
    const char* line;
    int slot;
    QString expected; // the slot's text afterwards
};

QString pil(const char* text) {
    return QString::fromUtf8(text).replace(u'|', kPilcrow);
}

TEST(LanguageLine, FollowsTheEntryRules) {
    const std::vector<LineCase> cases = {
        {"STR12 = Information", 12, "Information"},
        {"STR12=Information", 1, "Information"},
        {"STR5=Begin", 5, "Step 5"},
        {"STR9 = |None Configuration Opened |", 9, "None Configuration Opened "},
        {"STR305 = |Page | /#/ page label", 305, "Page "},
        {"STR38 = | |", 38, " "},
        {"STR38 = |", 38, ""},
        {"STR7 = ", 7, "Step 7"},
        {"STR1599 = Last", 1599, "Last"},
        {"str12 = Information", 12, "twelve"},
        {"  \tSTR20 = Communication  \r", 20, "Communication"},
        {"STR21 = Access /#/ comment", 21, "Access"},
        {"STR22 = /#/ only a comment", 22, "Create a new configuration for the device"},
        {"STR-1 = Minus", 0, "Begin"},
        {"STR 4 = Four", 4, "Four"},
        {"STRx = Letters", 0, "Begin"},
        {"STR$C = Hex", 12, "twelve"},
        {"STRx0C = Hex", 12, "twelve"},
        {"STR0X0c = Hex", 12, "twelve"},
        {"STR24 Set", 24, "Set the main parameters of Protocols"},
        {"STR25 = a = b", 25, "a = b"},
    };
    for (const LineCase& c : cases) {
        MessageCatalog catalog;
        catalog.setText(12, QStringLiteral("twelve"));
        applyLanguageLine(catalog, pil(c.line));
        EXPECT_EQ(catalog.text(c.slot), pil(c.expected.toUtf8().constData())) << c.line;
    }
}

TEST(LanguageLine, OutOfRangeSlotsAreIgnored) {
    MessageCatalog catalog;
    const MessageCatalog untouched;
    applyLanguageLine(catalog, QStringLiteral("STR1600 = Text"));
    applyLanguageLine(catalog, QStringLiteral("STR-5 = Text"));
    for (int slot = 0; slot < 1600; ++slot)
        ASSERT_EQ(catalog.text(slot), untouched.text(slot));
}

TEST(LanguageFile, DecodesByByteOrderMarkElseWindows1252) {
    const QString text = QStringLiteral("STR0 = Caff\u00E8 \u20AC");
    QByteArray utf16le("\xFF\xFE", 2);
    for (QChar c : text) {
        utf16le.append(char(c.unicode() & 0xFF));
        utf16le.append(char(c.unicode() >> 8));
    }
    QByteArray utf16be("\xFE\xFF", 2);
    for (QChar c : text) {
        utf16be.append(char(c.unicode() >> 8));
        utf16be.append(char(c.unicode() & 0xFF));
    }
    EXPECT_EQ(decodeLanguageFile("\xEF\xBB\xBF" + text.toUtf8()), text);
    EXPECT_EQ(decodeLanguageFile(utf16le), text);
    EXPECT_EQ(decodeLanguageFile(utf16be), text);
    EXPECT_EQ(decodeLanguageFile("STR0 = Caff\xE8 \x80"), text);
}

class LoadLanguage : public ::testing::Test {
protected:
    void SetUp() override {
        m_state.setProgramFolder(m_dir.path());
        QDir().mkpath(m_state.Dir_Language);
    }
    void writeLanguage(const QString& name, const QByteArray& content) {
        QFile file(m_state.Dir_Language + QDir::separator() + name + ".lng");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QTemporaryDir m_dir;
    ProgramState m_state;
};

TEST_F(LoadLanguage, AppliesTheChosenFileOverTheBuiltInTexts) {
    writeLanguage("Deutsch", "Header line\r\nSTR0 = Anfang\r\nSTR12 = Erste\rSTR12 = Zweite\nSTR1599 = Ende");
    m_state.Language_Name = QStringLiteral("Deutsch");
    Load_Language(m_state);
    EXPECT_EQ(m_state.Language_Name, QStringLiteral("Deutsch"));
    EXPECT_EQ(m_state.msg(0), QStringLiteral("Anfang"));
    EXPECT_EQ(m_state.msg(12), QStringLiteral("Zweite"));
    EXPECT_EQ(m_state.msg(1599), QStringLiteral("Ende"));
}

TEST_F(LoadLanguage, MissingFileFallsBackToEnglishFile) {
    writeLanguage("English", "STR0 = Start");
    m_state.Language_Name = QStringLiteral("Deutsch");
    Load_Language(m_state);
    EXPECT_EQ(m_state.Language_Name, QStringLiteral("English"));
    EXPECT_EQ(m_state.msg(0), QStringLiteral("Start"));
}

TEST_F(LoadLanguage, NoFileAtAllLeavesBuiltInTexts) {
    m_state.Language_Name = QStringLiteral("Deutsch");
    Load_Language(m_state);
    EXPECT_EQ(m_state.Language_Name, QStringLiteral("English"));
    EXPECT_EQ(m_state.msg(0), QStringLiteral("Begin"));
}

TEST_F(LoadLanguage, EachLoadStartsFromTheBuiltInTexts) {
    writeLanguage("Italiano", "STR20 = Comunicazione");
    writeLanguage("Deutsch", "STR0 = Anfang");
    m_state.Language_Name = QStringLiteral("Italiano");
    Load_Language(m_state);
    ASSERT_EQ(m_state.msg(20), QStringLiteral("Comunicazione"));
    m_state.Language_Name = QStringLiteral("Deutsch");
    Load_Language(m_state);
    EXPECT_EQ(m_state.msg(20), QStringLiteral("Set Communication"));
}

} // namespace
