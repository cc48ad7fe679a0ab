#include "platform/HttpGet.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

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

struct CurlDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

} // namespace

std::optional<QByteArray> httpGet(const QString& url, const QList<QPair<QByteArray, QByteArray>>& headers,
                                  int connectTimeoutMs, int totalTimeoutMs) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl)
        return std::nullopt;

    curl_slist* list = nullptr;
    for (const auto& [name, value] : headers) {
        curl_slist* grown = curl_slist_append(list, (name + ": " + value).constData());
        if (!grown) {
            curl_slist_free_all(list);
            return std::nullopt;
        }
        list = grown;
    }
    const std::unique_ptr<curl_slist, SlistDeleter> headerList(list);

    const QByteArray address = url.toUtf8();
    QByteArray body;
    CURL* handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, address.constData());
    curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(handle, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http");
    // An empty proxy and "*" for no-proxy keep the *_proxy environment variables out.
    curl_easy_setopt(handle, CURLOPT_PROXY, "");
    curl_easy_setopt(handle, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, long(connectTimeoutMs));
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, long(totalTimeoutMs));
    if (headerList)
        curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headerList.get());
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);

    if (curl_easy_perform(handle) != CURLE_OK)
        return std::nullopt;
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status > 299)
        return std::nullopt;
    return body;
}

} // namespace Platform
