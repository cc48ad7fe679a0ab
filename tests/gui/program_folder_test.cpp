// A program folder that takes no files (a zip unpacked into a protected folder) is said once at
// start, naming the folder, before any setting or configuration is lost there.
#include "ProgramFixture.h"

#include "core/language/TextSlots.h"
#include "core/shell/ProgramFolderAccess.h"
#include "gui/shell/TFTesselloreFirmWare.h"

#include <QDir>
#include <QFile>
#include <QTest>

#ifdef __linux__
#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#endif

namespace {

class ProgramFolder : public ProgramFixture {
protected:
    void TearDown() override {
        ProgramFixture::TearDown();
#ifdef __linux__
        if (m_mounted)
            ::umount2(QFile::encodeName(m_folder.path()).constData(), MNT_DETACH);
#endif
    }

    // Starts the program and opens its main window as the program does.
    void open() {
        startProgram();
        m_main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_main.get()));
        QCoreApplication::processEvents();
    }

    QString notice(const QString& folder) const {
        return m_state.msg(TextSlot::ProgramFolder::NotWritable).arg(QDir::toNativeSeparators(folder));
    }

    bool m_mounted = false;
};

TEST_F(ProgramFolder, AWritableFolderStartsWithoutAWord) {
    open();
    EXPECT_TRUE(m_boxes.shown().empty());
    EXPECT_EQ(ProgramFolderAccess::unwritableFolder(m_state), QString());
    // The check leaves nothing behind.
    EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

// The projects folder cannot be made: a file stands where it belongs.
TEST_F(ProgramFolder, AProjectsFolderThatCannotBeMadeIsSaidOnceAtStartNamingIt) {
    writeFile(QStringLiteral("PROJECTS"), "not a folder");
    open();
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_EQ(m_boxes.shown().front().kind, MessageBox::Kind::Warning);
    EXPECT_EQ(m_boxes.lastText(), notice(programPath(QStringLiteral("PROJECTS"))));
    EXPECT_TRUE(m_boxes.lastText().contains(programPath(QStringLiteral("PROJECTS"))));

    // Once per start: a later opening of the main window says nothing more.
    m_main->hide();
    m_main->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_boxes.shown().size(), 1u);
}

#ifdef __linux__
// The program folder itself read-only, as a protected folder is for a user without administrator
// rights.
TEST_F(ProgramFolder, AReadOnlyProgramFolderIsSaidOnceAtStartNamingIt) {
    writeFile(QStringLiteral("PROJECTS/Bridge/bin/.keep"), {});
    const QByteArray folder = QFile::encodeName(m_folder.path());
    // A read-only bind of the folder onto itself; root may write to a merely read-only folder.
    if (::mount(folder.constData(), folder.constData(), nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "no read-only folder: " << std::strerror(errno) << " (mounting needs root)";
    m_mounted = true;
    ASSERT_EQ(::mount(nullptr, folder.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr), 0)
        << std::strerror(errno);

    open();
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_EQ(m_boxes.lastText(), notice(m_state.Dir_Program));
    EXPECT_TRUE(m_boxes.lastText().contains(QDir::toNativeSeparators(m_folder.path())));
    // The configurations already there still open: only writing is refused.
    EXPECT_TRUE(QDir(programPath(QStringLiteral("PROJECTS/Bridge"))).exists());
}
#endif

} // namespace
