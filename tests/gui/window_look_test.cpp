#include "ProgramFixture.h"
#include "core/language/Language.h"
#include "gui/shell/TFTesselloreFirmWare.h"
#include "gui/shell/WindowLook.h"

#include <QLabel>
#include <QTabWidget>

namespace {

class WindowLookTest : public ProgramFixture {
protected:
    // Every label the user can see in the window is at least as wide as its text.
    static void expectLabelsFit(QWidget* window) {
        for (QLabel* label : window->findChildren<QLabel*>()) {
            if (!label->isVisible() || label->text().isEmpty())
                continue;
            EXPECT_GE(label->width(), label->sizeHint().width())
                << window->metaObject()->className() << " " << label->objectName().toStdString() << ": "
                << label->text().toStdString();
        }
    }
};

// Labels are measured when they appear, so a language switch does not measure hidden windows; the
// text must still fit once the window opens, also on a tab page shown later.
TEST_F(WindowLookTest, LabelsSwitchedWhileTheirWindowIsHiddenFitWhenItOpens) {
    startProgram();
    openConfiguration(QStringLiteral("Look"));
    m_main->show();
    m_state.Language_Name = QStringLiteral("Deutsch");
    Load_Language(m_state);
    m_main->Change_Language();
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
