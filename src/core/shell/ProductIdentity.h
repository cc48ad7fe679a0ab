#pragma once

#include <QString>

// The fixed identity of this product and the maker's web server.
namespace Product {

inline const QString SW_Title = QStringLiteral("Norvane - Configurator SW73052 - EtherNet/IP / NMEA0183 ");
inline const QString SW_Code = QStringLiteral("SW73052");
inline const QString SW_Desc = QStringLiteral("EtherNet/IP / NMEA0183 - Converter");
inline const QString SW_Version = QStringLiteral("1.000");

// The one host of the maker's web server: version query, home page and download page.
inline const QString MakerHost = QStringLiteral("www.norvane.com");
inline const QString MakerWebAddress = QStringLiteral("www.norvane.com");

QString homePageUrl();     // /HOME/default.asp?frompg=SW73052
QString downloadPageUrl(); // /Home/download/download.asp#HD73052

} // namespace Product
