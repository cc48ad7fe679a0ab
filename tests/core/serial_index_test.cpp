#include "core/comm/SerialIndex.h"

#include <gtest/gtest.h>

TEST(SerialIndex, TextsToListPositions) {
    const struct {
        const char* text;
        int baud, parity, stopBits;
    } cases[] = {
        {"1200", 0, 0, 0},
        {"115200", 7, 0, 0},
        {"300", 2, 0, 0},
        {"abc", 2, 0, 0},
        {"", 2, 0, 0},
        {"$2580", 3, 0, 0},
        {"even", 2, 2, 0},
        {"Odd", 2, 1, 0},
        {"2 bits", 2, 0, 1},
        {"2 BITS", 2, 0, 1},
        {"2", 2, 0, 0},
        {"1 Bit", 2, 0, 0},
        // Only the letters a to z are folded, as everywhere else in the program.
        {"2 b\xC4\xB1ts", 2, 0, 0},
        {"\xC3\xA9ven", 2, 0, 0},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        EXPECT_EQ(Baud_to_Index(text), c.baud) << c.text;
        EXPECT_EQ(Parity_to_Index(text), c.parity) << c.text;
        EXPECT_EQ(StopBits_to_Index(text), c.stopBits) << c.text;
    }
}
