#include "ProgramFixture.h"
#include "core/shell/ProductIdentity.h"
#include "gui/options/TFAbout.h"
#include "gui/shell/TFNew_Project.h"
#include "gui/shell/TFOpenConf.h"
#include "gui/shell/TFTesselloreFirmWare.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

using Kind = MessageBox::Kind;

class MainWindowTest : public ProgramFixture {
protected:
    // Runs a modal window's exec() and acts on it once it is showing.
    template <typename Action> void whileModal(QWidget* window, Action action) {
        QTimer::singleShot(0, window, [window, action] {
            QTRY_VERIFY(window->isVisible());
            action();
        });
    }

    void createConfiguration(const QString& name) {
        TFNew_Project* window = m_main->newProjectWindow();
        whileModal(window, [window, name] {
            QTest::keyClicks(window->E_New_Proj, name);
            QTest::keyClick(window->E_New_Proj, Qt::Key_Return);
            if (window->isVisible())
                window->reject();
        });
        QTest::mouseClick(m_main->Btn_New, Qt::LeftButton);
    }
};

TEST_F(MainWindowTest, FirstStartCreatesFoldersAndShowsNoConfiguration) {
    startProgram();
    for (const char* folder : {"MASTER", "PROJECTS", "LANGUAGE"})
        EXPECT_TRUE(QFileInfo(programPath(folder)).isDir()) << folder;
    EXPECT_EQ(m_main->L_Name_Conf->text(), QStringLiteral("None Configuration Opened "));
    EXPECT_EQ(m_main->L_Name_Conf_L2->text(),
              QStringLiteral("Use Step1 to open or create new configuration"));
    EXPECT_EQ(m_main->windowTitle(), Product::SW_Title);
    EXPECT_EQ(m_main->L_SW_Code->text(), QStringLiteral("SW73052"));
    EXPECT_FALSE(m_main->Timer_Update->isActive());
}

TEST_F(MainWindowTest, StepsTwoToFourNeedAnOpenConfiguration) {
    startProgram();
    for (QPushButton* step : {m_main->Btn_Prm_Gen, m_main->Btn_NMEA0183_Access, m_main->Btn_CreateBin})
        QTest::mouseClick(step, Qt::LeftButton);
    ASSERT_EQ(m_boxes.shown().size(), 3u);
    for (const auto& box : m_boxes.shown()) {
        EXPECT_EQ(box.kind, Kind::Error);
        EXPECT_EQ(box.text, QStringLiteral("Error! Project not Valid"));
    }
}

TEST_F(MainWindowTest, ClosingWritesTheDefaultSettingsFile) {
    startProgram();
    m_main->close();
    EXPECT_EQ(
        readFile("Tessellor.xml"),
        QByteArray("<Conf_Settings><lastproj><projectname/></lastproj>"
                   "<lastipadd><ipaddress>192.168.2.205</ipaddress></lastipadd>"
                   "<lastlang><language>English</language></lastlang>"
                   "<lastinternet><enable_internet>0</enable_internet><enable_update>0</enable_update>"
                   "<enable_jump_field_tables>0</enable_jump_field_tables>"
                   "<Double_Click_Auto_Size>0</Double_Click_Auto_Size></lastinternet></Conf_Settings>"));
}

TEST_F(MainWindowTest, RememberedConfigurationThatWasDeletedIsNotOpenedButWrittenBack) {
    // ".." names a folder that exists, but outside the projects: the editors must not write there.
    for (const QByteArray name : {"Gone", ".."}) {
        writeFile("Tessellor.xml", "<Conf_Settings><lastproj><projectname>" + name +
                                       "</projectname></lastproj></Conf_Settings>");
        startProgram();
        EXPECT_FALSE(m_state.Conf_Is_Open()) << name.constData();
        EXPECT_EQ(m_main->L_Name_Conf->text(), QStringLiteral("None Configuration Opened "));
        m_main->close();
        EXPECT_TRUE(readFile("Tessellor.xml").contains("<projectname>" + name + "</projectname>"));
    }
}

TEST_F(MainWindowTest, RememberedConfigurationIsOpenedAtStart) {
    QDir().mkpath(programPath("PROJECTS/Ship/bin"));
    writeFile("Tessellor.xml",
              "<Conf_Settings><lastproj><projectname>Ship</projectname></lastproj></Conf_Settings>");
    startProgram();
    EXPECT_TRUE(m_state.Conf_Is_Open());
    EXPECT_EQ(m_main->L_Name_Conf->text(), QStringLiteral("Opened Configuration of the Converter : "));
    EXPECT_EQ(m_main->L_Name_Conf_L2->text(), QStringLiteral("Ship"));
    EXPECT_TRUE(m_state.File_ParGen.endsWith(QStringLiteral("Ship") + QDir::separator() + "ParGen.xml"));
}

TEST_F(MainWindowTest, NewConfigurationIsCreatedAndOpened) {
    startProgram();
    createConfiguration(QStringLiteral("A"));
    EXPECT_TRUE(m_boxes.shown().empty());
    EXPECT_TRUE(QFileInfo(programPath("PROJECTS/A/bin")).isDir());
    EXPECT_EQ(m_main->L_Name_Conf->text(), QStringLiteral("Opened Configuration of the Converter : "));
    EXPECT_EQ(m_main->L_Name_Conf_L2->text(), QStringLiteral("A"));
    EXPECT_EQ(m_state.Active_Conf_Dir, programPath("PROJECTS") + QDir::separator() + "A");
}

TEST_F(MainWindowTest, NewConfigurationRefusals) {
    startProgram();
    QDir().mkpath(programPath("PROJECTS/Taken"));
    const struct {
        QString name;
        QString message;
    } cases[] = {
        {QString(), QStringLiteral("Error! Name Project is not valid")},
        {QStringLiteral("Taken"),
         QStringLiteral("Error! Name project is not valid because directory already exists")},
        {QStringLiteral(".."), QStringLiteral("Error! Name project is not valid")},
        {QStringLiteral("../Outside"), QStringLiteral("Error! Name project is not valid")},
        {QStringLiteral("a\\b"), QStringLiteral("Error! Name project is not valid")},
    };
    for (const auto& c : cases) {
        m_boxes.clear();
        createConfiguration(c.name);
        ASSERT_EQ(m_boxes.shown().size(), 1u) << c.name.toStdString();
        EXPECT_EQ(m_boxes.lastText(), c.message);
        EXPECT_FALSE(m_state.Conf_Is_Open());
    }
    EXPECT_FALSE(QFileInfo(programPath("Outside")).exists());
}

TEST_F(MainWindowTest, ARefusedNameKeepsTheFocusWithItsTextSelected) {
    startProgram();
    QDir().mkpath(programPath("PROJECTS/Taken"));
    const struct {
        const char* name;
        bool byButton; // a click on OK moves the focus to the button
    } cases[] = {{"../Outside", true}, {"../Outside", false}, {"Taken", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << (c.byButton ? " by OK" : " by Enter"));
        m_boxes.clear();
        TFNew_Project* window = m_main->newProjectWindow();
        QWidget* focus = nullptr;
        QString selected;
        whileModal(window, [&] {
            if (!QTest::qWaitForWindowActive(window))
                ADD_FAILURE() << "the window did not become active";
            QTest::keyClicks(window->E_New_Proj, QString::fromUtf8(c.name));
            if (c.byButton)
                QTest::mouseClick(window->Btn_OK, Qt::LeftButton);
            else
                QTest::keyClick(window->E_New_Proj, Qt::Key_Return);
            focus = QApplication::focusWidget();
            selected = window->E_New_Proj->selectedText();
            window->reject();
        });
        QTest::mouseClick(m_main->Btn_New, Qt::LeftButton);
        ASSERT_EQ(m_boxes.shown().size(), 1u);
        EXPECT_EQ(focus, window->E_New_Proj) << (focus ? focus->objectName().toStdString() : "nothing");
        EXPECT_EQ(selected, QString::fromUtf8(c.name));
    }
}

TEST_F(MainWindowTest, OpenWithNoConfigurationsKeepsNoneOpen) {
    startProgram();
    TFOpenConf* window = m_main->openConfWindow();
    whileModal(window, [window] { QTest::mouseClick(window->Btn_OK, Qt::LeftButton); });
    QTest::mouseClick(m_main->Btn_Open, Qt::LeftButton);
    EXPECT_FALSE(m_state.Conf_Is_Open());
    EXPECT_EQ(m_main->L_Name_Conf_L2->text(),
              QStringLiteral("Use Step1 to open or create new configuration"));
    QTest::mouseClick(m_main->Btn_CreateBin, Qt::LeftButton);
    EXPECT_EQ(m_boxes.lastText(), QStringLiteral("Error! Project not Valid"));
}

TEST_F(MainWindowTest, OpenWithAnEmptyListReturnsTheNameChosenBefore) {
    QDir().mkpath(programPath("PROJECTS/One/bin"));
    startProgram();
    TFOpenConf* window = m_main->openConfWindow();
    const auto openWithOk = [this, window] {
        whileModal(window, [window] { QTest::mouseClick(window->Btn_OK, Qt::LeftButton); });
        QTest::mouseClick(m_main->Btn_Open, Qt::LeftButton);
    };
    openWithOk();
    ASSERT_EQ(m_state.Active_Conf_Name, QStringLiteral("One"));
    ASSERT_TRUE(QDir(programPath("PROJECTS/One")).removeRecursively());
    openWithOk();
    EXPECT_EQ(window->ListBox1->count(), 0);
    EXPECT_EQ(m_state.Active_Conf_Name, QStringLiteral("One"));
}

TEST_F(MainWindowTest, OpenPreselectsTheOpenConfigurationWithoutRegardToCase) {
    QDir().mkpath(programPath("PROJECTS/ABC/bin"));
    QDir().mkpath(programPath("PROJECTS/Other/bin"));
    startProgram();
    m_state.Active_Conf_Name = QStringLiteral("abc");
    m_state.Active_Conf_Dir = m_state.Dir_Projects + QDir::separator() + "abc";
    TFOpenConf* window = m_main->openConfWindow();
    QString preselected;
    whileModal(window, [window, &preselected] {
        preselected = window->ListBox1->currentItem()->text();
        window->ListBox1->setCurrentRow(1);
        QTest::mouseClick(window->Btn_OK, Qt::LeftButton);
    });
    QTest::mouseClick(m_main->Btn_Open, Qt::LeftButton);
    EXPECT_EQ(preselected, QStringLiteral("ABC"));
    EXPECT_EQ(m_state.Active_Conf_Name, QStringLiteral("Other"));
    EXPECT_EQ(m_main->L_Name_Conf_L2->text(), QStringLiteral("Other"));
}

TEST_F(MainWindowTest, OpenCancelledChangesNothing) {
    QDir().mkpath(programPath("PROJECTS/One/bin"));
    startProgram();
    TFOpenConf* window = m_main->openConfWindow();
    whileModal(window, [window] { QTest::mouseClick(window->Btn_Cancel, Qt::LeftButton); });
    QTest::mouseClick(m_main->Btn_Open, Qt::LeftButton);
    EXPECT_FALSE(m_state.Conf_Is_Open());
}

TEST_F(MainWindowTest, LanguageChangeRenewsTextsButNotTheAboutWindow) {
    startProgram();
    writeFile("LANGUAGE/Test.lng",
              QStringLiteral("STR9 = \u00B6Nessuna \u00B6\nSTR15 = Nuova\nSTR100 = Crea\n")
                  .toUtf8()
                  .prepend("\xEF\xBB\xBF"));
    m_state.Msg_Catalog.Build_Default_Texts();
    ASSERT_TRUE(m_state.Msg_Catalog.Load_Lng_File(programPath("LANGUAGE/Test.lng")));
    m_main->Change_Language();
    EXPECT_EQ(m_main->L_Name_Conf->text(), QStringLiteral("Nessuna "));
    EXPECT_EQ(m_main->Btn_New->text(), QStringLiteral("Nuova"));
    EXPECT_EQ(m_main->newProjectWindow()->windowTitle(), QStringLiteral("Crea"));
    EXPECT_EQ(m_main->aboutWindow()->windowTitle(), QStringLiteral("About..."));
    EXPECT_EQ(m_main->aboutWindow()->Label6->text(), QStringLiteral("Software Code : "));
}

TEST_F(MainWindowTest, MakerLinksOpenTheHomePage) {
    startProgram();
    const QList<QWidget*> links{m_main->L_Norvane, m_main->aboutWindow()->Label4,
                                m_main->aboutWindow()->Image2};
    for (QWidget* link : links)
        QTest::mouseClick(link, Qt::RightButton);
    EXPECT_TRUE(m_openedUrls.isEmpty());
    for (QWidget* link : links)
        QTest::mouseClick(link, Qt::LeftButton);
    ASSERT_EQ(m_openedUrls.size(), 3);
    for (const QString& url : m_openedUrls)
        EXPECT_TRUE(url.endsWith(QStringLiteral("/HOME/default.asp?frompg=SW73052"))) << url.toStdString();
}

TEST_F(MainWindowTest, ControlsStandWhereTheLayoutPutsThem) {
    startProgram();
    EXPECT_EQ(m_main->size(), QSize(694, 396));
    EXPECT_EQ(m_main->Btn_New->geometry(), QRect(80, 112, 170, 36));
    EXPECT_EQ(m_main->Btn_Open->geometry(), QRect(258, 112, 170, 36));
    EXPECT_EQ(m_main->Btn_CreateBin->geometry(), QRect(80, 244, 170, 36));
    EXPECT_EQ(m_main->Btn_Close->geometry(), QRect(632, 8, 50, 50));
    EXPECT_EQ(m_main->Shape1->geometry(), QRect(10, 295, 674, 1));
    EXPECT_EQ(m_main->L_Step[3]->pos(), QPoint(16, 260));
    EXPECT_FALSE(m_main->L_Step[4]->isVisibleTo(m_main.get()));
    for (QPushButton* hidden : m_main->hiddenButtons)
        EXPECT_FALSE(hidden->isVisibleTo(m_main.get()));
    EXPECT_FALSE(m_main->LL_Update->isVisibleTo(m_main.get()));
}

} // namespace
