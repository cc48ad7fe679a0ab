// The version check against a server of the test's own on 127.0.0.1.
#include "http_test_server.h"

#include "core/options/VersionCheck.h"
#include "platform/HttpGet.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class VersionCheckAgainstServer : public ::testing::Test {
protected:
    void TearDown() override { VersionCheck::setServerBase({}); }

    bool checkAgainst(const LocalHttpServer& server) {
        VersionCheck::setServerBase(server.base());
        return Check_Version(Platform::httpGet);
    }
};

TEST_F(VersionCheckAgainstServer, SendsTheQueryAsAnHttp10GetWithTheProgramsHeaders) {
    LocalHttpServer server(LocalHttpServer::reply("VER. 1.000"));
    checkAgainst(server);

    const QList<QByteArray> lines = server.lastRequest().split('\n');
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines[0].trimmed(), "GET /home/download/GetversionSW.asp?nomesw=SW73052 HTTP/1.0");
    QList<QByteArray> headers;
    for (qsizetype i = 1; i < lines.size(); ++i)
        headers.append(lines[i].trimmed());
    EXPECT_TRUE(headers.contains("User-Agent: Mozilla/3.0 (compatible; Indy Library)"));
    EXPECT_TRUE(headers.contains("Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8"));
    for (const QByteArray& header : headers) {
        const QByteArray name = header.left(header.indexOf(':')).toLower();
        EXPECT_NE(name, "cookie");
        EXPECT_NE(name, "authorization");
        EXPECT_NE(name, "proxy-authorization");
    }
}

struct Answer {
    const char* name;
    QByteArray reply;
    bool newer;
};

TEST_F(VersionCheckAgainstServer, DecidesFromTheAnswer) {
    const Answer answers[] = {
        {"equal to the own version", LocalHttpServer::reply("VER. 1.000"), false},
        {"one newer", LocalHttpServer::reply("VER. 1.001"), true},
        {"lower case", LocalHttpServer::reply("ver. 1.001"), true},
        {"blanks and line ends around", LocalHttpServer::reply(" \r\nVER. 1.001\r\n\t"), true},
        {"nothing to offer", LocalHttpServer::reply("VER. 0.000"), false},
        {"no blank after the point", LocalHttpServer::reply("VER.1.002"), false},
        {"two digits before the point", LocalHttpServer::reply("VER. 12.00"), false},
        {"a fifth digit is not read", LocalHttpServer::reply("VER. 1.0025"), true},
        {"empty body", LocalHttpServer::reply(""), false},
        {"an error page naming a version", LocalHttpServer::reply("VER. 1.001", "404 Not Found"), false},
        {"a server error", LocalHttpServer::reply("VER. 1.001", "500 Internal Server Error"), false},
        {"a redirect is not followed", "HTTP/1.0 302 Found\r\nLocation: /elsewhere\r\n\r\nVER. 1.001", false},
        {"a broken answer", "garbage\r\n\r\n", false},
    };
    for (const Answer& answer : answers) {
        SCOPED_TRACE(answer.name);
        LocalHttpServer server(answer.reply);
        EXPECT_EQ(checkAgainst(server), answer.newer);
        EXPECT_EQ(server.requestCount(), 1);
    }
}

TEST_F(VersionCheckAgainstServer, NoServerMeansNoNewerVersion) {
    VersionCheck::setServerBase(QStringLiteral("http://127.0.0.1:%1").arg(LocalHttpServer::closedPort()));
    EXPECT_FALSE(Check_Version(Platform::httpGet));
}

TEST_F(VersionCheckAgainstServer, ASilentServerEndsAtTheTimeOutAsNoNewerVersion) {
    LocalHttpServer server({}, /*silent=*/true);
    EXPECT_FALSE(checkAgainst(server));
    EXPECT_EQ(server.requestCount(), 1);
}

TEST(HttpGet, IgnoresTheProxyOfTheEnvironment) {
    LocalHttpServer server(LocalHttpServer::reply("VER. 1.001"));
    const QByteArray deadProxy = "http://127.0.0.1:" + QByteArray::number(LocalHttpServer::closedPort());
    ::setenv("http_proxy", deadProxy.constData(), 1);
    ::setenv("ALL_PROXY", deadProxy.constData(), 1);
    const auto body = Platform::httpGet(server.base() + "/", {}, 2000, 5000);
    ::unsetenv("http_proxy");
    ::unsetenv("ALL_PROXY");
    ASSERT_TRUE(body.has_value());
    EXPECT_EQ(*body, "VER. 1.001");
}

TEST(HttpGet, RefusesAnAnswerTooLargeForAVersionText) {
    LocalHttpServer server(LocalHttpServer::reply(QByteArray(1024 * 1024, 'x')));
    EXPECT_FALSE(Platform::httpGet(server.base() + "/", {}, 2000, 5000).has_value());
}

TEST(HttpGet, OnlyPlainHttpIsSpoken) {
    EXPECT_FALSE(Platform::httpGet(QStringLiteral("file:///etc/hostname"), {}, 2000, 5000).has_value());
}

} // namespace
