#include "ProgramFixture.h"
#include "core/language/Language.h"
#include "gui/shell/TFTesselloreFirmWare.h"
#include "gui/shell/WindowLook.h"

#include <QCheckBox>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

namespace {

class WindowLookTest : public ProgramFixture {
protected:
    // Every label and check box the user can see in the window is at least as wide as its text.
    static void expectLabelsFit(QWidget* window) {
        const auto expectFits = [window](QWidget* control, const QString& text) {
            if (!control->isVisible() || text.isEmpty())
                return;
            EXPECT_GE(control->width(), control->sizeHint().width())
                << window->metaObject()->className() << " " << control->objectName().toStdString() << ": "
                << text.toStdString() << " (" << QFontInfo(control->font()).family().toStdString() << ", "
                << QFontInfo(control->font()).pixelSize() << " px)";
        };
        for (QLabel* label : window->findChildren<QLabel*>())
            expectFits(label, label->text());
        for (QCheckBox* box : window->findChildren<QCheckBox*>())
            expectFits(box, box->text());
    }
};

// Labels and check boxes are measured when they appear, so a language switch does not measure
// hidden windows; the text must still fit once the window opens, also on a tab page shown later.
TEST_F(WindowLookTest, LabelsSwitchedWhileTheirWindowIsHiddenFitWhenItOpens) {
    startProgram();
    openConfiguration(QStringLiteral("Look"));
    // The shipped German texts, longer than the English ones, so that every control must grow.
    ASSERT_TRUE(QFile::copy(QStringLiteral(TESSELLOR_SOURCE_DIR "/data/LANGUAGE/Deutsch.lng"),
                            programPath(QStringLiteral("LANGUAGE/Deutsch.lng"))));
    // Every window and page opened once in English, so each control has been fitted before (a
    // control never sized is fitted by Qt when it first appears), then hidden during the switch.
    m_main->createWindows();
    for (QWidget* window : m_main->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!window->isWindow())
            continue;
        window->show();
        for (QTabWidget* pages : window->findChildren<QTabWidget*>()) {
            for (int i = 0; i < pages->count(); ++i)
                pages->setCurrentIndex(i);
            pages->setCurrentIndex(0);
        }
        window->hide();
    }
    m_main->show();
    m_state.Language_Name = QStringLiteral("Deutsch");
    Load_Language(m_state);
    m_main->Change_Language();
    ASSERT_NE(m_main->Btn_New->text(), QStringLiteral("New Configuration"))
        << "the German texts were not read";
    expectLabelsFit(m_main.get()); // shown during the switch: fitted at once

    for (QWidget* window : m_main->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!window->isWindow())
            continue;
        window->show();
        expectLabelsFit(window);
        for (QTabWidget* pages : window->findChildren<QTabWidget*>()) {
            for (int i = 0; i < pages->count(); ++i) {
                pages->setCurrentIndex(i);
                expectLabelsFit(pages->widget(i));
            }
        }
        window->hide();
    }
}

TEST_F(WindowLookTest, ALabelTakesTheSizeOfItsLatestText) {
    struct Case {
        const char* name;
        bool shownFirst;
    } const cases[] = {{"shown while the text changes", true}, {"hidden while the text changes", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QWidget window;
        QLabel* label = WindowLook::label(&window, 10, 10, QStringLiteral("a"));
        if (c.shownFirst)
            window.show();
        WindowLook::setLabelText(label, QStringLiteral("a much longer text than before"));
        WindowLook::setLabelText(label, QStringLiteral("a text"));
        window.show();
        EXPECT_EQ(label->size(), label->sizeHint());
        WindowLook::setLabelText(label, QStringLiteral("and again a longer text, while shown"));
        EXPECT_EQ(label->size(), label->sizeHint());
    }
}

} // namespace
