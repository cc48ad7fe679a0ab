// The one list of the program's windows: every window class of the program is in it, and each
// entry builds its window once and finds it again.
#include "ProgramFixture.h"

#include "gui/shell/ProgramWindows.h"
#include "gui/shell/TFTesselloreFirmWare.h"

#include <QDirIterator>
#include <QFile>
#include <QMetaObject>
#include <QRegularExpression>
#include <QWidget>

#include <set>

namespace {

// The classes of the program's sources that derive from the window base, read from the sources,
// so a window added without an entry in the list is found.
std::set<QString> windowClassesInSources() {
    static const QRegularExpression derived(
        QStringLiteral(R"(^class (\w+) : public (?:DialogBase\b|WindowBase<\w+>))"),
        QRegularExpression::MultilineOption);
    std::set<QString> classes;
    QDirIterator headers(QStringLiteral(TESSELLOR_SOURCE_DIR "/src"),
                         {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                         QDirIterator::Subdirectories);
    while (headers.hasNext()) {
        QFile header(headers.next());
        EXPECT_TRUE(header.open(QIODevice::ReadOnly)) << header.fileName().toStdString();
        for (const auto& match : derived.globalMatch(QString::fromUtf8(header.readAll())))
            classes.insert(match.captured(1));
    }
    return classes;
}

TEST(ProgramWindows, EveryWindowClassOfTheProgramIsListedOnce) {
    const std::set<QString> inSources = windowClassesInSources();
    ASSERT_GE(inSources.size(), 10u); // the header reading found the windows
    std::set<QString> listed;
    for (const ProgramWindow& window : programWindows())
        EXPECT_TRUE(listed.insert(QString::fromLatin1(window.type.className())).second)
            << window.type.className() << " is listed twice";
    EXPECT_EQ(listed, inSources);
    EXPECT_EQ(QString::fromLatin1(programWindows().front().type.className()), "TFTesselloreFirmWare");
}

class ProgramWindowsTest : public ProgramFixture {};

TEST_F(ProgramWindowsTest, EachEntryBuildsItsWindowOnceAndFindsItAgain) {
    m_main = std::make_unique<TFTesselloreFirmWare>(m_state, m_folder.path());
    for (const ProgramWindow& entry : programWindows()) {
        SCOPED_TRACE(entry.type.className());
        const bool isMain = &entry == &programWindows().front();
        EXPECT_EQ(entry.existing(*m_main) == nullptr, !isMain) << "built before it was asked for";
        QWidget* window = entry.build(*m_main);
        ASSERT_NE(window, nullptr);
        EXPECT_STREQ(window->metaObject()->className(), entry.type.className());
        EXPECT_EQ(entry.existing(*m_main), window);
        EXPECT_EQ(entry.build(*m_main), window);
        EXPECT_TRUE(isMain || window->isWindow());
    }
}

// createWindows builds the windows of the main window's steps and leaves those another window
// makes when it first needs them.
TEST_F(ProgramWindowsTest, CreateWindowsBuildsAllButTheWindowsMadeOnDemand) {
    startProgram();
    for (const ProgramWindow& entry : programWindows())
        EXPECT_EQ(entry.existing(*m_main) != nullptr, !entry.onDemand) << entry.type.className();
}

} // namespace
