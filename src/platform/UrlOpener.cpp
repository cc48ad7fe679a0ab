#include "platform/UrlOpener.h"

namespace Platform {

void openUrlWithSystem(const QString& url); // per operating system

namespace {
std::function<void(const QString&)>& handler() {
    static std::function<void(const QString&)> current;
    return current;
}
} // namespace

void openUrl(const QString& url) {
    if (handler())
        handler()(url);
    else
        openUrlWithSystem(url);
}

void setUrlHandler(std::function<void(const QString&)> newHandler) {
    handler() = std::move(newHandler);
}

} // namespace Platform
