#include "core/shell/ProductIdentity.h"

namespace Product {

QString homePageUrl() {
    return QStringLiteral("http://%1/HOME/default.asp?frompg=%2").arg(MakerHost, SW_Code);
}

QString downloadPageUrl() {
    return QStringLiteral("http://%1/Home/download/download.asp#HD73052").arg(MakerHost);
}

} // namespace Product
