#include "platform/IcmpEcho.h"

// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <icmpapi.h>
// clang-format on

#include <cstring>
#include <vector>

namespace Platform {

namespace {

QString systemError(const char* what) {
    return QStringLiteral("%1 (error %2)").arg(QLatin1String(what)).arg(GetLastError());
}

} // namespace

struct IcmpEcho::Impl {
    HANDLE icmp = INVALID_HANDLE_VALUE;
    HANDLE event = nullptr;
    IPAddr target = 0;
    QByteArray data;           // stays alive while a request is under way
    std::vector<char> replies; // written by the system when the request ends
    bool pending = false;
    int timeoutMs = 0;

    // The system writes into the reply buffer until the request ends, so never free it earlier.
    void finishPending() {
        if (pending)
            WaitForSingleObject(event, static_cast<DWORD>(timeoutMs + 1000));
        pending = false;
    }

    void close() {
        finishPending();
        if (icmp != INVALID_HANDLE_VALUE)
            IcmpCloseHandle(icmp);
        if (event)
            CloseHandle(event);
        icmp = INVALID_HANDLE_VALUE;
        event = nullptr;
    }

    ~Impl() { close(); }
};

IcmpEcho::IcmpEcho() : m_impl(std::make_unique<Impl>()) {}
IcmpEcho::~IcmpEcho() = default;

IcmpEcho::SocketKind IcmpEcho::socketKind() const {
    return m_impl->icmp == INVALID_HANDLE_VALUE ? SocketKind::None : SocketKind::Datagram;
}

bool IcmpEcho::open(const std::array<quint8, 4>& address, QString* error) {
    if (restrictedToLoopback() && address[0] != 127) {
        if (error)
            *error = QStringLiteral("Echo requests are restricted to the loopback range");
        return false;
    }
    Impl& d = *m_impl;
    d.close();
    d.icmp = IcmpCreateFile();
    if (d.icmp == INVALID_HANDLE_VALUE) {
        if (error)
            *error = systemError("Cannot open the ICMP service");
        return false;
    }
    d.event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!d.event) {
        if (error)
            *error = systemError("Cannot create the echo event");
        d.close();
        return false;
    }
    std::memcpy(&d.target, address.data(), 4); // network order: first octet first
    return true;
}

bool IcmpEcho::send(const QByteArray& data, int timeoutMs, QString* error) {
    Impl& d = *m_impl;
    if (d.icmp == INVALID_HANDLE_VALUE) {
        if (error)
            *error = QStringLiteral("The echo channel is not open");
        return false;
    }
    d.finishPending();
    d.data = data;
    d.timeoutMs = timeoutMs;
    // One reply, the data, an ICMP error's 8 bytes and room for the system's status block.
    d.replies.assign(sizeof(ICMP_ECHO_REPLY) + static_cast<size_t>(data.size()) + 8 + 64, 0);
    ResetEvent(d.event);
    const DWORD result = IcmpSendEcho2(d.icmp, d.event, nullptr, nullptr, d.target, d.data.data(),
                                       static_cast<WORD>(d.data.size()), nullptr, d.replies.data(),
                                       static_cast<DWORD>(d.replies.size()), static_cast<DWORD>(timeoutMs));
    if (result == 0 && GetLastError() != ERROR_IO_PENDING) {
        if (error)
            *error = systemError("Cannot send the echo request");
        return false;
    }
    d.pending = true;
    return true;
}

IcmpEcho::Wait IcmpEcho::wait(int waitMs, int* bytesReceived, QString* error) {
    Impl& d = *m_impl;
    if (!d.pending) {
        Sleep(static_cast<DWORD>(waitMs));
        return Wait::Nothing;
    }
    const DWORD waited = WaitForSingleObject(d.event, static_cast<DWORD>(waitMs));
    if (waited == WAIT_TIMEOUT)
        return Wait::Nothing;
    if (waited != WAIT_OBJECT_0) {
        if (error)
            *error = systemError("Cannot wait for the echo answer");
        return Wait::Error;
    }
    d.pending = false;
    if (IcmpParseReplies(d.replies.data(), static_cast<DWORD>(d.replies.size())) == 0)
        return Wait::Nothing; // timed out, or an answer that is not an echo reply
    const auto* reply = reinterpret_cast<const ICMP_ECHO_REPLY*>(d.replies.data());
    if (reply->Status != IP_SUCCESS)
        return Wait::Nothing;
    *bytesReceived = reply->DataSize;
    return Wait::Answer;
}

} // namespace Platform
