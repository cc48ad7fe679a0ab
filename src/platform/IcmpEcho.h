#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <memory>

namespace Platform {

// ICMP echo over IPv4 towards one address. Sending and waiting are separate, so the caller can
// keep its windows responsive between short waits.
class IcmpEcho {
public:
    enum class SocketKind { None, Datagram, Raw };
    enum class Wait { Answer, Nothing, Error };

    IcmpEcho();
    ~IcmpEcho();
    IcmpEcho(const IcmpEcho&) = delete;
    IcmpEcho& operator=(const IcmpEcho&) = delete;

    // Opens the channel to an IPv4 address (first octet first). On Linux an unprivileged ICMP
    // datagram socket where the system allows it, else a raw socket.
    bool open(const std::array<quint8, 4>& address, QString* error);
    // Sends one echo request carrying data; timeoutMs is how long the request waits for its answer.
    bool send(const QByteArray& data, int timeoutMs, QString* error);
    // Waits at most waitMs for the answer to the latest request, which counts only within the
    // request's timeoutMs. On Answer, bytesReceived is the size of the answer's data.
    Wait wait(int waitMs, int* bytesReceived, QString* error);

    SocketKind socketKind() const;

    // Test programs allow echoes to the loopback range only, so no test can ever send to an
    // address of someone else's, whatever it types.
    static void restrictToLoopback(bool on);
    static bool restrictedToLoopback();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Platform
