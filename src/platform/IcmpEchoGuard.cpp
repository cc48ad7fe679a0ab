#include "platform/IcmpEcho.h"

#include <atomic>

namespace Platform {

namespace {
std::atomic<bool> g_loopbackOnly{false};
}

void IcmpEcho::restrictToLoopback(bool on) {
    g_loopbackOnly = on;
}

bool IcmpEcho::restrictedToLoopback() {
    return g_loopbackOnly;
}

} // namespace Platform
