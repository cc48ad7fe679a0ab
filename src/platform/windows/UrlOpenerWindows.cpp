#include "platform/UrlOpener.h"

#include <shellapi.h>
#include <windows.h>

namespace Platform {

void openUrlWithSystem(const QString& url) {
    ShellExecuteW(nullptr, L"open", reinterpret_cast<const wchar_t*>(url.utf16()), nullptr, nullptr,
                  SW_SHOWNORMAL);
}

} // namespace Platform
