#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace Enip {

// Reads little-endian fields from bytes received off the network. Reading past the end reads zeros
// and leaves the reader failed, so a parser reads every field first and checks ok() once.
class ByteReader {
public:
    explicit ByteReader(QByteArrayView bytes) : m_bytes(bytes) {}

    bool ok() const { return m_ok; }
    qsizetype left() const { return m_bytes.size() - m_at; }
    qsizetype position() const { return m_at; }

    quint8 u8() { return quint8(take(1)); }
    quint16 u16() { return quint16(take(2)); }
    quint32 u32() { return quint32(take(4)); }
    // The next n bytes, or none (and failed) when fewer are left.
    QByteArrayView bytes(qsizetype n) {
        if (n < 0 || n > left()) {
            m_ok = false;
            m_at = m_bytes.size();
            return {};
        }
        const QByteArrayView view = m_bytes.sliced(m_at, n);
        m_at += n;
        return view;
    }
    void skip(qsizetype n) { (void)bytes(n); }
    QByteArrayView rest() { return bytes(left()); }

private:
    quint64 take(int n) {
        if (left() < n) {
            m_ok = false;
            m_at = m_bytes.size();
            return 0;
        }
        quint64 value = 0;
        for (int i = 0; i < n; ++i)
            value |= quint64(quint8(m_bytes[m_at + i])) << (8 * i);
        m_at += n;
        return value;
    }

    QByteArrayView m_bytes;
    qsizetype m_at = 0;
    bool m_ok = true;
};

// Appends little-endian fields.
class ByteWriter {
public:
    ByteWriter& u8(quint32 value) {
        m_bytes.append(char(value & 0xFF));
        return *this;
    }
    ByteWriter& u16(quint32 value) { return u8(value).u8(value >> 8); }
    ByteWriter& u32(quint32 value) { return u16(value).u16(value >> 16); }
    // Network byte order, for the socket addresses of the common packet format.
    ByteWriter& u16BigEndian(quint32 value) { return u8(value >> 8).u8(value); }
    ByteWriter& u32BigEndian(quint32 value) { return u16BigEndian(value >> 16).u16BigEndian(value); }
    ByteWriter& bytes(QByteArrayView data) {
        m_bytes.append(data);
        return *this;
    }
    ByteWriter& zeros(qsizetype n) {
        m_bytes.append(n, '\0');
        return *this;
    }
    const QByteArray& data() const { return m_bytes; }
    qsizetype size() const { return m_bytes.size(); }

private:
    QByteArray m_bytes;
};

} // namespace Enip
