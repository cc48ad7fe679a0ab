#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <optional>

namespace Platform {

// One plain GET over HTTP/1.0 with the given request headers: no cookies, proxy, authentication
// or redirects, plain http only. Returns the body of a 2xx answer; nothing on any failure (no
// connection, a broken one, an error status, a time-out or an answer too large for a text reply).
std::optional<QByteArray> httpGet(const QString& url, const QList<QPair<QByteArray, QByteArray>>& headers,
                                  int connectTimeoutMs, int totalTimeoutMs);

} // namespace Platform
