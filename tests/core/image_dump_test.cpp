#include "core/image/BankCompiler.h"
#include "core/image/ImageDump.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

BankImage sampleImage() {
    BankImage image;
    EXPECT_TRUE(Compile_Bank(
        QStringLiteral(TESSELLOR_TEST_DATA "/image/window_defaults/ParGen.xml"),
        QStringLiteral(TESSELLOR_TEST_DATA "/image/window_defaults/NMEA_0183_Set_Access.xml"), image));
    return image;
}

void sealChecksum(BankImage& image) {
    image.setU32(BankLayout::Checksum, image.computeChecksum());
}

TEST(ImageDump, DescribesEveryFieldOfTheImage) {
    QStringList lines;
    QString error;
    ASSERT_TRUE(describeImage(sampleImage().bytes(), lines, &error)) << error.toStdString();
    const QStringList expected{
        "0x00C RS485 1 baud rate: 4800",
        "0x012 RS485 1 parity: NONE (0)",
        "0x014 RS485 1 stop bits: 1",
        "0x028 IP address: 192.168.0.5",
        "0x02C subnet mask: 255.255.255.0",
        "0x030 gateway: 255.255.255.255",
        "0x034 application port: 10000",
        "0x036 EtherNet/IP port: 2000",
        "0x038 EtherNet/IP port, second copy: 2000",
        "0x03C RS232 baud rate: 4800",
        "0x042 RS232 parity: NONE (0)",
        "0x044 RS232 stop bits: 1",
        "0x074 input array size: 496",
        "0x078 output array size: 496",
        "0x258 rule table address: 0x00068800",
        "0x25C rule count: 1",
        "0x260 RS485 2 baud rate: 4800",
        "0x264 RS485 2 parity: NONE (0)",
        "0x265 RS485 2 stop bits: 1",
        "0x267 serial port enable bits: 0x07 (RS232, RS485 1, RS485 2)",
        "0x7FC checksum: 3900 (0x00000F3C)",
        "0x800 rule 1: sentence GGA (7), field \"Number of satellites in use [decimal]\" (11), channel RS232 "
        "(0), "
        "post-operation None (0), swap all N, swap 16 Y, Index 0, Position 10, size 1, last byte 10",
    };
    EXPECT_EQ(lines, expected);
}

TEST(ImageDump, ShowsValuesOutsideTheCatalogAsUnknown) {
    BankImage image = sampleImage();
    image.setU16(BankLayout::RS232_Parity, 7);
    image.setU8(BankLayout::SerialEnable, 0);
    image.setU32(BankLayout::RuleCount, 3);
    image.setRecord(1, RuleRecord{.sentence = 2,
                                  .position = 4,
                                  .channel = 1,
                                  .field = 0,
                                  .postOperation = 8,
                                  .swaps = 3,
                                  .index = 12});
    image.setRecord(2, RuleRecord{.sentence = 59, .channel = 3, .field = 200, .postOperation = 9});
    sealChecksum(image);

    QStringList lines;
    ASSERT_TRUE(describeImage(image.bytes(), lines));
    EXPECT_TRUE(lines.contains("0x042 RS232 parity: unknown (7)"));
    EXPECT_TRUE(lines.contains("0x267 serial port enable bits: 0x00 (none)"));
    EXPECT_EQ(
        lines.value(lines.size() - 2),
        "0x80C rule 2: sentence BWC (2), field unknown (0), channel RS485 1 (1), post-operation x 10000 (8), "
        "swap all Y, swap 16 Y, Index 12, Position 4, size unknown");
    EXPECT_EQ(lines.last(),
              "0x818 rule 3: sentence unknown (59), field unknown (200), channel unknown (3), "
              "post-operation unknown (9), swap all N, swap 16 N, Index 0, Position 0, size unknown");
}

TEST(ImageDump, RefusesWhatIsNotAnImage) {
    const QByteArray good = sampleImage().bytes();
    QByteArray badChecksum = good;
    badChecksum[0x100] = 1;
    BankImage countTooLarge = sampleImage();
    countTooLarge.setU32(BankLayout::RuleCount, 129);
    sealChecksum(countTooLarge);

    const struct {
        const char* name;
        QByteArray bytes;
        const char* reason;
    } refusals[]{
        {"empty file", QByteArray(), "0 bytes"},
        {"one byte short", good.left(3583), "3583 bytes"},
        {"one byte long", good + '\0', "3585 bytes"},
        {"parameter byte changed", badChecksum, "checksum 3900"},
        {"more rules than records", countTooLarge.bytes(), "rule count 129"},
    };
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.name);
        QStringList lines{"stale"};
        QString error;
        EXPECT_FALSE(describeImage(r.bytes, lines, &error));
        EXPECT_TRUE(error.contains(QLatin1String(r.reason))) << error.toStdString();
        EXPECT_TRUE(lines.isEmpty());
    }

    // The rule table lies outside the checksum: changing a record keeps the image valid.
    QByteArray otherRule = good;
    otherRule[0x802] = 99;
    QStringList lines;
    EXPECT_TRUE(describeImage(otherRule, lines));
}

// Arbitrary images with a sealed checksum: every one decodes, whatever its records hold.
TEST(ImageDump, DecodesArbitraryImagesWithoutReadingOutOfRange) {
    QRandomGenerator random(73052);
    for (int round = 0; round < 500; ++round) {
        QByteArray bytes(BankLayout::Size, '\0');
        for (char& b : bytes)
            b = static_cast<char>(random.bounded(256));
        auto image = BankImage::fromBytes(bytes);
        ASSERT_TRUE(image);
        const quint32 count = random.bounded(BankLayout::MaxRules + 1);
        image->setU32(BankLayout::RuleCount, count);
        sealChecksum(*image);
        QStringList lines;
        ASSERT_TRUE(describeImage(image->bytes(), lines));
        EXPECT_TRUE(lines.last().contains(count ? QStringLiteral("rule %1:").arg(count)
                                                : QStringLiteral("checksum")));
    }
}

} // namespace
