#include "platform/IcmpEcho.h"

// Linked into every test program: echo requests may go to the loopback range only.
namespace {
const bool g_guard = [] {
    Platform::IcmpEcho::restrictToLoopback(true);
    return true;
}();
}
