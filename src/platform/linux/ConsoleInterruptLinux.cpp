#include "platform/ConsoleInterrupt.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace Platform {
namespace {

// A signal handler may do next to nothing: it writes a byte that the event loop then reads.
int g_pipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
}

std::function<void()>& callback() {
    static std::function<void()> function;
    return function;
}

} // namespace

void catchConsoleInterrupt(std::function<void()> onInterrupt) {
    callback() = std::move(onInterrupt);
    if (!callback()) {
        std::signal(SIGINT, SIG_DFL);
        return;
    }
    if (g_pipe[0] < 0) {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0)
            return;
        auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
            char bytes[16];
            while (::read(g_pipe[0], bytes, sizeof bytes) > 0) {
            }
            if (callback())
                callback()();
        });
    }
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
}

} // namespace Platform
