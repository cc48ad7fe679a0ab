#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <array>
#include <optional>

// The configuration image bank.bin as the converter's firmware reads it from its memory: a
// 2048-byte parameter block, then 128 rule records of 12 bytes. Every integer is little-endian and
// every byte not named here is zero; the file carries no magic number or version.
namespace BankLayout {

constexpr int Size = 0xE00;
constexpr int ParameterBlockSize = 0x800;
constexpr int RuleTable = 0x800;
constexpr int RecordSize = 12;
constexpr int MaxRules = 128;

constexpr int RS485_1_Baud = 0x00C;     // u32
constexpr int RS485_1_Parity = 0x012;   // u16
constexpr int RS485_1_StopBits = 0x014; // u32
constexpr int IpAddress = 0x028;        // 4 x u8, first octet first
constexpr int SubnetMask = 0x02C;
constexpr int Gateway = 0x030;
constexpr int ApplicationPort = 0x034;  // u16, the updater's application port
constexpr int EtherNetIP_Port = 0x036;  // u16
constexpr int EtherNetIP_Port2 = 0x038; // u16, the same port again
constexpr int RS232_Baud = 0x03C;       // u32
constexpr int RS232_Parity = 0x042;     // u16
constexpr int RS232_StopBits = 0x044;   // u32
constexpr int NbInput = 0x074;          // u32
constexpr int NbOutput = 0x078;         // u32
constexpr int RuleTableAddress = 0x258; // u32, where the rule table lands in the device
constexpr int RuleCount = 0x25C;        // u32
constexpr int RS485_2_Baud = 0x260;     // u32
constexpr int RS485_2_Parity = 0x264;   // u8
constexpr int RS485_2_StopBits = 0x265; // u8
constexpr int SerialEnable = 0x267;     // u8: bit 0 RS232, bit 1 RS485 1, bit 2 RS485 2
constexpr int Checksum = 0x7FC;         // u32

constexpr quint16 ApplicationPortValue = 10000;
// The image goes to 0x68000 in the device; the rule table follows the parameter block.
constexpr quint32 RuleTableAddressValue = 0x68000 + RuleTable;

constexpr quint8 EnableRS232 = 0x01;
constexpr quint8 EnableRS485_1 = 0x02;
constexpr quint8 EnableRS485_2 = 0x04;

constexpr quint8 SwapAllBit = 0x01;
constexpr quint8 Swap16Bit = 0x02;

} // namespace BankLayout

// One compiled access rule as the device reads it.
struct RuleRecord {
    quint16 sentence = 0; // 1..58
    quint16 position = 0; // byte position in the converter's data array
    quint8 channel = 0;   // 0 RS232, 1 RS485 1, 2 RS485 2
    quint8 field = 0;     // 0-based within the sentence
    quint8 postOperation = 0;
    quint8 swaps = 0; // BankLayout::SwapAllBit | Swap16Bit
    quint8 index = 0; // 1-based occurrence for indexed sentences, else 0

    bool operator==(const RuleRecord&) const = default;
};

// The 3584 bytes of one image. Offsets are the fixed ones of BankLayout; they are never taken
// from the file, so a hostile file cannot move a read outside the buffer.
class BankImage {
public:
    BankImage() = default;
    // The bytes of a file; nothing when its size is not exactly BankLayout::Size.
    static std::optional<BankImage> fromBytes(const QByteArray& bytes);

    quint8 u8(int offset) const;
    quint16 u16(int offset) const;
    quint32 u32(int offset) const;
    // Four octets from offset as the device reads an IPv4 address, the first octet highest.
    quint32 addressAt(int offset) const;
    void setU8(int offset, quint8 value);
    void setU16(int offset, quint16 value);
    void setU32(int offset, quint32 value);
    void setOctets(int offset, const std::array<quint8, 4>& octets);

    // Record 0..127.
    RuleRecord record(int k) const;
    void setRecord(int k, const RuleRecord& record);

    // Sum of the bytes 0x000..0x7FB: covers the rule count, not the rule table.
    quint32 computeChecksum() const;

    QByteArray bytes() const;

private:
    std::array<quint8, BankLayout::Size> m_bytes{};
};

// An IPv4 address written dotted ("192.168.0.5").
QString dottedAddress(quint32 address);
