// The base every window shares: frame and size, the title band, and the opened hook that runs at
// each opening by the program but not when the window system restores the window from minimised.
#include "core/shell/ProductIdentity.h"
#include "gui/shell/WindowBase.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <gtest/gtest.h>

namespace {

class Probe : public DialogBase {
public:
    explicit Probe(Sizing sizing = Sizing::Fixed) : DialogBase(nullptr, QSize(300, 200), sizing) {
        title = addTitlePanel();
    }
    WindowLook::TitlePanel* title;
    int openings = 0;
    int restores = 0; // shows by the window system
    QPoint centreWhenOpened;

protected:
    void showEvent(QShowEvent* event) override {
        restores += event->spontaneous() ? 1 : 0;
        DialogBase::showEvent(event);
    }
    void opened() override {
        ++openings;
        centreWhenOpened = frameGeometry().center();
    }
};

TEST(WindowBase, FixedWindowKeepsItsClientSizeUnderItsTitleBand) {
    Probe window;
    EXPECT_EQ(window.size(), QSize(300, 200));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_EQ(window.windowFlags() & FixedDialogFlags, FixedDialogFlags);
    EXPECT_EQ(window.title->geometry(), QRect(0, 0, 300, WindowLook::TitleHeight));
    EXPECT_EQ(window.title->L_SW_Code->text(), Product::SW_Code);

    Probe resizable(Probe::Sizing::Resizable);
    EXPECT_EQ(resizable.size(), QSize(300, 200));
    EXPECT_NE(resizable.minimumSize(), resizable.maximumSize());
}

TEST(WindowBase, OpenedRunsAtEachOpeningCentredButNotOnARestore) {
    Probe window;
    window.move(0, 0);
    window.show();
    QApplication::processEvents();
    EXPECT_EQ(window.openings, 1);
    const QRect area = window.screen()->availableGeometry();
    EXPECT_LE((window.centreWhenOpened - area.center()).manhattanLength(), 2);

    window.showMinimized();
    QApplication::processEvents();
    window.showNormal();
    QApplication::processEvents();
    ASSERT_GT(window.restores, 0);
    EXPECT_EQ(window.openings, 1);

    window.hide();
    window.show();
    QApplication::processEvents();
    EXPECT_EQ(window.openings, 2);
}

} // namespace
