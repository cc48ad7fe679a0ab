// The base every window shares: frame and size, the title band, and the opened hook that runs at
// each opening by the program but not when the window system restores the window from minimised.
#include "core/shell/ProductIdentity.h"
#include "gui/shell/WindowBase.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
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

// A fixed layout taller and wider than any work area, with controls at known places: a field
// at the top, a hidden label, a button at the bottom right, a group with a field inside.
class TallLayout : public DialogBase {
public:
    static constexpr QSize Layout{2400, 3000};
    TallLayout() : DialogBase(nullptr, Layout) {
        title = addTitlePanel();
        top = new QLineEdit(this);
        top->setGeometry(16, 80, 200, 22);
        hidden = new QLabel(QStringLiteral("hidden"), this);
        hidden->setGeometry(16, 120, 100, 20);
        hidden->hide();
        group = new QWidget(this);
        group->setGeometry(100, 1500, 400, 100);
        inside = new QLineEdit(group);
        inside->setGeometry(10, 10, 120, 22);
        bottom = new QPushButton(QStringLiteral("OK"), this);
        bottom->setGeometry(2280, 2960, 110, 28);
        setTabOrder(bottom, top); // an order of the window's own, not that of creation
        setTabOrder(top, inside);
    }
    WindowLook::TitlePanel* title;
    QLineEdit* top;
    QLabel* hidden;
    QWidget* group;
    QLineEdit* inside;
    QPushButton* bottom;
};

TEST(WindowBase, AFixedLayoutLargerThanTheWorkAreaScrollsWithEveryControlAtItsPlace) {
    TallLayout window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QRect area = window.screen()->availableGeometry();
    EXPECT_TRUE(area.contains(window.frameGeometry()));
    EXPECT_LT(window.height(), TallLayout::Layout.height());

    auto* scroll = window.findChild<QScrollArea*>(QLatin1String(WindowLook::ScrollAreaName));
    ASSERT_NE(scroll, nullptr);
    QWidget* surface = scroll->widget();
    EXPECT_EQ(surface->size(), TallLayout::Layout);
    EXPECT_EQ(scroll->geometry(), window.rect());
    EXPECT_EQ(scroll->verticalScrollBar()->maximum(),
              TallLayout::Layout.height() - scroll->viewport()->height());
    EXPECT_EQ(scroll->horizontalScrollBar()->maximum(),
              TallLayout::Layout.width() - scroll->viewport()->width());

    // Each control where the layout put it, shown or hidden as it was, the group's inside untouched.
    EXPECT_EQ(window.title->parentWidget(), surface);
    EXPECT_EQ(window.title->geometry(), QRect(0, 0, TallLayout::Layout.width(), WindowLook::TitleHeight));
    EXPECT_EQ(window.top->parentWidget(), surface);
    EXPECT_EQ(window.top->geometry(), QRect(16, 80, 200, 22));
    EXPECT_TRUE(window.hidden->isHidden());
    EXPECT_EQ(window.hidden->geometry(), QRect(16, 120, 100, 20));
    EXPECT_EQ(window.group->geometry(), QRect(100, 1500, 400, 100));
    EXPECT_EQ(window.inside->parentWidget(), window.group);
    EXPECT_EQ(window.inside->geometry(), QRect(10, 10, 120, 22));
    EXPECT_EQ(window.bottom->geometry(), QRect(2280, 2960, 110, 28));
    EXPECT_TRUE(window.bottom->isVisible());

    // The window's own tab order stays, and a control reached by the keyboard is scrolled into view.
    window.bottom->setFocus();
    QTest::keyClick(window.bottom, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window.top);
    QTest::keyClick(window.top, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window.inside);
    const QRect shown(window.inside->mapTo(scroll->viewport(), QPoint(0, 0)), window.inside->size());
    EXPECT_TRUE(scroll->viewport()->rect().contains(shown));

    // Opened again, the window is fitted again, not wrapped twice.
    window.hide();
    window.show();
    EXPECT_EQ(window.findChildren<QScrollArea*>(QLatin1String(WindowLook::ScrollAreaName)).size(), 1);
    EXPECT_TRUE(area.contains(window.frameGeometry()));
}

TEST(WindowBase, AResizableWindowLargerThanTheWorkAreaOpensAtTheWorkAreasSize) {
    Probe window(Probe::Sizing::Resizable);
    window.resize(5000, 4000);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QRect area = window.screen()->availableGeometry();
    EXPECT_TRUE(area.contains(window.frameGeometry()));
    EXPECT_EQ(window.frameGeometry().size(), area.size());
    EXPECT_EQ(window.findChild<QScrollArea*>(QLatin1String(WindowLook::ScrollAreaName)), nullptr);
}

TEST(WindowBase, AFixedLayoutThatFitsIsLeftAsItIs) {
    Probe window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.size(), QSize(300, 200));
    EXPECT_EQ(window.title->parentWidget(), &window);
    EXPECT_EQ(window.findChild<QScrollArea*>(QLatin1String(WindowLook::ScrollAreaName)), nullptr);
}

} // namespace
