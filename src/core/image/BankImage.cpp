#include "core/image/BankImage.h"

#include <QtGlobal>

std::optional<BankImage> BankImage::fromBytes(const QByteArray& bytes) {
    if (bytes.size() != BankLayout::Size)
        return std::nullopt;
    BankImage image;
    for (int i = 0; i < BankLayout::Size; ++i)
        image.m_bytes[i] = static_cast<quint8>(bytes[i]);
    return image;
}

quint8 BankImage::u8(int offset) const {
    Q_ASSERT(offset >= 0 && offset < BankLayout::Size);
    return m_bytes[offset];
}

quint16 BankImage::u16(int offset) const {
    return static_cast<quint16>(u8(offset) | u8(offset + 1) << 8);
}

quint32 BankImage::u32(int offset) const {
    return static_cast<quint32>(u16(offset)) | static_cast<quint32>(u16(offset + 2)) << 16;
}

void BankImage::setU8(int offset, quint8 value) {
    Q_ASSERT(offset >= 0 && offset < BankLayout::Size);
    m_bytes[offset] = value;
}

void BankImage::setU16(int offset, quint16 value) {
    setU8(offset, static_cast<quint8>(value));
    setU8(offset + 1, static_cast<quint8>(value >> 8));
}

void BankImage::setU32(int offset, quint32 value) {
    setU16(offset, static_cast<quint16>(value));
    setU16(offset + 2, static_cast<quint16>(value >> 16));
}

void BankImage::setOctets(int offset, const std::array<quint8, 4>& octets) {
    for (int i = 0; i < 4; ++i)
        setU8(offset + i, octets[i]);
}

RuleRecord BankImage::record(int k) const {
    Q_ASSERT(k >= 0 && k < BankLayout::MaxRules);
    const int base = BankLayout::RuleTable + BankLayout::RecordSize * k;
    RuleRecord r;
    r.sentence = u16(base);
    r.position = u16(base + 2);
    r.channel = u8(base + 4);
    r.field = u8(base + 5);
    r.postOperation = u8(base + 6);
    r.swaps = u8(base + 7);
    r.index = u8(base + 8);
    return r;
}

void BankImage::setRecord(int k, const RuleRecord& r) {
    Q_ASSERT(k >= 0 && k < BankLayout::MaxRules);
    const int base = BankLayout::RuleTable + BankLayout::RecordSize * k;
    setU16(base, r.sentence);
    setU16(base + 2, r.position);
    setU8(base + 4, r.channel);
    setU8(base + 5, r.field);
    setU8(base + 6, r.postOperation);
    setU8(base + 7, r.swaps);
    setU8(base + 8, r.index);
    setU8(base + 9, 0);
    setU16(base + 10, 0);
}

quint32 BankImage::computeChecksum() const {
    quint32 sum = 0;
    for (int i = 0; i < BankLayout::Checksum; ++i)
        sum += m_bytes[i];
    return sum;
}

QByteArray BankImage::bytes() const {
    return QByteArray(reinterpret_cast<const char*>(m_bytes.data()), BankLayout::Size);
}

quint32 BankImage::addressAt(int offset) const {
    return quint32(u8(offset)) << 24 | quint32(u8(offset + 1)) << 16 | quint32(u8(offset + 2)) << 8 |
           u8(offset + 3);
}

QString dottedAddress(quint32 address) {
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address >> 24)
        .arg((address >> 16) & 0xFF)
        .arg((address >> 8) & 0xFF)
        .arg(address & 0xFF);
}
