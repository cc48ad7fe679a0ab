// Every slot the code names has a text of its own: built in, and in each shipped language.
#include "core/language/BuiltinTexts.h"
#include "core/language/MessageCatalog.h"
#include "core/language/TextSlots.h"

#include "TextSlotNames.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace {

const QString kUnset = QStringLiteral("\x01");

TEST(TextSlots, TheHeaderIsReadAsTheCompilerReadsIt) {
    const std::map<std::string, int> named = namedSlots();
    EXPECT_EQ(named.at("Main::Begin"), TextSlot::Main::Begin);
    EXPECT_EQ(named.at("Main::Steps[7]"), TextSlot::Main::Steps.at(7));
    EXPECT_EQ(named.at("ParGen::RS485_2[8]"), TextSlot::ParGen::RS485_2.at(TextSlot::PortStopBitsTip));
    EXPECT_EQ(named.at("NmeaAccess::RowsNotSaved"), TextSlot::NmeaAccess::RowsNotSaved);
    EXPECT_EQ(named.count("ParGen::RS232[9]"), 0u);
    // Every declaration line of the header was understood.
    QFile header(QStringLiteral(TESSELLOR_SOURCE_DIR "/src/core/language/TextSlots.h"));
    ASSERT_TRUE(header.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(header.readAll());
    const auto declarations = [&text](const char* type) {
        return int(
            text.count(QRegularExpression(QStringLiteral("^inline constexpr %1 ").arg(QLatin1String(type)),
                                          QRegularExpression::MultilineOption)));
    };
    const int singles = declarations("int");
    const int ranges = declarations("TextRange");
    int singlesRead = 0;
    std::set<std::string> rangesRead;
    for (const auto& [name, slot] : named) {
        if (name.back() == ']')
            rangesRead.insert(name.substr(0, name.find('[')));
        else
            ++singlesRead;
    }
    EXPECT_EQ(singlesRead, singles);
    EXPECT_EQ(int(rangesRead.size()), ranges);
}

TEST(TextSlots, EveryNamedSlotHasABuiltInTextAndOneInEachShippedLanguage) {
    const std::map<std::string, int> named = namedSlots();
    ASSERT_GT(named.size(), 150u);

    std::set<int> builtIn;
    for (int i = 0; i < kBuiltinTextCount; ++i)
        builtIn.insert(kBuiltinTexts[i].slot);
    for (const auto& [name, slot] : named)
        EXPECT_TRUE(builtIn.count(slot)) << name << " (" << slot << ") has no built-in text";

    const QDir folder(QStringLiteral(TESSELLOR_SOURCE_DIR "/data/LANGUAGE"));
    const QStringList files = folder.entryList({QStringLiteral("*.lng")}, QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        MessageCatalog catalog;
        for (int slot = 0; slot < MessageCatalog::SlotCount; ++slot)
            catalog.setText(slot, kUnset);
        ASSERT_TRUE(catalog.Load_Lng_File(folder.filePath(file)));
        for (const auto& [name, slot] : named)
            EXPECT_NE(catalog.text(slot), kUnset) << name << " (" << slot << ") has no text";
    }
}

} // namespace
