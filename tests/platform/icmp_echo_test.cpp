#include "TestNetworkNamespace.h"
#include "platform/IcmpEcho.h"

#include <gtest/gtest.h>

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
