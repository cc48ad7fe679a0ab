#include "platform/IcmpEcho.h"

#include <QElapsedTimer>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Platform {

namespace {

constexpr quint8 EchoReply = 0;
constexpr quint8 EchoRequest = 8;
constexpr int HeaderSize = 8;

QString systemError(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

quint16 internetChecksum(const QByteArray& bytes) {
    quint32 sum = 0;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        sum += (static_cast<quint8>(bytes[i]) << 8) | static_cast<quint8>(bytes[i + 1]);
    if (bytes.size() % 2)
        sum += static_cast<quint8>(bytes.back()) << 8;
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<quint16>(~sum);
}

quint16 readU16(const char* bytes) {
    return static_cast<quint16>((static_cast<quint8>(bytes[0]) << 8) | static_cast<quint8>(bytes[1]));
}

} // namespace

struct IcmpEcho::Impl {
    int fd = -1;
    SocketKind kind = SocketKind::None;
    sockaddr_in target{};
    quint16 identifier = 0;
    quint16 sequence = 0; // of the latest request
    QElapsedTimer sentAt; // of the latest request
    int timeoutMs = 0;    // of the latest request

    ~Impl() {
        if (fd >= 0)
            ::close(fd);
    }

    // Is this packet the answer to our latest request? Sets the size of its data. An answer to an
    // earlier request came after that request's time-out, when the device counted as silent.
    bool isOurAnswer(const char* packet, ssize_t size, const sockaddr_in& from, int* dataSize) const {
        const char* icmp = packet;
        if (kind == SocketKind::Raw) {
            // A raw socket sees every ICMP packet of the host, its IP header included.
            if (size < 20)
                return false;
            const int headerLength = (static_cast<quint8>(packet[0]) & 0x0F) * 4;
            if (size < headerLength + HeaderSize)
                return false;
            icmp = packet + headerLength;
            size -= headerLength;
            if (from.sin_addr.s_addr != target.sin_addr.s_addr)
                return false;
            if (readU16(icmp + 4) != identifier)
                return false;
        } else if (size < HeaderSize) {
            return false; // the kernel already matched the identifier of a datagram socket
        }
        if (static_cast<quint8>(icmp[0]) != EchoReply)
            return false;
        if (readU16(icmp + 6) != sequence)
            return false;
        *dataSize = static_cast<int>(size - HeaderSize);
        return true;
    }
};

IcmpEcho::IcmpEcho() : m_impl(std::make_unique<Impl>()) {}
IcmpEcho::~IcmpEcho() = default;

IcmpEcho::SocketKind IcmpEcho::socketKind() const {
    return m_impl->kind;
}

bool IcmpEcho::open(const std::array<quint8, 4>& address, QString* error) {
    if (restrictedToLoopback() && address[0] != 127) {
        if (error)
            *error = QStringLiteral("Echo requests are restricted to the loopback range");
        return false;
    }
    Impl& d = *m_impl;
    if (d.fd >= 0) {
        ::close(d.fd);
        d.fd = -1;
    }
    // Unprivileged echo sockets exist only for the groups in net.ipv4.ping_group_range.
    d.fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
    d.kind = SocketKind::Datagram;
    if (d.fd < 0) {
        d.fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
        d.kind = SocketKind::Raw;
    }
    if (d.fd < 0) {
        d.kind = SocketKind::None;
        if (error)
            *error = systemError("Cannot open an ICMP socket");
        return false;
    }
    d.target = {};
    d.target.sin_family = AF_INET;
    std::memcpy(&d.target.sin_addr.s_addr, address.data(), 4);
    static quint16 channels = 0;
    d.identifier = static_cast<quint16>((::getpid() << 4) ^ ++channels);
    d.sequence = static_cast<quint16>(channels << 8);
    return true;
}

bool IcmpEcho::send(const QByteArray& data, int timeoutMs, QString* error) {
    Impl& d = *m_impl;
    if (d.fd < 0) {
        if (error)
            *error = QStringLiteral("The echo channel is not open");
        return false;
    }
    ++d.sequence;
    QByteArray packet(HeaderSize, '\0');
    packet[0] = static_cast<char>(EchoRequest);
    packet[4] = static_cast<char>(d.identifier >> 8);
    packet[5] = static_cast<char>(d.identifier & 0xFF);
    packet[6] = static_cast<char>(d.sequence >> 8);
    packet[7] = static_cast<char>(d.sequence & 0xFF);
    packet += data;
    const quint16 checksum = internetChecksum(packet);
    packet[2] = static_cast<char>(checksum >> 8);
    packet[3] = static_cast<char>(checksum & 0xFF);
    const ssize_t sent = ::sendto(d.fd, packet.constData(), static_cast<size_t>(packet.size()), 0,
                                  reinterpret_cast<const sockaddr*>(&d.target), sizeof d.target);
    if (sent != packet.size()) {
        if (error)
            *error = systemError("Cannot send the echo request");
        return false;
    }
    d.sentAt.start();
    d.timeoutMs = timeoutMs;
    return true;
}

IcmpEcho::Wait IcmpEcho::wait(int waitMs, int* bytesReceived, QString* error) {
    Impl& d = *m_impl;
    QElapsedTimer clock;
    clock.start();
    char packet[1500];
    for (;;) {
        const int left = waitMs - static_cast<int>(clock.elapsed());
        pollfd entry{d.fd, POLLIN, 0};
        const int ready = ::poll(&entry, 1, left > 0 ? left : 0);
        if (ready < 0 && errno != EINTR) {
            if (error)
                *error = systemError("Cannot wait for the echo answer");
            return Wait::Error;
        }
        if (ready > 0) {
            // Drain what is there; other hosts' and late packets are dropped.
            for (;;) {
                sockaddr_in from{};
                socklen_t fromSize = sizeof from;
                const ssize_t size = ::recvfrom(d.fd, packet, sizeof packet, MSG_DONTWAIT,
                                                reinterpret_cast<sockaddr*>(&from), &fromSize);
                if (size < 0) {
                    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
                        break;
                    if (error)
                        *error = systemError("Cannot receive the echo answer");
                    return Wait::Error;
                }
                int dataSize = 0;
                // An answer after the request's time-out is as late as none.
                if (d.isOurAnswer(packet, size, from, &dataSize) && !d.sentAt.hasExpired(d.timeoutMs)) {
                    *bytesReceived = dataSize;
                    return Wait::Answer;
                }
            }
        }
        if (clock.elapsed() >= waitMs)
            return Wait::Nothing;
    }
}

} // namespace Platform
