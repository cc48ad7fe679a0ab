#pragma once

#include "core/shell/ProductIdentity.h"
#include "gui/shell/WindowLook.h"

#include <QDialog>
#include <QHideEvent>
#include <QShowEvent>
#include <QSize>

// The frame of the program's fixed-size windows: title bar with system menu and close button, no
// resizing, the thin dialog border on Windows.
inline constexpr Qt::WindowFlags FixedFrameHints = Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                                   Qt::WindowCloseButtonHint |
                                                   Qt::MSWindowsFixedSizeDialogHint;
inline constexpr Qt::WindowFlags FixedDialogFlags = Qt::Dialog | FixedFrameHints;
inline constexpr Qt::WindowFlags FixedMainWindowFlags = Qt::Window | FixedFrameHints;

// What every window of the program shares: its frame, its client size, the title band, the look,
// and opening inside the work area at the centre of the screen.
//
// A window does its per-opening work in opened() and what ends an opening in closed(). The window
// system shows a window again when it is restored from minimised and hides it when it is
// minimised; that is no new opening and no closing, so neither runs then, and what the user was
// editing stays as it was.
template <class Widget> class WindowBase : public Widget {
public:
    enum class Sizing {
        Fixed,     // the client area keeps the given size
        Resizable, // the given size is the first one; the user may change it
    };

    // Before each opening the window is fitted into the work area of its screen, whatever the
    // display scaling makes of its layout's pixels.
    void setVisible(bool visible) override {
        if (visible && !this->isVisible())
            WindowLook::fitToWorkArea(this, m_clientSize, m_sizing == Sizing::Resizable);
        Widget::setVisible(visible);
    }

protected:
    WindowBase(QWidget* parent, QSize clientSize, Sizing sizing = Sizing::Fixed,
               Qt::WindowFlags flags = FixedDialogFlags)
        : Widget(parent, flags), m_clientSize(clientSize), m_sizing(sizing) {
        WindowLook::apply(this);
        if (sizing == Sizing::Fixed)
            WindowLook::setFixedClientSize(this, clientSize.width(), clientSize.height());
        else
            this->resize(clientSize);
    }

    // Runs at every real opening, once the window stands at the centre of the screen and before
    // it is drawn.
    virtual void opened() {}
    // Runs at every real closing (OK, Cancel, the close box, hide()), before the window is hidden.
    virtual void closed() {}

    // The title band across the top of the client area, with the product code in its first line.
    WindowLook::TitlePanel* addTitlePanel() {
        auto* panel = new WindowLook::TitlePanel(this);
        panel->setObjectName(QStringLiteral("P_Title"));
        panel->setGeometry(0, 0, m_clientSize.width(), WindowLook::TitleHeight);
        WindowLook::setLabelText(panel->L_SW_Code, Product::SW_Code);
        return panel;
    }

    void showEvent(QShowEvent* event) override {
        if (!event->spontaneous()) {
            WindowLook::centreOnScreen(this);
            opened();
        }
        Widget::showEvent(event);
    }

    void hideEvent(QHideEvent* event) override {
        if (!event->spontaneous())
            closed();
        Widget::hideEvent(event);
    }

private:
    QSize m_clientSize;
    Sizing m_sizing;
};

// The base of every dialog window.
using DialogBase = WindowBase<QDialog>;
