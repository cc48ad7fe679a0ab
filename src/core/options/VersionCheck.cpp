#include "core/options/VersionCheck.h"

#include "core/shell/ProductIdentity.h"
#include "core/util/TextRules.h"

namespace VersionCheck {

namespace {
QString& overriddenBase() {
    static QString base;
    return base;
}
} // namespace

QString serverBase() {
    return overriddenBase().isEmpty() ? QStringLiteral("http://") + Product::MakerHost : overriddenBase();
}

void setServerBase(const QString& base) {
    overriddenBase() = base;
}

QString queryUrl(const QString& swCode) {
    return serverBase() + QStringLiteral("/home/download/GetversionSW.asp?nomesw=") + swCode;
}

bool isNewer(const QString& answer, const QString& ownVersion) {
    const QString upper = trimText(upperAscii(answer));
    // The server answers VER. 0.000 when it has nothing to offer.
    if (upper.isEmpty() || upper == QStringLiteral("VER. 0.000"))
        return false;
    const int own = Conv_Version(ownVersion);
    const int offered = Conv_Version(trimText(answer));
    if (own == -1 || offered == -1)
        return false;
    return offered > own;
}

QString downloadLink(const QString& text) {
    return QStringLiteral("<a href=\"%1\">%2</a>")
        .arg(Product::downloadPageUrl().toHtmlEscaped(), text.toHtmlEscaped());
}

} // namespace VersionCheck

int Conv_Version(const QString& Ver_str) {
    const qsizetype blank = Ver_str.indexOf(u' ');
    const QString version = trimText(blank < 0 ? Ver_str : Ver_str.mid(blank + 1));
    // One digit, the point, three digits: the point is skipped, so "1.002" reads as 1002.
    if (version.size() < 5)
        return -1;
    const QString digits = QString(version[0]) + version[2] + version[3] + version[4];
    return parseIntText(digits).value_or(-1);
}

bool Check_Version(const VersionCheck::HttpGetFunction& httpGet) {
    const QList<QPair<QByteArray, QByteArray>> headers{
        {QByteArrayLiteral("User-Agent"), VersionCheck::UserAgent},
        {QByteArrayLiteral("Accept"), VersionCheck::Accept},
    };
    const std::optional<QByteArray> body =
        httpGet(VersionCheck::queryUrl(Product::SW_Code), headers, VersionCheck::ConnectTimeoutMs,
                VersionCheck::TotalTimeoutMs);
    const QString answer = body ? QString::fromUtf8(*body) : QString();
    return VersionCheck::isNewer(answer, Product::SW_Version);
}
