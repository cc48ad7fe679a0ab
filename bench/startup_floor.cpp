// The least any Qt program spends to show a window: a bare QApplication showing one empty QWidget.
// With --text the window holds one label, to show what the first text costs (fonts). With --fonts
// the label is in the program's face and the window also loads the faces the program's first
// window draws in (11 px, 11 px bold, 32 px), without laying out any text in them.
// Prints the moment of its first painted frame, the peak resident memory then and when main began.
#include "FrameClock.h"

#include "gui/shell/WindowLook.h"

#include <QFontMetrics>
#include <QLabel>

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[]) {
    const std::int64_t mainAt = monotonicNs();
    FrameClock app(argc, argv);
    QWidget window;
    const bool fonts = argc > 1 && std::strcmp(argv[1], "--fonts") == 0;
    if (fonts) {
        window.setFont(WindowLook::font());
        for (const QFont& face : {WindowLook::font(), WindowLook::font(11, true), WindowLook::font(32)})
            (void)QFontMetrics(face).height();
    }
    if (fonts || (argc > 1 && std::strcmp(argv[1], "--text") == 0))
        new QLabel(QStringLiteral("SW73052"), &window);
    app.watch(&window);
    window.show();
    if (!app.waitForFrame())
        return 2;
    std::printf("%lld %ld %lld\n", static_cast<long long>(monotonicNs(app.framedAt())), peakResidentKb(),
                static_cast<long long>(mainAt));
    return 0;
}
