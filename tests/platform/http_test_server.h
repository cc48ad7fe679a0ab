#pragma once

#include <QByteArray>
#include <QString>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

// An HTTP server on 127.0.0.1 for tests: records the head of every request and answers each with
// one fixed reply, or, when silent, accepts the connection and never answers.
class LocalHttpServer {
public:
    explicit LocalHttpServer(QByteArray reply, bool silent = false)
        : m_reply(std::move(reply)), m_silent(silent) {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        const int yes = 1;
        ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in address = loopback(0);
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_listener, 8);
        socklen_t length = sizeof address;
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }

    ~LocalHttpServer() {
        m_stop = true;
        m_thread.join();
        for (int held : m_held)
            ::close(held);
        ::close(m_listener);
    }

    // A plain answer with a status and a body.
    static QByteArray reply(const QByteArray& body, const QByteArray& status = "200 OK") {
        return "HTTP/1.0 " + status +
               "\r\nContent-Type: text/html\r\nContent-Length: " + QByteArray::number(body.size()) +
               "\r\n\r\n" + body;
    }

    // A port on 127.0.0.1 where nothing listens.
    static quint16 closedPort() {
        const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = loopback(0);
        ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
        ::close(probe);
        return ntohs(address.sin_port);
    }

    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_port); }

    // The head of the last request: request line and header lines, up to the empty line.
    QByteArray lastRequest() const {
        std::lock_guard lock(m_mutex);
        return m_lastRequest;
    }
    int requestCount() const {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }

private:
    static sockaddr_in loopback(quint16 port) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return address;
    }

    // Waits for fd to become readable, checking the stop flag every 50 ms.
    bool readable(int fd) const {
        while (!m_stop) {
            pollfd entry{fd, POLLIN, 0};
            if (::poll(&entry, 1, 50) > 0)
                return true;
        }
        return false;
    }

    void serve() {
        while (readable(m_listener)) {
            const int connection = ::accept(m_listener, nullptr, nullptr);
            if (connection < 0)
                continue;
            QByteArray head;
            char buffer[4096];
            while (!head.contains("\r\n\r\n") && readable(connection)) {
                const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
                if (got <= 0)
                    break;
                head.append(buffer, got);
            }
            {
                std::lock_guard lock(m_mutex);
                m_lastRequest = head.left(head.indexOf("\r\n\r\n"));
                ++m_requests;
            }
            if (m_silent) {
                m_held.push_back(connection);
                continue;
            }
            ::send(connection, m_reply.constData(), size_t(m_reply.size()), MSG_NOSIGNAL);
            ::close(connection);
        }
    }

    QByteArray m_reply;
    bool m_silent;
    int m_listener = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    std::vector<int> m_held;
    mutable std::mutex m_mutex;
    QByteArray m_lastRequest;
    int m_requests = 0;
};
