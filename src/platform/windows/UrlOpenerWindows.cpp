#include "platform/UrlOpener.h"

// windows.h first: shellapi.h builds on its types.
#include <windows.h>

#include <shellapi.h>

namespace Platform {

void openUrlWithSystem(const QString& url) {
    ShellExecuteW(nullptr, L"open", reinterpret_cast<const wchar_t*>(url.utf16()), nullptr, nullptr,
                  SW_SHOWNORMAL);
}

} // namespace Platform
