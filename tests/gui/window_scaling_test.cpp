// Every window of the program opens inside the work area of its screen at the display scaling the
// test program runs under: QT_SCALE_FACTOR on a laptop's screen less a taskbar (CTest runs it at 100,
// 125, 150 and 200 %), or under Wine the system DPI that scripts/windows.sh sets. Where a fixed
// layout is larger than the work area, the window opens at the work area's size and its layout
// scrolls; nothing is cut off unseen, no text is clipped.
//
// With TESSELLOR_SCREENSHOTS naming a folder, each window's client area is also saved there as
// drawn at that scaling.
#include "ProgramFixture.h"

#include "gui/shell/ProgramWindows.h"
#include "gui/shell/TFTesselloreFirmWare.h"
#include "gui/shell/WindowLook.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

namespace {

std::string text(const QRect& r) {
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).toStdString();
}

// The text of a label or button that does not fit its control at the control's size.
QString clippedText(QWidget* control) {
    if (!control->isVisible() || control->width() <= 0)
        return {};
    if (auto* label = qobject_cast<QLabel*>(control)) {
        if (label->text().isEmpty() || label->wordWrap() || label->textFormat() == Qt::RichText)
            return {};
        return label->sizeHint().width() > label->width() ? label->text() : QString();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        if (button->text().isEmpty())
            return {};
        return button->sizeHint().width() > button->width() ? button->text() : QString();
    }
    return {};
}

class WindowScaling : public ProgramFixture {};

TEST_F(WindowScaling, EveryWindowOpensInsideTheWorkAreaWithItsLayoutWhole) {
    startProgram();
    openConfiguration(QStringLiteral("Bridge"));
    const QString screenshots = qEnvironmentVariable("TESSELLOR_SCREENSHOTS");
    for (const ProgramWindow& entry : programWindows()) {
        QWidget* window = entry.build(*m_main);
        const bool fixed = window->minimumSize() == window->maximumSize();
        const QSize layout = window->size();

        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        QCoreApplication::processEvents();
        const QScreen* screen = window->screen();
        SCOPED_TRACE(QStringLiteral("%1 at %2 %, work area %3x%4")
                         .arg(QLatin1String(entry.type.className()))
                         .arg(qRound(screen->devicePixelRatio() * 100))
                         .arg(screen->availableGeometry().width())
                         .arg(screen->availableGeometry().height())
                         .toStdString());

        EXPECT_TRUE(screen->availableGeometry().contains(window->frameGeometry()))
            << "frame " << text(window->frameGeometry()) << " outside " << text(screen->availableGeometry());
        EXPECT_GE(window->width(), window->minimumWidth());
        EXPECT_GE(window->height(), window->minimumHeight());

        const auto* scroll = window->findChild<QScrollArea*>(QLatin1String(WindowLook::ScrollAreaName),
                                                             Qt::FindDirectChildrenOnly);
        if (scroll) {
            EXPECT_TRUE(fixed) << "only a fixed layout scrolls";
            EXPECT_TRUE(layout.width() > window->width() || layout.height() > window->height())
                << "scrolls though the layout fits";
            EXPECT_EQ(scroll->geometry(), window->rect());
            EXPECT_EQ(scroll->widget()->size(), layout);
            // The scroll bars reach every edge of the layout.
            EXPECT_EQ(scroll->verticalScrollBar()->maximum(),
                      std::max(0, layout.height() - scroll->viewport()->height()));
            EXPECT_EQ(scroll->horizontalScrollBar()->maximum(),
                      std::max(0, layout.width() - scroll->viewport()->width()));
        } else if (fixed) {
            EXPECT_EQ(window->size(), layout);
        }

        // Every control of a scrolled layout is on the scrolled surface; where on it is the base's
        // test (window_base_test).
        if (scroll) {
            for (QWidget* control : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                EXPECT_TRUE(control == scroll || control->isWindow())
                    << control->objectName().toStdString() << " left outside the scrolled layout";
            }
        }
        for (QWidget* control : window->findChildren<QWidget*>()) {
            if (control->window() == window) {
                EXPECT_EQ(clippedText(control), QString())
                    << control->objectName().toStdString() << " clips its text";
            }
        }

        if (!screenshots.isEmpty()) {
            const QString name =
                window->objectName().isEmpty() ? QLatin1String(entry.type.className()) : window->objectName();
            EXPECT_TRUE(window->grab().save(QDir(screenshots).filePath(name + QStringLiteral(".png"))));
        }
        window->hide();
    }
}

} // namespace
