#include "core/update/UpdateAddress.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
    const char* text;
    bool valid;
    std::array<const char*, 4> octets; // checked only when valid
};

const SplitCase kSplitCases[] = {
    {"192.168.2.205", true, {"192", "168", "2", "205"}},
    {"  10 . 0 .0. 1\t", true, {"10", "0", "0", "1"}},
    {"192.168.010.5", true, {"192", "168", "010", "5"}},
    {"0x0A.0.0.255", true, {"0x0A", "0", "0", "255"}},
    {"10.0.0", false, {}},
    {"1.2.3.4.5", false, {}},
    {"1.2.3.256", false, {}},
    {"-1.2.3.4", false, {}},
    {"1..3.4", false, {}},
    {"192.168.2.x5", true, {"192", "168", "2", "x5"}}, // "x5" is hexadecimal to the integer rule
    {"192.168.2.1a", false, {}},
    {"", false, {}},
};

TEST(SplitIpAddress, AcceptsFourOctetsFrom0To255AsWritten) {
    for (const SplitCase& c : kSplitCases) {
        SCOPED_TRACE(c.text);
        std::array<QString, 4> octets;
        ASSERT_EQ(Split_IP_Address(QString::fromLatin1(c.text), octets), c.valid);
        if (!c.valid)
            continue;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(octets[i], QLatin1String(c.octets[i]));
    }
}

TEST(DottedDecimalAddress, TakesDecimalDigitsOnly) {
    using Octets = std::array<quint8, 4>;
    const std::pair<const char*, std::optional<Octets>> cases[] = {
        {"127.0.0.1", Octets{127, 0, 0, 1}},
        {"192.168.002.5", Octets{192, 168, 2, 5}},
        {"10.010.0.255", Octets{10, 10, 0, 255}},
        {"192.168.2.x5", std::nullopt},
        {"192.168.2.1a", std::nullopt},
        {"192.168.2.256", std::nullopt},
        {"192.168.2.0005", std::nullopt},
        {"192.168. 2.5", std::nullopt},
        {"+1.2.3.4", std::nullopt},
        {"1.2.3", std::nullopt},
        {"1.2.3.4.5", std::nullopt},
        {"1..3.4", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(dottedDecimalAddress(QLatin1String(text)), expected);
    }
}

} // namespace
