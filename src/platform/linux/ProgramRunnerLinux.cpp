#include "platform/ProgramRunner.h"

#include <QElapsedTimer>
#include <QProcess>
#include <cerrno>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <time.h>
#include <vector>

extern char** environ;

namespace Platform {

RunEnd startAndWait(const QString& program, const QString& parameters, bool /*hidden*/, int limitMs,
                    QString* error) {
    const QByteArray path = program.toLocal8Bit();
    std::vector<QByteArray> arguments{path};
    for (const QString& parameter : QProcess::splitCommand(parameters))
        arguments.push_back(parameter.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int failed = ::posix_spawn(&pid, path.constData(), nullptr, nullptr, argv.data(), environ);
    if (failed) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(failed));
        return RunEnd::NotStarted;
    }

    QElapsedTimer clock;
    clock.start();
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno == ECHILD))
            return RunEnd::Ended;
        if (clock.elapsed() >= limitMs) {
            // Left running; someone must still collect it when it ends, or it stays a zombie.
            std::thread([pid] {
                int ignored = 0;
                ::waitpid(pid, &ignored, 0);
            }).detach();
            return RunEnd::StillRunning;
        }
        const timespec step{0, 10 * 1000 * 1000};
        ::nanosleep(&step, nullptr);
    }
}

} // namespace Platform
