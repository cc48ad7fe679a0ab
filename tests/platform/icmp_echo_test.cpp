#include "TestNetworkNamespace.h"
#include "platform/IcmpEcho.h"

#include <QElapsedTimer>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <deque>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using Platform::IcmpEcho;

const QByteArray kData = QByteArrayLiteral("abcdefghijklmnopqrstuvwa");
const std::array<quint8, 4> kLoopback{127, 0, 0, 1};

// Sends one request and waits up to 400 ms for its answer.
IcmpEcho::Wait echoOnce(IcmpEcho& echo, int* bytes) {
    QString error;
    if (!echo.send(kData, 400, &error)) {
        ADD_FAILURE() << error.toStdString();
        return IcmpEcho::Wait::Error;
    }
    return echo.wait(400, bytes, &error);
}

// A device on the namespace's loopback that answers every echo request after a delay, in place of
// the system, whose own answers the namespace switches off. Reads the requests on a raw socket.
class DelayedResponder {
public:
    DelayedResponder(const TestNetworkNamespace& space, int delayMs)
        : m_thread([this, &space, delayMs] { run(space, delayMs); }) {
        // Requests sent before the responder listens would go unanswered.
        while (!m_started)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~DelayedResponder() {
        m_stop = true;
        m_thread.join();
    }

private:
    void run(const TestNetworkNamespace& space, int delayMs) {
        TestNetworkNamespace::Inside inside(space);
        const int fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
        m_started = true;
        if (!inside.entered() || fd < 0) {
            ADD_FAILURE() << "the responder cannot listen in the namespace";
            if (fd >= 0)
                ::close(fd);
            return;
        }
        QElapsedTimer clock;
        clock.start();
        std::deque<std::pair<qint64, QByteArray>> due; // answers in the order they fall due
        while (!m_stop) {
            pollfd entry{fd, POLLIN, 0};
            if (::poll(&entry, 1, 5) > 0) {
                char packet[1500];
                const ssize_t size = ::recv(fd, packet, sizeof packet, 0);
                const int header = size > 0 ? (static_cast<quint8>(packet[0]) & 0x0F) * 4 : 0;
                // Our own answers pass by on the loopback too; only requests are answered.
                if (size >= header + 8 && packet[header] == 8) {
                    QByteArray answer(packet + header, static_cast<qsizetype>(size - header));
                    answer[0] = 0;
                    answer[2] = answer[3] = 0;
                    quint32 sum = 0;
                    for (qsizetype i = 0; i + 1 < answer.size(); i += 2)
                        sum += (static_cast<quint8>(answer[i]) << 8) | static_cast<quint8>(answer[i + 1]);
                    if (answer.size() % 2)
                        sum += static_cast<quint8>(answer.back()) << 8;
                    while (sum >> 16)
                        sum = (sum & 0xFFFF) + (sum >> 16);
                    answer[2] = static_cast<char>(~sum >> 8);
                    answer[3] = static_cast<char>(~sum & 0xFF);
                    due.emplace_back(clock.elapsed() + delayMs, answer);
                }
            }
            while (!due.empty() && due.front().first <= clock.elapsed()) {
                sockaddr_in to{};
                to.sin_family = AF_INET;
                to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
                const QByteArray& answer = due.front().second;
                ::sendto(fd, answer.constData(), static_cast<size_t>(answer.size()), 0,
                         reinterpret_cast<const sockaddr*>(&to), sizeof to);
                due.pop_front();
            }
        }
        ::close(fd);
    }

    std::atomic<bool> m_started{false};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// Only the answer to the request just sent, within its 400 ms, counts: a device that answers every
// request after 450 ms answers each one while the next is waiting, and is never found.
TEST(IcmpEcho, OnlyTheAnswerToTheCurrentRequestInItsTimeCounts) {
    struct Case {
        const char* name;
        bool datagramAllowed;
        int delayMs;
    };
    const Case cases[] = {
        {"datagram socket, in time", true, 100},
        {"raw socket, in time", false, 100},
        {"datagram socket, late", true, 450},
        {"raw socket, late", false, 450},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestNetworkNamespace space({c.datagramAllowed
                                        ? QStringLiteral("net.ipv4.ping_group_range=0 2147483647")
                                        : QStringLiteral("net.ipv4.ping_group_range=1 0"),
                                    QStringLiteral("net.ipv4.icmp_echo_ignore_all=1")});
        if (!space.ready())
            GTEST_SKIP() << "no network namespace for the echo tests: " << space.whyNot().toStdString();
        DelayedResponder responder(space, c.delayMs);
        TestNetworkNamespace::Inside inside(space);
        ASSERT_TRUE(inside.entered());

        IcmpEcho echo;
        QString error;
        ASSERT_TRUE(echo.open(kLoopback, &error)) << error.toStdString();
        for (int attempt = 0; attempt < 3; ++attempt) {
            int bytes = 0;
            EXPECT_EQ(echoOnce(echo, &bytes),
                      c.delayMs < 400 ? IcmpEcho::Wait::Answer : IcmpEcho::Wait::Nothing)
                << "attempt " << attempt;
        }
    }
}

// Each case runs inside a namespace of its own: whether unprivileged echo sockets are allowed
// decides the socket kind, and whether the loopback answers decides the result.
TEST(IcmpEcho, AnswersAndSilenceOnBothSocketKinds) {
    struct Case {
        const char* name;
        bool datagramAllowed;
        bool silent;
    };
    const Case cases[] = {
        {"datagram socket, answering", true, false},
        {"raw socket, answering", false, false},
        {"datagram socket, silent", true, true},
        {"raw socket, silent", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList settings{c.datagramAllowed ? QStringLiteral("net.ipv4.ping_group_range=0 2147483647")
                                               : QStringLiteral("net.ipv4.ping_group_range=1 0")};
        if (c.silent)
            settings << QStringLiteral("net.ipv4.icmp_echo_ignore_all=1");
        TestNetworkNamespace space(settings);
        if (!space.ready())
            GTEST_SKIP() << "no network namespace for the echo tests: " << space.whyNot().toStdString();
        TestNetworkNamespace::Inside inside(space);
        ASSERT_TRUE(inside.entered());

        IcmpEcho echo;
        QString error;
        ASSERT_TRUE(echo.open(kLoopback, &error)) << error.toStdString();
        EXPECT_EQ(echo.socketKind(),
                  c.datagramAllowed ? IcmpEcho::SocketKind::Datagram : IcmpEcho::SocketKind::Raw);
        for (int attempt = 0; attempt < 2; ++attempt) {
            int bytes = 0;
            const IcmpEcho::Wait waited = echoOnce(echo, &bytes);
            if (c.silent) {
                EXPECT_EQ(waited, IcmpEcho::Wait::Nothing);
            } else {
                EXPECT_EQ(waited, IcmpEcho::Wait::Answer);
                EXPECT_EQ(bytes, kData.size());
            }
        }
    }
}

TEST(IcmpEcho, AnAddressWithoutRouteCannotBeSentTo) {
    // With the loopback down not even 127.0.0.1 has a route.
    TestNetworkNamespace space({QStringLiteral("net.ipv4.ping_group_range=1 0")}, false);
    if (!space.ready())
        GTEST_SKIP() << "no network namespace: " << space.whyNot().toStdString();
    TestNetworkNamespace::Inside inside(space);
    ASSERT_TRUE(inside.entered());
    IcmpEcho echo;
    QString error;
    ASSERT_TRUE(echo.open(kLoopback, &error)) << error.toStdString();
    EXPECT_FALSE(echo.send(kData, 400, &error));
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
