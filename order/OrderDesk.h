#pragma once

// The order desk's own contact data, shown in the windows. Not read from order.ini.

#include <QString>

namespace orderapp::OrderDesk {

inline const QString TollFreeNumber = QStringLiteral("1-800-555-0142");
inline const QString DirectNumber = QStringLiteral("1-608-555-0143");
inline const QString FaxNumber = QStringLiteral("1-608-555-0144");
inline const QString EmailAddress = QStringLiteral("orders@quorvex.example");
inline const QString PostalAddress =
    QStringLiteral("1234 Example Avenue, Sampleton, WI 53799, USA");
// The order site: scheme and host, no path.
inline const QString WebSite = QStringLiteral("https://www.quorvex.example");
inline const QString OrderPagePath = QStringLiteral("/html/order.htm");

// The e-mail address in capital letters, and with only its first letter in capitals.
QString EmailAddressUpper();
QString EmailAddressCapitalised();
// The order page: the site followed by its path.
QString OrderPage();

} // namespace orderapp::OrderDesk
