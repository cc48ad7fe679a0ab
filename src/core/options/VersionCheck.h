#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <functional>
#include <optional>

// Asking the maker's web server whether a newer version of this program exists.
namespace VersionCheck {

// The request headers the server expects from this program.
inline const QByteArray UserAgent = QByteArrayLiteral("Mozilla/3.0 (compatible; Indy Library)");
inline const QByteArray Accept =
    QByteArrayLiteral("text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8");

// The exchange runs on the GUI thread, so a dead or silent server must not hold it for long.
constexpr int ConnectTimeoutMs = 5000;
constexpr int TotalTimeoutMs = 10000;

// "http://" and the maker's host, unless a test has pointed the check at its own server.
QString serverBase();
// For tests only: an address such as "http://127.0.0.1:8080"; an empty text restores the maker's.
void setServerBase(const QString& base);

// The version query for a product code, on serverBase().
QString queryUrl(const QString& swCode);

// One plain GET: the response body, or nothing when the exchange failed in any way.
using HttpGetFunction = std::function<std::optional<QByteArray>(
    const QString& url, const QList<QPair<QByteArray, QByteArray>>& headers, int connectTimeoutMs,
    int totalTimeoutMs)>;

// Whether the server's answer (empty after a failed exchange) names a version newer than ownVersion.
bool isNewer(const QString& answer, const QString& ownVersion);

// The link to the maker's download page, with text as its caption, that a newer version shows.
QString downloadLink(const QString& text);

} // namespace VersionCheck

// A version text such as "VER. 1.002" or "1.002" as a number (1002); -1 when it holds none.
int Conv_Version(const QString& Ver_str);

// Asks the server for the newest version of this product through httpGet. Every failure of the
// exchange counts as no newer version; nothing is reported.
bool Check_Version(const VersionCheck::HttpGetFunction& httpGet);
