#include "core/options/VersionCheck.h"

#include <gtest/gtest.h>

namespace {

TEST(Conv_Version, ReadsOneDigitAPointAndThreeDigits) {
    const struct {
        const char* text;
        int expected;
    } cases[] = {
        {"1.000", 1000},
        {"VER. 1.002", 1002},
        {"VER.  1.002 \r\n", 1002}, // the text after the first blank is trimmed
        {"VER. 1.0025", 1002},      // a fifth digit is not read
        {"VER. 12.00", -1},         // "1.00" is not a number
        {"VER.1.002", -1},          // no blank: "VR.1" is read
        {"VER. 1.00", -1},          // too short to hold a version
        {"VER. ", -1},
        {"", -1},
        {"VER. 1,002", 1002}, // the point itself is never read
        {"VER. a.bcd", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Conv_Version(QString::fromLatin1(c.text)), c.expected);
    }
}

TEST(VersionCheck, AsksTheMakersServerUnlessPointedElsewhere) {
    EXPECT_EQ(VersionCheck::queryUrl(QStringLiteral("SW73052")),
              QStringLiteral("http://www.norvane.com/home/download/GetversionSW.asp?nomesw=SW73052"));
    VersionCheck::setServerBase(QStringLiteral("http://127.0.0.1:8080"));
    EXPECT_EQ(VersionCheck::queryUrl(QStringLiteral("SW73052")),
              QStringLiteral("http://127.0.0.1:8080/home/download/GetversionSW.asp?nomesw=SW73052"));
    VersionCheck::setServerBase({});
    EXPECT_TRUE(VersionCheck::queryUrl(QStringLiteral("SW73052"))
                    .startsWith(QStringLiteral("http://www.norvane.com/")));
}

} // namespace
