#include "core/options/LanguageList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class LanguageFolder : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    // The folder as the program names it, with the platform's separator.
    QString folder() const { return QDir::toNativeSeparators(m_dir.path()); }
    QString path(const QString& name) const { return QDir::toNativeSeparators(m_dir.filePath(name)); }
    void touch(const QString& name) const {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QTemporaryDir m_dir;
};

TEST_F(LanguageFolder, ListsWritableLngFilesSortedWithoutRegardToCase) {
    for (const char* name : {"Zulu.lng", "alpha.lng", "Beta.lng", ".Hidden.lng", "Locked.lng", "Shouting.LNG",
                             "notes.txt", "Zulu.lng.bak", ".lng"})
        touch(QString::fromLatin1(name));
    QDir().mkdir(path(QStringLiteral("Folder.lng")));
    // The owner's write bit decides, also for root, whom a write test never refuses.
    QFile::setPermissions(path(QStringLiteral("Locked.lng")),
                          QFileDevice::ReadOwner | QFileDevice::ReadGroup);

    EXPECT_EQ(LanguageList::list(m_dir.path()),
              QStringList({".Hidden.lng", "alpha.lng", "Beta.lng", "Zulu.lng"}));
}

TEST_F(LanguageFolder, NoFolderOrNoFilesGiveAnEmptyList) {
    EXPECT_TRUE(LanguageList::list(m_dir.path()).isEmpty());
    EXPECT_TRUE(LanguageList::list(path(QStringLiteral("missing"))).isEmpty());
}

TEST_F(LanguageFolder, AFlagFallsBackToTheDefaultFlagThenToNone) {
    EXPECT_EQ(LanguageList::flagFile(folder(), QStringLiteral("Italiano")), QString());
    touch(QStringLiteral("DefaultFlag.bmp"));
    EXPECT_EQ(LanguageList::flagFile(folder(), QStringLiteral("Italiano")),
              path(QStringLiteral("DefaultFlag.bmp")));
    touch(QStringLiteral("Italiano.bmp"));
    EXPECT_EQ(LanguageList::flagFile(folder(), QStringLiteral("Italiano")),
              path(QStringLiteral("Italiano.bmp")));
}

TEST(LanguagePages, SixToAPage) {
    const struct {
        int languages, page, pages, shown;
    } cases[] = {
        {0, 1, 0, 0}, {1, 1, 1, 1}, {6, 1, 1, 6}, {7, 1, 2, 6}, {7, 2, 2, 1}, {12, 2, 2, 6}, {13, 3, 3, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.languages << " languages, page " << c.page);
        EXPECT_EQ(LanguageList::pageCount(c.languages), c.pages);
        EXPECT_EQ(LanguageList::entriesOnPage(c.languages, c.page), c.shown);
    }
}

} // namespace
