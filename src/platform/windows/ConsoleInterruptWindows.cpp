#include "platform/ConsoleInterrupt.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <windows.h>

namespace Platform {
namespace {

std::function<void()>& callback() {
    static std::function<void()> function;
    return function;
}

// Runs on a thread of its own that the system starts: the work is handed to the event loop.
BOOL WINAPI onControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] {
            if (callback())
                callback()();
        },
        Qt::QueuedConnection);
    return TRUE;
}

} // namespace

void catchConsoleInterrupt(std::function<void()> onInterrupt) {
    callback() = std::move(onInterrupt);
    SetConsoleCtrlHandler(onControl, callback() ? TRUE : FALSE);
}

} // namespace Platform
