// The whole program in each shipped language: every window switches, and no text outgrows the
// control that shows it.
#include "ProgramFixture.h"

#include "core/comm/ParGen.h"
#include "core/language/BuiltinTexts.h"
#include "core/language/Language.h"
#include "core/language/TextSlots.h"
#include "gui/comm/TFParGen.h"
#include "gui/nmea/TFNMEA_0183_Set_Access2.h"
#include "gui/options/TFSoftOptions.h"
#include "gui/shell/ProgramWindows.h"
#include "gui/shell/TFNew_Project.h"
#include "gui/shell/TFOpenConf.h"
#include "gui/shell/TFTesselloreFirmWare.h"
#include "gui/table/EditingTable.h"
#include "gui/update/TFBoot.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <map>
#include <set>

namespace {

const QString kShipped = QStringLiteral(TESSELLOR_SOURCE_DIR "/data/LANGUAGE");

class ShippedLanguagesTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        QDir().mkpath(programPath(QStringLiteral("LANGUAGE")));
        for (const QString& name : QDir(kShipped).entryList(QDir::Files))
            ASSERT_TRUE(
                QFile::copy(QDir(kShipped).filePath(name), programPath(QStringLiteral("LANGUAGE/") + name)));
        // Qt's own texts, as the build lays them out in the program folder.
        const QDir built(QStringLiteral(TESSELLOR_BINARY_DIR "/program/LANGUAGE"));
        for (const QString& name : built.entryList({QStringLiteral("*.qm")}, QDir::Files))
            ASSERT_TRUE(QFile::copy(built.filePath(name), programPath(QStringLiteral("LANGUAGE/") + name)));
    }

    // Every window of the program, each built as its first opening builds it.
    QList<QWidget*> windows() const {
        QList<QWidget*> all;
        for (const ProgramWindow& entry : programWindows())
            all << entry.build(*m_main);
        return all;
    }

    static MessageCatalog catalogOf(const QString& language) {
        MessageCatalog catalog;
        catalog.Load_Lng_File(QDir(kShipped).filePath(language + QStringLiteral(".lng")));
        return catalog;
    }

    // Every text a window shows to the user, by a name that stays the same across languages.
    static std::map<QString, QString> shownTexts(QWidget* window) {
        std::map<QString, QString> texts;
        texts[QStringLiteral("title")] = window->windowTitle();
        int index = 0;
        for (QWidget* child : window->findChildren<QWidget*>()) {
            if (child->window() != window || !child->isVisibleTo(window))
                continue;
            const QString key = QStringLiteral("%1#%2 ").arg(child->objectName()).arg(index++);
            if (auto* button = qobject_cast<QAbstractButton*>(child))
                texts[key + QStringLiteral("text")] = button->text();
            else if (auto* label = qobject_cast<QLabel*>(child))
                texts[key + QStringLiteral("text")] = label->text();
            else if (auto* group = qobject_cast<QGroupBox*>(child))
                texts[key + QStringLiteral("title")] = group->title();
            if (auto* tabs = qobject_cast<QTabWidget*>(child)) {
                for (int i = 0; i < tabs->count(); ++i)
                    texts[key + QStringLiteral("tab%1").arg(i)] = tabs->tabText(i);
            }
            if (auto* choices = qobject_cast<QComboBox*>(child)) {
                for (int i = 0; i < choices->count(); ++i)
                    texts[key + QStringLiteral("item%1").arg(i)] = choices->itemText(i);
            }
            if (auto* table = qobject_cast<QTableView*>(child); table && table->model()) {
                for (int i = 0; i < table->model()->columnCount(); ++i)
                    texts[key + QStringLiteral("column%1").arg(i)] =
                        table->model()->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString();
            }
            if (!child->toolTip().isEmpty())
                texts[key + QStringLiteral("hint")] = child->toolTip();
        }
        return texts;
    }

    // How much room each text needs and has: a button's text within its own width, a label's or
    // check box's up to the next control to its right (or the window's edge), the tabs within
    // their page control and a column title within its column.
    struct Fit {
        int need;
        int room;
        QString text; // what is shown, for the failure's message
    };
    static std::map<QString, Fit> fits(QWidget* window) {
        std::map<QString, Fit> result;
        const auto shown = [window](QWidget* widget) {
            return widget->window() == window && widget->isVisibleTo(window);
        };
        int index = 0;
        for (QWidget* child : window->findChildren<QWidget*>()) {
            if (!shown(child))
                continue;
            const QString key = QStringLiteral("%1/%2#%3")
                                    .arg(window->metaObject()->className(), child->objectName())
                                    .arg(index++);
            auto* label = qobject_cast<QLabel*>(child);
            if (auto* button = qobject_cast<QPushButton*>(child)) {
                result[key] = {child->sizeHint().width(), child->width(), button->text()};
            } else if ((qobject_cast<QAbstractButton*>(child) || label) && !(label && label->wordWrap()) &&
                       !qobject_cast<QAbstractButton*>(child->parentWidget())) {
                const QPoint at = child->mapTo(window, QPoint());
                int limit = window->width();
                for (QWidget* other :
                     child->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                    const QRect place(other->mapTo(window, QPoint()), other->size());
                    if (other != child && shown(other) && place.left() > at.x() &&
                        place.top() < at.y() + child->height() && place.bottom() > at.y())
                        limit = std::min(limit, place.left());
                }
                result[key] = {at.x() + child->sizeHint().width(), limit,
                               label ? label->text() : qobject_cast<QAbstractButton*>(child)->text()};
            } else if (auto* tabs = qobject_cast<QTabWidget*>(child)) {
                result[key + QStringLiteral(" tabs")] = {tabs->tabBar()->sizeHint().width(), tabs->width(),
                                                         tabs->tabText(0)};
            } else if (auto* choices = qobject_cast<QComboBox*>(child)) {
                // The longest choice with the room the box's frame and arrow take.
                QComboBox probe;
                probe.setFont(choices->font());
                probe.setSizeAdjustPolicy(QComboBox::AdjustToContents);
                for (int i = 0; i < choices->count(); ++i)
                    probe.addItem(choices->itemText(i));
                result[key + QStringLiteral(" choices")] = {probe.sizeHint().width(), choices->width(),
                                                            choices->currentText()};
            } else if (auto* table = qobject_cast<QTableView*>(child)) {
                const QFontMetrics metrics(table->horizontalHeader()->font());
                const QAbstractItemModel* model = table->model();
                for (int i = 0; i < model->columnCount(); ++i) {
                    const QString title = model->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString();
                    if (table->isColumnHidden(i) || title.isEmpty())
                        continue;
                    result[key + QStringLiteral(" column%1").arg(i)] = {metrics.horizontalAdvance(title) + 8,
                                                                        table->columnWidth(i), title};
                }
            }
        }
        return result;
    }

    void switchTo(const QString& language) {
        m_state.Language_Name = language;
        Load_Language(m_state);
        m_main->Change_Language();
    }
};

// The buttons of every question (Yes, No, OK, Cancel) are Qt's own texts: they follow the language.
TEST_F(ShippedLanguagesTest, QtsOwnButtonsSpeakTheChosenLanguage) {
    startProgram();
    const auto yes = [] { return QCoreApplication::translate("QPlatformTheme", "&Yes"); };
    ASSERT_EQ(yes(), "&Yes");
    switchTo(QStringLiteral("Deutsch"));
    EXPECT_EQ(yes(), "&Ja");
    switchTo(QStringLiteral("Italiano"));
    EXPECT_EQ(yes(), QString::fromUtf8("&Sì"));
    switchTo(QStringLiteral("English"));
    EXPECT_EQ(yes(), "&Yes");
}

TEST_F(ShippedLanguagesTest, EveryWindowSwitchesToItalianoAndDeutschAndBack) {
    startProgram();
    TFSoftOptions* options = m_main->softOptionsWindow();
    options->show();
    const std::vector<std::map<QString, QString>> english = [&] {
        std::vector<std::map<QString, QString>> texts;
        for (QWidget* window : windows())
            texts.push_back(shownTexts(window));
        return texts;
    }();

    ASSERT_EQ(options->L_L[0]->text(), QStringLiteral("Deutsch"));
    ASSERT_EQ(options->L_L[1]->text(), QStringLiteral("English"));
    ASSERT_EQ(options->L_L[2]->text(), QStringLiteral("Italiano"));

    for (const auto& [entry, language] : {std::pair{2, "Italiano"}, std::pair{0, "Deutsch"}}) {
        SCOPED_TRACE(language);
        QTest::mouseClick(options->L_L[entry], Qt::LeftButton);
        const MessageCatalog translated = catalogOf(QString::fromLatin1(language));
        // An English text still on screen whose translation differs was not switched.
        std::set<QString> leftovers;
        for (int i = 0; i < kBuiltinTextCount; ++i) {
            const QString text = QString::fromUtf8(kBuiltinTexts[i].text);
            if (translated.text(kBuiltinTexts[i].slot) != text)
                leftovers.insert(text);
        }
        for (int i = 0; i < kBuiltinTextCount; ++i)
            leftovers.erase(translated.text(kBuiltinTexts[i].slot));
        for (QWidget* window : windows()) {
            for (const auto& [key, text] : shownTexts(window))
                EXPECT_EQ(leftovers.count(text), 0u) << window->metaObject()->className() << " "
                                                     << key.toStdString() << ": " << text.toStdString();
        }
        EXPECT_EQ(m_main->Btn_New->text(), translated.text(15));
        EXPECT_EQ(options->windowTitle(), translated.text(300));
    }

    QTest::mouseClick(options->L_L[1], Qt::LeftButton);
    for (int w = 0; w < windows().size(); ++w)
        EXPECT_EQ(shownTexts(windows()[w]), english[size_t(w)]) << windows()[w]->metaObject()->className();
    QTest::mouseClick(options->Btn_OK, Qt::LeftButton);
    EXPECT_EQ(m_state.Language_Name, QStringLiteral("English"));
}

// The program builds a window when it is first opened: one built after a switch, or after a switch
// and back, shows exactly what a window built at start and switched along shows.
TEST_F(ShippedLanguagesTest, WindowsBuiltOnFirstUseShowWhatWindowsBuiltAtStartShow) {
    for (const QStringList& switches : {QStringList{QStringLiteral("Deutsch")},
                                        QStringList{QStringLiteral("Italiano"), QStringLiteral("English")}}) {
        SCOPED_TRACE(switches.join(u' ').toStdString());
        startProgram();
        windows(); // and those made on demand, all before the switch
        for (const QString& language : switches)
            switchTo(language);
        std::vector<std::map<QString, QString>> builtAtStart;
        for (QWidget* window : windows())
            builtAtStart.push_back(shownTexts(window));

        m_main.reset();
        m_state = ProgramState();
        m_main = std::make_unique<TFTesselloreFirmWare>(m_state, m_folder.path());
        for (const QString& language : switches)
            switchTo(language);
        const QList<QWidget*> builtNow = windows();
        for (int w = 0; w < builtNow.size(); ++w)
            EXPECT_EQ(shownTexts(builtNow[w]), builtAtStart[size_t(w)])
                << builtNow[w]->metaObject()->className();
    }
}

TEST_F(ShippedLanguagesTest, TranslatedTextsFitTheirControlsAsTheEnglishOnesDo) {
    startProgram();
    openConfiguration(QStringLiteral("Fit"));
    // Shown, so every window has its real geometry.
    for (QWidget* window : windows())
        window->show();
    // Windows arranged by layouts take their places once the events are done, as on screen.
    QApplication::processEvents();
    std::map<QString, Fit> english;
    for (QWidget* window : windows())
        english.merge(fits(window));
    for (const char* language : {"Italiano", "Deutsch"}) {
        SCOPED_TRACE(language);
        switchTo(QString::fromLatin1(language));
        QApplication::processEvents();
        for (QWidget* window : windows()) {
            for (const auto& [key, fit] : fits(window)) {
                const auto base = english.find(key);
                // Where the English text already needs more room than it has, the translation may
                // need as much, not more.
                const int room = base == english.end() ? fit.room : std::max(fit.room, base->second.need);
                EXPECT_LE(fit.need, room) << key.toStdString() << ": " << fit.text.toStdString();
            }
        }
    }
    // The main window's update link stays clear of the icon buttons.
    for (const char* language : {"English", "Italiano", "Deutsch"}) {
        switchTo(QString::fromLatin1(language));
        QLabel probe;
        probe.setFont(m_main->LL_Update->font());
        probe.setText(QStringLiteral("<a href=\"x\">%1</a>").arg(m_state.msg(19)));
        EXPECT_LE(m_main->LL_Update->x() + probe.sizeHint().width(), m_main->Btn_Info->x()) << language;
    }
}

// The review writes its findings in the chosen language: the rules window's row marks and summary
// follow a switch made while the window is open.
TEST_F(ShippedLanguagesTest, TheRulesWindowsReviewFollowsTheLanguage) {
    startProgram();
    openConfiguration(QStringLiteral("Review"));
    ParGenSet parameters;
    parameters.RS232.Enable = true;
    ASSERT_TRUE(ParGen::save(m_state.File_ParGen, parameters));
    const QByteArray row =
        "<row Enable=\"Y\" Serial_Channel=\"RS232\" Sentence=\"HDT\" "
        "DataField=\"Heading, degrees True, Number [floating point]\" PortOperation=\"None\" "
        "Position=\"";
    writeFile(QStringLiteral("PROJECTS/Review/NMEA_0183_Set_Access.xml"),
              "<NMEA_0183><NMEA_Listener>" + row + "0\"/>" + row + "2\"/></NMEA_Listener></NMEA_0183>");
    TFNMEA_0183_Set_Access2* rules = m_main->nmeaAccessWindow();
    rules->show();
    QApplication::processEvents();
    const auto shown = [rules] {
        return rules->ASG->model()->headerData(0, Qt::Vertical, Qt::ToolTipRole).toString();
    };
    ASSERT_TRUE(shown().startsWith(QStringLiteral("Rules 1 and 2 both write bytes 2 to 3")))
        << shown().toStdString();
    for (const char* language : {"Deutsch", "Italiano", "English"}) {
        SCOPED_TRACE(language);
        switchTo(QString::fromLatin1(language));
        const QString expected =
            m_state.msg(TextSlot::ReviewMessages::Overlap)
                .replace(QStringLiteral("%1"), QStringLiteral("1"))
                .replace(QStringLiteral("%2"), QStringLiteral("2"))
                .replace(QStringLiteral("%3"), m_state.msg(TextSlot::ReviewMessages::Bytes)
                                                   .replace(QStringLiteral("%1"), QStringLiteral("2"))
                                                   .replace(QStringLiteral("%2"), QStringLiteral("3")));
        EXPECT_TRUE(shown().contains(expected)) << shown().toStdString();
        EXPECT_TRUE(rules->L_Review->toolTip().contains(expected))
            << rules->L_Review->toolTip().toStdString();
    }
    rules->hide();
}

} // namespace
