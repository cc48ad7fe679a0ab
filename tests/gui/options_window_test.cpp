#include "../platform/http_test_server.h"
#include "ProgramFixture.h"

#include "core/options/VersionCheck.h"
#include "core/shell/ProductIdentity.h"
#include "gui/nmea/TFNMEA_0183_Set_Access2.h"
#include "gui/options/TFSoftOptions.h"
#include "gui/shell/TFTesselloreFirmWare.h"

#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

using Answer = MessageBox::Answer;

class OptionsWindowTest : public ProgramFixture {
protected:
    void TearDown() override {
        VersionCheck::setServerBase({});
        ProgramFixture::TearDown();
    }

    TFSoftOptions* options() const { return m_main->softOptionsWindow(); }

    void writeLanguage(const QString& name, const QByteArray& content = {}) {
        writeFile(QStringLiteral("LANGUAGE/") + name, content);
    }

    void writeBitmap(const QString& name, const QImage& image) {
        ASSERT_TRUE(image.save(programPath(QStringLiteral("LANGUAGE/") + name), "BMP"));
    }

    QStringList shownLanguages() const {
        QStringList names;
        for (QLabel* label : options()->L_L) {
            if (label->isVisible())
                names.append(label->text());
        }
        return names;
    }

    // Opens the options window from the main window's button, acts on it while it is modal and
    // lets the action close it.
    template <typename Action> void throughOptionsButton(Action action) {
        TFSoftOptions* window = options();
        QTimer::singleShot(0, window, [window, action] {
            QTRY_VERIFY(window->isVisible());
            action(window);
            if (window->isVisible())
                window->reject();
        });
        QTest::mouseClick(m_main->Btn_Opz, Qt::LeftButton);
    }

    void writeSettings(bool internet, bool update) {
        writeFile(QStringLiteral("Tessellor.xml"),
                  QByteArray("<Conf_Settings><lastinternet><enable_internet>") + (internet ? "1" : "0") +
                      "</enable_internet><enable_update>" + (update ? "1" : "0") +
                      "</enable_update></lastinternet></Conf_Settings>");
    }
};

TEST_F(OptionsWindowTest, LanguagesShowSixToAPage) {
    const struct {
        int files;
        const char* pageLabel;
        bool previous, next;
        int entries;
    } cases[] = {
        {0, "Page 1 / 0", false, false, 0},
        {6, "Page 1 / 1", false, false, 6},
        {7, "Page 1 / 2", false, true, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.files << " files");
        QDir(programPath(QStringLiteral("LANGUAGE"))).removeRecursively();
        for (int i = 1; i <= c.files; ++i)
            writeLanguage(QStringLiteral("Lang%1.lng").arg(i));
        startProgram();
        options()->show();
        EXPECT_EQ(options()->L_Page_Lang->text(), QString::fromLatin1(c.pageLabel));
        EXPECT_EQ(options()->Btn_Prev->isVisible(), c.previous);
        EXPECT_EQ(options()->Btn_Next->isVisible(), c.next);
        EXPECT_EQ(shownLanguages().size(), c.entries);
        options()->hide();
    }

    options()->show(); // still the seven files
    QTest::mouseClick(options()->Btn_Next, Qt::LeftButton);
    EXPECT_EQ(options()->L_Page_Lang->text(), QStringLiteral("Page 2 / 2"));
    EXPECT_EQ(shownLanguages(), QStringList{QStringLiteral("Lang7")});
    EXPECT_TRUE(options()->Btn_Prev->isVisible());
    EXPECT_FALSE(options()->Btn_Next->isVisible());
    QTest::mouseClick(options()->Btn_Prev, Qt::LeftButton);
    EXPECT_EQ(options()->L_Page_Lang->text(), QStringLiteral("Page 1 / 2"));
    EXPECT_EQ(shownLanguages().size(), 6);
}

TEST_F(OptionsWindowTest, ListsLanguagesSortedWithoutRegardToCaseAndLeavesReadOnlyOnesOut) {
    for (const char* name : {"Zulu.lng", "alpha.lng", "Beta.lng", "Locked.lng"})
        writeLanguage(QString::fromLatin1(name));
    QFile::setPermissions(programPath(QStringLiteral("LANGUAGE/Locked.lng")), QFileDevice::ReadOwner);
    startProgram();
    options()->show();
    EXPECT_EQ(shownLanguages(), QStringList({"alpha", "Beta", "Zulu"}));
    EXPECT_EQ(options()->L_Sel_Lang->text(), QStringLiteral("Selected Language : English"));
}

TEST_F(OptionsWindowTest, FlagIsTheLanguagesBitmapElseTheDefaultElseNone) {
    writeLanguage(QStringLiteral("Italiano.lng"));
    // 40 x 40, blue with a green frame: green is the bottom-left colour, so it is see-through.
    QImage italian(40, 40, QImage::Format_RGB32);
    italian.fill(Qt::green);
    for (int y = 1; y < 39; ++y)
        for (int x = 1; x < 39; ++x)
            italian.setPixel(x, y, qRgb(0, 0, 255));
    writeBitmap(QStringLiteral("Italiano.bmp"), italian);
    QImage fallback(48, 48, QImage::Format_RGB32);
    fallback.fill(Qt::yellow);
    fallback.setPixel(0, 47, qRgb(255, 0, 255));
    writeBitmap(QStringLiteral("DefaultFlag.bmp"), fallback);
    startProgram();

    options()->show();
    QImage shown = options()->I_L[0]->pixmap().toImage();
    EXPECT_EQ(shown.size(), QSize(48, 48));
    EXPECT_EQ(shown.pixel(5, 5), qRgb(0, 0, 255)); // unscaled from the top-left
    EXPECT_EQ(qAlpha(shown.pixel(0, 0)), 0);       // the transparent colour
    EXPECT_EQ(qAlpha(shown.pixel(44, 44)), 0);     // beyond the bitmap
    options()->hide();

    QFile::remove(programPath(QStringLiteral("LANGUAGE/Italiano.bmp")));
    options()->show();
    shown = options()->I_L[0]->pixmap().toImage();
    EXPECT_EQ(shown.pixel(5, 5), qRgb(255, 255, 0));
    EXPECT_EQ(qAlpha(shown.pixel(0, 47)), 0);
    options()->hide();

    QFile::remove(programPath(QStringLiteral("LANGUAGE/DefaultFlag.bmp")));
    options()->show();
    EXPECT_FALSE(options()->I_L[0]->isVisible());
    EXPECT_TRUE(options()->L_L[0]->isVisible());
}

TEST_F(OptionsWindowTest, PickedLanguageShowsAtOnceButCancelKeepsTheStoredOne) {
    writeLanguage(QStringLiteral("Deutsch.lng"), "STR0 = Beginn\r\nSTR302 = Sprache\r\n");
    startProgram();
    options()->show();
    const QString question = QStringLiteral("Do you want to change the Language from English to Deutsch?");

    m_boxes.setNextAnswer(Answer::No);
    QTest::mouseClick(options()->L_L[0], Qt::LeftButton);
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_EQ(m_boxes.lastText(), question);
    EXPECT_EQ(m_main->L_Begin->text(), QStringLiteral("Begin"));
    EXPECT_EQ(options()->PC_Options->tabText(0), QStringLiteral("Language"));

    QTest::mouseClick(options()->I_L[0], Qt::LeftButton); // the flag answers like the label
    EXPECT_EQ(m_boxes.lastText(), question);
    EXPECT_EQ(m_main->L_Begin->text(), QStringLiteral("Beginn"));
    EXPECT_EQ(options()->PC_Options->tabText(0), QStringLiteral("Sprache"));
    EXPECT_EQ(options()->L_Sel_Lang->text(), QStringLiteral("Selected Language : Deutsch"));
    EXPECT_EQ(options()->L_Page_Lang->text(), QStringLiteral("Page 1 / 1"));
    EXPECT_EQ(m_state.Language_Name, QStringLiteral("English"));

    QTest::mouseClick(options()->Btn_Cancel, Qt::LeftButton);
    EXPECT_EQ(m_state.Language_Name, QStringLiteral("English"));
    EXPECT_EQ(m_main->L_Begin->text(), QStringLiteral("Beginn"));
    m_main->close();
    EXPECT_TRUE(readFile(QStringLiteral("Tessellor.xml")).contains("<language>English</language>"));
}

TEST_F(OptionsWindowTest, PickedLanguageConfirmedWithOkIsWrittenAtOnceAndLoadedAtTheNextStart) {
    writeLanguage(QStringLiteral("Deutsch.lng"), "STR0 = Beginn\r\n");
    startProgram();
    throughOptionsButton([](TFSoftOptions* window) {
        QTest::mouseClick(window->L_L[0], Qt::LeftButton);
        QTest::mouseClick(window->Btn_OK, Qt::LeftButton);
    });
    EXPECT_EQ(m_state.Language_Name, QStringLiteral("Deutsch"));
    EXPECT_TRUE(readFile(QStringLiteral("Tessellor.xml")).contains("<language>Deutsch</language>"));
    startProgram();
    EXPECT_EQ(m_main->L_Begin->text(), QStringLiteral("Beginn"));
}

TEST_F(OptionsWindowTest, UpdateCheckBoxKeepsItsMarkWhileDisabledAndOkStoresIt) {
    writeSettings(true, true);
    startProgram();
    EXPECT_TRUE(m_main->Timer_Update->isActive());
    throughOptionsButton([](TFSoftOptions* window) {
        EXPECT_TRUE(window->CB_Update->isEnabled());
        EXPECT_TRUE(window->Btn_Check_Update->isEnabled());
        window->PC_Options->setCurrentWidget(window->TS_Con_Options);
        QTest::mouseClick(window->CB_En_Con, Qt::LeftButton);
        EXPECT_FALSE(window->CB_Update->isEnabled());
        EXPECT_TRUE(window->CB_Update->isChecked());
        EXPECT_FALSE(window->Btn_Check_Update->isEnabled());
        QTest::mouseClick(window->Btn_OK, Qt::LeftButton);
    });
    EXPECT_FALSE(m_state.Enable_Internet);
    EXPECT_TRUE(m_state.Enable_Update);
    EXPECT_FALSE(m_main->Timer_Update->isActive());
    const QByteArray settings = readFile(QStringLiteral("Tessellor.xml"));
    EXPECT_TRUE(settings.contains("<enable_internet>0</enable_internet><enable_update>1</enable_update>"));

    throughOptionsButton([](TFSoftOptions* window) {
        EXPECT_FALSE(window->CB_Update->isEnabled());
        EXPECT_TRUE(window->CB_Update->isChecked());
        window->PC_Options->setCurrentWidget(window->TS_Con_Options);
        QTest::mouseClick(window->CB_En_Con, Qt::LeftButton);
        EXPECT_TRUE(window->CB_Update->isEnabled());
        EXPECT_TRUE(window->Btn_Check_Update->isEnabled());
        QTest::mouseClick(window->CB_Update, Qt::LeftButton);
        EXPECT_FALSE(window->Btn_Check_Update->isEnabled());
    });
    EXPECT_FALSE(m_state.Enable_Internet); // closed without OK
}

TEST_F(OptionsWindowTest, OkSetsTheUpdateTimerAndCancelLeavesIt) {
    VersionCheck::setServerBase(QStringLiteral("http://127.0.0.1:%1").arg(LocalHttpServer::closedPort()));
    startProgram();
    const auto confirm = [this](bool internet, bool update, bool ok) {
        throughOptionsButton([=](TFSoftOptions* window) {
            window->CB_En_Con->setChecked(internet);
            window->CB_Update->setChecked(update);
            QTest::mouseClick(ok ? window->Btn_OK : window->Btn_Cancel, Qt::LeftButton);
        });
    };
    confirm(true, true, false);
    EXPECT_FALSE(m_main->Timer_Update->isActive());
    confirm(true, true, true);
    EXPECT_TRUE(m_main->Timer_Update->isActive());
    EXPECT_EQ(m_main->Timer_Update->interval(), 60000);

    // Confirming again leaves a running timer as it is: its minute does not start over. A precise
    // timer, so that its remaining time is read to the millisecond.
    m_main->Timer_Update->setTimerType(Qt::PreciseTimer);
    m_main->Timer_Update->start();
    const int remaining = m_main->Timer_Update->remainingTime();
    QTest::qWait(20);
    confirm(true, true, true);
    EXPECT_LT(m_main->Timer_Update->remainingTime(), remaining);

    m_main->Timer_UpdateTimer();
    EXPECT_TRUE(m_main->Timer_Update->isActive());
    EXPECT_EQ(m_main->Timer_Update->interval(), 7200000);
    confirm(true, true, true);
    EXPECT_EQ(m_main->Timer_Update->interval(), 7200000);

    confirm(true, false, true);
    EXPECT_FALSE(m_main->Timer_Update->isActive());
    EXPECT_TRUE(readFile(QStringLiteral("Tessellor.xml")).contains("<enable_update>0</enable_update>"));
    confirm(true, true, true); // switched on again with the interval it has
    EXPECT_TRUE(m_main->Timer_Update->isActive());
    EXPECT_EQ(m_main->Timer_Update->interval(), 7200000);
}

TEST_F(OptionsWindowTest, NewerVersionOnTheServerShowsTheLinkInBothWindows) {
    auto server = std::make_unique<LocalHttpServer>(LocalHttpServer::reply("VER. 1.001"));
    VersionCheck::setServerBase(server->base());
    writeSettings(true, true);
    startProgram();
    options()->show();
    options()->PC_Options->setCurrentWidget(options()->TS_Con_Options);
    EXPECT_FALSE(options()->LL_Check_Update->isVisible());

    QTest::mouseClick(options()->Btn_Check_Update, Qt::LeftButton);
    EXPECT_TRUE(
        server->lastRequest().startsWith("GET /home/download/GetversionSW.asp?nomesw=SW73052 HTTP/1.0"));
    ASSERT_TRUE(options()->LL_Check_Update->isVisible());
    EXPECT_EQ(options()->LL_Check_Update->text(),
              QStringLiteral("<a href=\"%1\">New Version Available. Click Here for more Details</a>")
                  .arg(Product::downloadPageUrl()));
    QTest::mouseClick(options()->LL_Check_Update, Qt::LeftButton, {}, QPoint(10, 6));
    EXPECT_EQ(m_openedUrls, QStringList{Product::downloadPageUrl()});
    options()->hide();

    m_main->show();
    m_main->Timer_UpdateTimer();
    ASSERT_TRUE(m_main->LL_Update->isVisible());
    EXPECT_EQ(m_main->LL_Update->text(),
              QStringLiteral("<a href=\"%1\">New Version Available. Click Here for more Details</a>")
                  .arg(Product::downloadPageUrl()));

    server = std::make_unique<LocalHttpServer>(LocalHttpServer::reply("VER. 1.000"));
    VersionCheck::setServerBase(server->base());
    m_main->Timer_UpdateTimer();
    EXPECT_FALSE(m_main->LL_Update->isVisible());
    options()->show();
    options()->PC_Options->setCurrentWidget(options()->TS_Con_Options);
    QTest::mouseClick(options()->Btn_Check_Update, Qt::LeftButton);
    EXPECT_EQ(options()->LL_Check_Update->text(), QStringLiteral("No Update Available"));
    EXPECT_TRUE(options()->LL_Check_Update->isVisible());
}

} // namespace

// The two later options sit below the layout's own, are off until ticked and are kept by OK; with
// "remember window sizes" the rules window opens at the next start where it was left.
TEST_F(OptionsWindowTest, RememberedWindowSizesAndLogixAlignmentAreKeptForTheNextStart) {
    startProgram();
    TFSoftOptions* window = options();
    const QRect jump = window->CB_Soft_Set_Jump_Table->geometry();
    const QRect autoSize = window->CB_DoubleClick_Auto_Size->geometry();
    EXPECT_EQ(jump.topLeft(), QPoint(12, 16));
    EXPECT_EQ(autoSize.topLeft(), QPoint(12, 39));
    // On the layout's own step below them, at its left edge.
    const int step = autoSize.y() - jump.y();
    EXPECT_EQ(window->CB_Remember_Window_Sizes->pos(), QPoint(12, autoSize.y() + step));
    EXPECT_EQ(window->CB_Align_For_Logix->pos(), QPoint(12, autoSize.y() + 2 * step));
    throughOptionsButton([](TFSoftOptions* w) {
        EXPECT_FALSE(w->CB_Remember_Window_Sizes->isChecked());
        EXPECT_FALSE(w->CB_Align_For_Logix->isChecked());
        w->PC_Options->setCurrentWidget(w->TS_Soft_Settings);
        QTest::mouseClick(w->CB_Remember_Window_Sizes, Qt::LeftButton, {}, QPoint(6, 8));
        QTest::mouseClick(w->CB_Align_For_Logix, Qt::LeftButton, {}, QPoint(6, 8));
        QTest::mouseClick(w->Btn_OK, Qt::LeftButton);
    });
    EXPECT_TRUE(m_state.Enable_Remember_Window_Sizes);
    EXPECT_TRUE(m_state.Enable_Logix_Alignment);

    openConfiguration(QStringLiteral("Conf1"));
    QDialog* rules = m_main->nmeaAccessWindow();
    rules->show();
    rules->setGeometry(QRect(rules->pos() + QPoint(10, 20), QSize(1400, 600)));
    const QRect left = rules->geometry();
    rules->hide();
    m_main->close(); // writes the settings
    startProgram();
    EXPECT_TRUE(m_state.Enable_Logix_Alignment);
    openConfiguration(QStringLiteral("Conf1"));
    rules = m_main->nmeaAccessWindow();
    rules->show();
    EXPECT_EQ(rules->geometry(), left);
    rules->hide();
}
