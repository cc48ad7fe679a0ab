#include "gui/shell/WindowLook.h"

#include <QEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

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
