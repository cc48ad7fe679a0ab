#include "platform/ProgramRunner.h"

#include <QElapsedTimer>

// windows.h first: shellapi.h builds on its types.
#include <windows.h>

#include <shellapi.h>

namespace Platform {

RunEnd startAndWait(const QString& program, const QString& parameters, bool hidden, int limitMs,
                    QString* error) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // The caller reports a failed start itself, so the shell shows no box of its own.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpFile = reinterpret_cast<const wchar_t*>(program.utf16());
    info.lpParameters = parameters.isEmpty() ? nullptr : reinterpret_cast<const wchar_t*>(parameters.utf16());
    info.lpDirectory = nullptr;
    info.nShow = hidden ? SW_HIDE : SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info)) {
        if (error)
            *error = QStringLiteral("Cannot start the program (error %1)").arg(GetLastError());
        return RunEnd::NotStarted;
    }
    if (!info.hProcess)
        return RunEnd::Ended; // handed to a running program: nothing of ours to wait for

    QElapsedTimer clock;
    clock.start();
    RunEnd end = RunEnd::Ended;
    for (;;) {
        if (WaitForSingleObject(info.hProcess, 10) == WAIT_OBJECT_0)
            break;
        if (clock.elapsed() >= limitMs) {
            end = RunEnd::StillRunning;
            break;
        }
    }
    CloseHandle(info.hProcess);
    return end;
}

} // namespace Platform
