#include "platform/IcmpEcho.h"

#include <gtest/gtest.h>

// Every test program restricts echo requests to the loopback range before any test runs.
TEST(IcmpGuard, TestProgramsRefuseEveryAddressOutsideLoopback) {
    ASSERT_TRUE(Platform::IcmpEcho::restrictedToLoopback());
    Platform::IcmpEcho echo;
    QString error;
    EXPECT_FALSE(echo.open({27, 0, 0, 1}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(echo.send("abcdefghijklmnopqrstuvwa", 400, &error));
}
