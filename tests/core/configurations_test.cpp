#include "core/shell/Configurations.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using Configurations::CreateResult;

class ConfigurationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        QDir(m_dir.path()).mkdir(QStringLiteral("PROJECTS"));
        m_projects = m_dir.path() + "/PROJECTS";
    }
    QStringList entriesOutsideProjects() const {
        return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }
    QTemporaryDir m_dir;
    QString m_projects;
};

TEST_F(ConfigurationsTest, CreatesTheFolderWithItsBinFolder) {
    EXPECT_EQ(Configurations::create(m_projects, QStringLiteral("A")), CreateResult::Created);
    EXPECT_TRUE(QFileInfo(m_projects + "/A/bin").isDir());
    EXPECT_TRUE(QDir(m_projects + "/A").entryList(QDir::Files).isEmpty());
    EXPECT_EQ(Configurations::create(m_projects, QStringLiteral("A")), CreateResult::AlreadyExists);
    EXPECT_EQ(Configurations::create(m_projects, QString()), CreateResult::EmptyName);
}

TEST_F(ConfigurationsTest, NamesAreTakenAsTyped) {
    EXPECT_EQ(Configurations::create(m_projects, QStringLiteral(" Ship 1 ")), CreateResult::Created);
    EXPECT_TRUE(QFileInfo(m_projects + "/ Ship 1 ").isDir());
}

TEST_F(ConfigurationsTest, NamesThatLeaveTheProjectsFolderCreateNothing) {
    for (const char* name : {"..", ".", "../evil", "a/b", "a\\b", "/tmp/x", "..\\x", "sub/../.."}) {
        EXPECT_EQ(Configurations::create(m_projects, QString::fromUtf8(name)), CreateResult::NotValid)
            << name;
    }
    EXPECT_EQ(entriesOutsideProjects(), QStringList{QStringLiteral("PROJECTS")});
    EXPECT_TRUE(QDir(m_projects).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

TEST_F(ConfigurationsTest, RememberedNameOpensOnlyAnExistingFolderInsideTheProjects) {
    QDir(m_projects).mkdir(QStringLiteral("Ship"));
    QDir(m_dir.path()).mkdir(QStringLiteral("Outside"));
    QFile file(m_projects + "/file.txt");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const struct {
        const char* name;
        bool opens;
    } cases[] = {{"Ship", true}, {"", false},           {"Gone", false}, {"file.txt", false},
                 {"..", false},  {"../Outside", false}, {".", false}};
    for (const auto& c : cases) {
        const QString folder = Configurations::existingFolder(m_projects, QString::fromUtf8(c.name));
        EXPECT_EQ(folder, c.opens ? m_projects + QDir::separator() + c.name : QString()) << c.name;
    }
}

TEST_F(ConfigurationsTest, ListsFoldersOnlyAndFindsTheOpenOneWithoutRegardToCase) {
    for (const char* name : {"beta", "ABC", "Zulu"})
        QDir(m_projects).mkdir(QString::fromUtf8(name));
    QDir(m_projects).mkdir(QStringLiteral(".hidden"));
    QFile file(m_projects + "/file.txt");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QStringList names = Configurations::list(m_projects);
    EXPECT_EQ(names, (QStringList{"ABC", "beta", "Zulu"}));
    EXPECT_EQ(Configurations::Search_Open_Conf(names, QStringLiteral("abc")), 0);
    EXPECT_EQ(Configurations::Search_Open_Conf(names, QStringLiteral("ZULU")), 2);
    EXPECT_EQ(Configurations::Search_Open_Conf(names, QString()), -1);
    EXPECT_EQ(Configurations::list(m_dir.path() + "/missing"), QStringList());
}

} // namespace
