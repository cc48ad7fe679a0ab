#include "platform/HttpGet.h"

#include <QLibrary>

#include <curl/curl.h>

#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

namespace Platform {

namespace {

// The answers this program asks for are a few bytes; a server sending more is not one of ours.
constexpr qsizetype kMaxBody = 64 * 1024;

size_t appendBody(char* data, size_t size, size_t count, void* target) {
    auto* body = static_cast<QByteArray*>(target);
    const size_t bytes = size * count;
    if (body->size() + qsizetype(bytes) > kMaxBody)
        return 0; // makes curl stop with a write error
    body->append(data, qsizetype(bytes));
    return bytes;
}

// libcurl is loaded on the first check, not with the program: it and the libraries it pulls in
// would cost every start milliseconds and megabytes for a check that is off by default.
struct Curl {
    CURLcode (*global_init)(long) = nullptr;
    CURL* (*easy_init)() = nullptr;
    void (*easy_cleanup)(CURL*) = nullptr;
    CURLcode (*easy_setopt)(CURL*, CURLoption, ...) = nullptr;
    CURLcode (*easy_perform)(CURL*) = nullptr;
    CURLcode (*easy_getinfo)(CURL*, CURLINFO, ...) = nullptr;
    curl_slist* (*slist_append)(curl_slist*, const char*) = nullptr;
    void (*slist_free_all)(curl_slist*) = nullptr;
};

// The library's entry points, or nothing when it cannot be loaded (the check then fails quietly).
const Curl* curlApi() {
    static const std::optional<Curl> api = []() -> std::optional<Curl> {
        static QLibrary library;
        for (const auto& [name, version] : {std::pair{"curl", 4}, std::pair{"libcurl", -1},
                                            std::pair{"libcurl-x64", -1}, std::pair{"libcurl-4", -1}}) {
            library.setFileNameAndVersion(QLatin1String(name), version);
            if (library.load())
                break;
        }
        if (!library.isLoaded())
            return std::nullopt;
        Curl c;
        const auto resolve = [](auto& target, const char* symbol) {
            target = reinterpret_cast<std::remove_reference_t<decltype(target)>>(library.resolve(symbol));
            return target != nullptr;
        };
        if (!resolve(c.global_init, "curl_global_init") || !resolve(c.easy_init, "curl_easy_init") ||
            !resolve(c.easy_cleanup, "curl_easy_cleanup") || !resolve(c.easy_setopt, "curl_easy_setopt") ||
            !resolve(c.easy_perform, "curl_easy_perform") || !resolve(c.easy_getinfo, "curl_easy_getinfo") ||
            !resolve(c.slist_append, "curl_slist_append") ||
            !resolve(c.slist_free_all, "curl_slist_free_all"))
            return std::nullopt;
        if (c.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
            return std::nullopt;
        return c;
    }();
    return api ? &*api : nullptr;
}

struct CurlDeleter {
    void operator()(CURL* curl) const { curlApi()->easy_cleanup(curl); }
};
struct SlistDeleter {
    void operator()(curl_slist* list) const { curlApi()->slist_free_all(list); }
};

} // namespace

std::optional<QByteArray> httpGet(const QString& url, const QList<QPair<QByteArray, QByteArray>>& headers,
                                  int connectTimeoutMs, int totalTimeoutMs) {
    const Curl* api = curlApi();
    if (!api)
        return std::nullopt;
    std::unique_ptr<CURL, CurlDeleter> curl(api->easy_init());
    if (!curl)
        return std::nullopt;

    curl_slist* list = nullptr;
    for (const auto& [name, value] : headers) {
        curl_slist* grown = api->slist_append(list, (name + ": " + value).constData());
        if (!grown) {
            api->slist_free_all(list);
            return std::nullopt;
        }
        list = grown;
    }
    const std::unique_ptr<curl_slist, SlistDeleter> headerList(list);

    const QByteArray address = url.toUtf8();
    QByteArray body;
    CURL* handle = curl.get();
    api->easy_setopt(handle, CURLOPT_URL, address.constData());
    api->easy_setopt(handle, CURLOPT_HTTPGET, 1L);
    api->easy_setopt(handle, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0));
    api->easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http");
    // An empty proxy and "*" for no-proxy keep the *_proxy environment variables out.
    api->easy_setopt(handle, CURLOPT_PROXY, "");
    api->easy_setopt(handle, CURLOPT_NOPROXY, "*");
    api->easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L);
    api->easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
    api->easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    api->easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, long(connectTimeoutMs));
    api->easy_setopt(handle, CURLOPT_TIMEOUT_MS, long(totalTimeoutMs));
    if (headerList)
        api->easy_setopt(handle, CURLOPT_HTTPHEADER, headerList.get());
    api->easy_setopt(handle, CURLOPT_WRITEFUNCTION, appendBody);
    api->easy_setopt(handle, CURLOPT_WRITEDATA, &body);

    if (api->easy_perform(handle) != CURLE_OK)
        return std::nullopt;
    long status = 0;
    api->easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status > 299)
        return std::nullopt;
    return body;
}

} // namespace Platform
