#pragma once

// A network namespace of the test's own: loopback up, a few settings of its own, deleted again at
// the end. Needs root and iproute2; whyNot() says why one could not be made, for the skip message.

#include <QCoreApplication>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

class TestNetworkNamespace {
public:
    // settings: "net.ipv4.icmp_echo_ignore_all=1" and the like, applied inside the namespace.
    // loopbackUp false leaves the namespace without any working interface.
    explicit TestNetworkNamespace(const QStringList& settings = {}, bool loopbackUp = true) {
        if (::geteuid() != 0) {
            m_whyNot = QStringLiteral("creating a network namespace needs root");
            return;
        }
        static int made = 0;
        m_name = QStringLiteral("tessellor-test-%1-%2").arg(QCoreApplication::applicationPid()).arg(++made);
        if (!run({QStringLiteral("netns"), QStringLiteral("add"), m_name}))
            return;
        m_created = true;
        if (loopbackUp && !run({QStringLiteral("-n"), m_name, QStringLiteral("link"), QStringLiteral("set"),
                                QStringLiteral("lo"), QStringLiteral("up")}))
            return;
        for (const QString& setting : settings) {
            if (!run({QStringLiteral("netns"), QStringLiteral("exec"), m_name, QStringLiteral("sysctl"),
                      QStringLiteral("-q"), QStringLiteral("-w"), setting}))
                return;
        }
        m_ready = true;
    }

    ~TestNetworkNamespace() {
        if (m_created)
            run({QStringLiteral("netns"), QStringLiteral("delete"), m_name});
    }

    bool ready() const { return m_ready; }
    QString whyNot() const { return m_whyNot; }
    const QString& name() const { return m_name; }

    // Moves the calling thread into the namespace while it lives; sockets made meanwhile stay in it.
    class Inside {
    public:
        explicit Inside(const TestNetworkNamespace& space) {
            m_home = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
            const int target =
                ::open(("/run/netns/" + space.name().toLocal8Bit()).constData(), O_RDONLY | O_CLOEXEC);
            m_entered = m_home >= 0 && target >= 0 && ::setns(target, CLONE_NEWNET) == 0;
            if (target >= 0)
                ::close(target);
        }
        ~Inside() {
            if (m_entered)
                ::setns(m_home, CLONE_NEWNET);
            if (m_home >= 0)
                ::close(m_home);
        }
        bool entered() const { return m_entered; }

    private:
        int m_home = -1;
        bool m_entered = false;
    };

private:
    bool run(const QStringList& arguments) {
        QProcess ip;
        ip.start(QStringLiteral("ip"), arguments);
        if (!ip.waitForFinished(20000) || ip.exitStatus() != QProcess::NormalExit || ip.exitCode() != 0) {
            m_whyNot = QStringLiteral("ip %1 failed: %2%3")
                           .arg(arguments.join(u' '), ip.errorString(),
                                QString::fromLocal8Bit(ip.readAllStandardError()));
            return false;
        }
        return true;
    }

    QString m_name;
    QString m_whyNot;
    bool m_created = false;
    bool m_ready = false;
};
