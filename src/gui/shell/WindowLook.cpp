#include "gui/shell/WindowLook.h"

#include <QEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>

namespace WindowLook {

QFont font(int pixelSize, bool bold) {
    static const QString family = [] {
        const QStringList families = QFontDatabase::families();
        for (const QString& candidate : {QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")}) {
            if (families.contains(candidate))
                return candidate;
        }
        return QStringLiteral("Sans Serif");
    }();
    QFont result(family);
    result.setPixelSize(pixelSize);
    result.setBold(bold);
    return result;
}

void apply(QWidget* window) {
    window->setFont(font());
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, Background);
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}

void setFixedClientSize(QWidget* window, int width, int height) {
    window->setFixedSize(width, height);
}

void centreOnScreen(QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    QRect frame = window->frameGeometry();
    frame.moveCenter(area.center());
    window->move(frame.topLeft());
}

namespace {

// Moves the window's controls onto a surface of the layout's size inside a scroll area that fills
// the window. The surface and the scroll area join the window first, so the controls stay in the
// same window and keep their tab order; each keeps its geometry, visibility and stacking order.
QScrollArea* scrollLayout(QWidget* window, QSize layoutSize) {
    const QList<QWidget*> controls = window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    auto* scroll = new QScrollArea(window);
    scroll->setObjectName(QLatin1String(ScrollAreaName));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);
    auto* surface = new QWidget;
    surface->setObjectName(QLatin1String(ScrolledLayoutName));
    surface->setFixedSize(layoutSize);
    scroll->setWidget(surface);
    for (QWidget* control : controls) {
        if (control->isWindow())
            continue; // a window the window owns, not a control of its layout
        const QRect geometry = control->geometry();
        const bool hidden = control->isHidden();
        control->setParent(surface);
        control->setGeometry(geometry);
        control->setVisible(!hidden);
    }
    scroll->lower();
    return scroll;
}

// How much of a layout the work area shows: the layout itself where it fits, else the room, with
// a scroll bar's width added across from each direction that scrolls.
QSize scrolledClientSize(QSize layout, QSize room, int bar) {
    bool down = layout.height() > room.height();
    bool across = layout.width() + (down ? bar : 0) > room.width();
    down = layout.height() + (across ? bar : 0) > room.height();
    const QSize wanted(layout.width() + (down ? bar : 0), layout.height() + (across ? bar : 0));
    return wanted.boundedTo(room);
}

} // namespace

void fitToWorkArea(QWidget* window, QSize layoutSize, bool resizable) {
    if (!window->isWindow())
        return; // shown inside another window, which fits itself
    // The frame is known once the window exists on the window system.
    window->winId();
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QSize frameExtra = window->frameGeometry().size() - window->size();
    const QSize room = screen->availableGeometry().size() - frameExtra;
    if (resizable) {
        if (window->width() > room.width() || window->height() > room.height())
            window->resize(window->size().boundedTo(room).expandedTo(window->minimumSize()));
        return;
    }
    auto* scroll = window->findChild<QScrollArea*>(QLatin1String(ScrollAreaName), Qt::FindDirectChildrenOnly);
    const bool fits = layoutSize.width() <= room.width() && layoutSize.height() <= room.height();
    if (!scroll && fits)
        return;
    if (!scroll)
        scroll = scrollLayout(window, layoutSize);
    const QSize client = scrolledClientSize(
        layoutSize, room, window->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroll));
    setFixedClientSize(window, client.width(), client.height());
    scroll->setGeometry(0, 0, client.width(), client.height());
}

QLabel* label(QWidget* parent, int left, int top, const QString& text) {
    auto* result = new QLabel(text, parent);
    result->move(left, top);
    result->adjustSize();
    return result;
}

QPushButton* button(QWidget* parent, const QRect& geometry) {
    auto* result = new QPushButton(parent);
    result->setGeometry(geometry);
    result->setStyleSheet(QStringLiteral("QPushButton:pressed { background-color: #FF8000; }"));
    return result;
}

TitlePanel::TitlePanel(QWidget* parent, int height) : QWidget(parent) {
    setFixedHeight(height);
    L_SW_Code = new QLabel(this);
    L_SW_Code->setObjectName(QStringLiteral("L_SW_Code"));
    L_SW_Code->setFont(WindowLook::font(32));
    L_SW_Desc = new QLabel(this);
    L_SW_Desc->setObjectName(QStringLiteral("L_SW_Desc"));
    L_SW_Desc->setFont(WindowLook::font(11, true));
    for (QLabel* l : {L_SW_Code, L_SW_Desc}) {
        QPalette palette = l->palette();
        palette.setColor(QPalette::WindowText, TitleGrey);
        l->setPalette(palette);
    }
    L_SW_Code->move(16, 8);
    L_SW_Desc->move(16, 42);
}

namespace {

// Fits a label or a check box to its text when it is shown. Measuring a text is most of what a
// language switch costs, and most windows are hidden then; a hidden control is measured once, when
// it appears.
class FitOnShow : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            watched->removeEventFilter(this);
            static_cast<QWidget*>(watched)->adjustSize();
        }
        return false;
    }
};

QObject* fitOnShow() {
    static FitOnShow filter;
    return &filter;
}

} // namespace

void setLabelText(QLabel* label, const QString& text) {
    if (!label->isVisible()) {
        // Not even asked for its size: a hidden label that was never shown has no size hint yet,
        // and working one out is the cost the deferred fitting saves.
        label->setText(text);
        label->installEventFilter(fitOnShow());
        return;
    }
    // A label already fitted to the same text stays as it is; the size hint is kept by the label
    // until its text changes, so asking costs nothing.
    if (label->text() == text && label->size() == label->sizeHint())
        return;
    label->setText(text);
    label->removeEventFilter(fitOnShow());
    label->adjustSize();
}

void fitToText(QWidget* widget) {
    if (widget->isVisible()) {
        widget->removeEventFilter(fitOnShow());
        widget->adjustSize();
    } else {
        widget->installEventFilter(fitOnShow());
    }
}

bool isLeftClick(const QEvent* event) {
    return event->type() == QEvent::MouseButtonRelease &&
           static_cast<const QMouseEvent*>(event)->button() == Qt::LeftButton;
}

} // namespace WindowLook
