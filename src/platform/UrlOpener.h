#pragma once

#include <QString>
#include <functional>

namespace Platform {

// Opens a web address in the default browser (the shell's "open" action).
void openUrl(const QString& url);

// Tests replace the browser to see which address would open; an empty handler restores it.
void setUrlHandler(std::function<void(const QString&)> handler);

} // namespace Platform
