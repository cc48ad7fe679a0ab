#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QWidget>

class QEvent;
class QLabel;
class QPushButton;

// The shared look of the program's windows: fixed pixel layouts for 96 DPI, Verdana 11 pixels,
// background #F8F7ED, grey titles and buttons that turn orange when pressed.
namespace WindowLook {

inline const QColor Background(248, 247, 237);
inline const QColor TitleGrey(128, 128, 128);
inline const QColor Pressed(0xFF, 0x80, 0x00);

// The height of the title band at the top of every window.
inline constexpr int TitleHeight = 69;

// Verdana where it exists, a close sans-serif otherwise.
QFont font(int pixelSize = 11, bool bold = false);

// Background, font and palette of a window or panel.
void apply(QWidget* window);

// Fixed client size, no resizing.
void setFixedClientSize(QWidget* window, int width, int height);
// Places a window at the centre of its screen.
void centreOnScreen(QWidget* window);
// Keeps a window that is about to open inside the work area of its screen (the screen less the
// taskbar), frame included, at any display scaling. A window the user may resize opens no larger
// than the work area. A fixed layout larger than the work area is shown in a scroll area of the
// work area's size, every control at its place in the layout: nothing is cut off unseen, and no
// control is moved or resized.
void fitToWorkArea(QWidget* window, QSize layoutSize, bool resizable);
// The names of the scroll area and of the layout's surface inside it, for a fitted fixed window.
inline constexpr char ScrollAreaName[] = "P_WindowScroll";
inline constexpr char ScrolledLayoutName[] = "P_WindowLayout";

QLabel* label(QWidget* parent, int left, int top, const QString& text = {});
// A push button at a fixed place with the pressed colour of the program.
QPushButton* button(QWidget* parent, const QRect& geometry);

// The title band of a window: L_SW_Code (Verdana 32 grey) and L_SW_Desc (bold grey).
class TitlePanel : public QWidget {
public:
    explicit TitlePanel(QWidget* parent, int height = TitleHeight);
    QLabel* L_SW_Code;
    QLabel* L_SW_Desc;
};

// Sets a label's text and fits the label to it (labels stand at fixed places, not in layouts).
void setLabelText(QLabel* label, const QString& text);
// Fits a control at a fixed place to its text: now when it is on screen, else when it appears.
void fitToText(QWidget* widget);

// The release of the left mouse button: what opens a clickable label or picture.
bool isLeftClick(const QEvent* event);

} // namespace WindowLook
