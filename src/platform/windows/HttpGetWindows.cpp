#include "platform/HttpGet.h"

#include <QElapsedTimer>

#include <windows.h>
#include <winhttp.h>

#include <memory>
#include <string>

namespace Platform {

namespace {

// The answers this program asks for are a few bytes; a server sending more is not one of ours.
constexpr qsizetype kMaxBody = 64 * 1024;

struct InternetCloser {
    void operator()(HINTERNET handle) const { WinHttpCloseHandle(handle); }
};
using Internet = std::unique_ptr<void, InternetCloser>;

std::wstring wide(const QString& text) {
    return text.toStdWString();
}

} // namespace

// WinHTTP is part of every Windows since XP: the check needs no library shipped beside the program.
std::optional<QByteArray> httpGet(const QString& url, const QList<QPair<QByteArray, QByteArray>>& headers,
                                  int connectTimeoutMs, int totalTimeoutMs) {
    QElapsedTimer clock;
    clock.start();

    const std::wstring address = wide(url);
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof(parts);
    wchar_t host[256] = {};
    wchar_t path[2048] = {};
    parts.lpszHostName = host;
    parts.dwHostNameLength = DWORD(std::size(host));
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = DWORD(std::size(path));
    wchar_t extra[2048] = {};
    parts.lpszExtraInfo = extra; // the query
    parts.dwExtraInfoLength = DWORD(std::size(extra));
    if (!WinHttpCrackUrl(address.c_str(), 0, 0, &parts) || parts.nScheme != INTERNET_SCHEME_HTTP)
        return std::nullopt;

    // No proxy: as on the other systems, the check goes straight to the maker's server.
    const Internet session(WinHttpOpen(L"Tessellor", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                       WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session)
        return std::nullopt;
    WinHttpSetTimeouts(session.get(), connectTimeoutMs, connectTimeoutMs, totalTimeoutMs, totalTimeoutMs);
    const Internet connection(WinHttpConnect(session.get(), host, parts.nPort, 0));
    if (!connection)
        return std::nullopt;
    const std::wstring target = std::wstring(path) + extra;
    const Internet request(WinHttpOpenRequest(connection.get(), L"GET", target.c_str(), L"HTTP/1.0",
                                              WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, 0));
    if (!request)
        return std::nullopt;
    DWORD noRedirects = WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_COOKIES | WINHTTP_DISABLE_AUTHENTICATION;
    WinHttpSetOption(request.get(), WINHTTP_OPTION_DISABLE_FEATURE, &noRedirects, sizeof(noRedirects));

    std::wstring headerText;
    for (const auto& [name, value] : headers)
        headerText += wide(QString::fromLatin1(name + ": " + value + "\r\n"));
    if (!WinHttpSendRequest(request.get(),
                            headerText.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : headerText.c_str(),
                            headerText.empty() ? 0 : DWORD(-1), WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !WinHttpReceiveResponse(request.get(), nullptr))
        return std::nullopt;

    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX) ||
        status < 200 || status > 299)
        return std::nullopt;

    QByteArray body;
    for (;;) {
        if (clock.elapsed() > totalTimeoutMs)
            return std::nullopt;
        char chunk[4096];
        DWORD read = 0;
        if (!WinHttpReadData(request.get(), chunk, sizeof(chunk), &read))
            return std::nullopt;
        if (read == 0)
            return body;
        if (body.size() + qsizetype(read) > kMaxBody)
            return std::nullopt;
        body.append(chunk, qsizetype(read));
    }
}

} // namespace Platform
