#include "core/util/TextRules.h"

#include <gtest/gtest.h>

namespace {

struct IntCase {
    const char* text;
    std::optional<qint32> value;
};

void PrintTo(const IntCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class IntTextRule : public ::testing::TestWithParam<IntCase> {};

TEST_P(IntTextRule, ReadsOrRefuses) {
    EXPECT_EQ(parseIntText(QString::fromUtf8(GetParam().text)), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IntTextRule,
    ::testing::Values(
        IntCase{"0", 0}, IntCase{"496", 496}, IntCase{"007", 7}, IntCase{"+12", 12}, IntCase{"-1", -1},
        IntCase{"   42", 42}, IntCase{" -5", -5}, IntCase{"$10", 16}, IntCase{"$ff", 255}, IntCase{"x1F", 31},
        IntCase{"X1f", 31}, IntCase{"0x1A", 26}, IntCase{"0X1a", 26}, IntCase{"-$10", -16},
        IntCase{"$FFFFFFFF", -1}, IntCase{"$7FFFFFFF", 2147483647},
        IntCase{"$80000000", std::numeric_limits<qint32>::min()}, IntCase{"2147483647", 2147483647},
        IntCase{"-2147483648", std::numeric_limits<qint32>::min()},
        // not numbers
        IntCase{"2147483648", std::nullopt}, IntCase{"-2147483649", std::nullopt},
        IntCase{"$100000000", std::nullopt}, IntCase{"99999999999999999999", std::nullopt},
        IntCase{"", std::nullopt}, IntCase{"   ", std::nullopt}, IntCase{"12a", std::nullopt},
        IntCase{"7 ", std::nullopt}, IntCase{"1 2", std::nullopt}, IntCase{"$", std::nullopt},
        IntCase{"0x", std::nullopt}, IntCase{"x", std::nullopt}, IntCase{"-", std::nullopt},
        IntCase{"+-1", std::nullopt}, IntCase{"$G", std::nullopt}, IntCase{"1.5", std::nullopt},
        IntCase{"\t7", std::nullopt}, IntCase{"\xEF\xBC\x91", std::nullopt} /* full-width 1 */));

TEST(IntTextOr, GivesFallbackOnlyForNonNumbers) {
    EXPECT_EQ(intTextOr(QStringLiteral("abc"), 4800), 4800);
    EXPECT_EQ(intTextOr(QStringLiteral("0"), 4800), 0);
}

TEST(TrimText, RemovesBlanksAndControlsAtBothEndsOnly) {
    EXPECT_EQ(trimText(QStringLiteral("\t \r GGA  x \n\x01")), QStringLiteral("GGA  x"));
    EXPECT_EQ(trimText(QString(QChar(0x00A0)) + "a"), QString(QChar(0x00A0)) + "a");
}

TEST(UpperAscii, FoldsOnlyLettersAToZ) {
    EXPECT_EQ(upperAscii(QStringLiteral("abz é°")), QStringLiteral("ABZ é°"));
}

} // namespace
