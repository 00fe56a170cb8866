#include "exchange/MailServer.h"

#include <arpa/inet.h>

#include <QUrl>

#include "exchange/MailAddress.h"

namespace MailServer {

namespace {

const QString kClear = QStringLiteral("smtp+clear");

// The typed server as a URL of one of the schemes taken, or an empty one.
QUrl parsed(const QString& typed) {
    const QString text = typed.trimmed();
    if (text.isEmpty() || MailAddress::holdsControl(text)) return QUrl();
    const bool named = text.contains(QStringLiteral("://"));
    QUrl url(named ? text : QStringLiteral("smtp://") + text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || !url.userInfo().isEmpty() ||
        !url.query().isEmpty() || !url.fragment().isEmpty())
        return QUrl();
    if (scheme != QLatin1String("smtp") && scheme != QLatin1String("smtps") && scheme != kClear)
        return QUrl();
    // Without a scheme the text is a host name and nothing more.
    if (!named && !url.path().isEmpty()) return QUrl();
    url.setScheme(scheme);
    return url;
}

// Only names and addresses that cannot lead off this machine; a host name is
// not looked up, since what it resolves to may change.
bool onThisMachine(const QString& host) {
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) return true;
    const QByteArray text = host.toLatin1();
    in_addr v4{};
    if (inet_pton(AF_INET, text.constData(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    if (inet_pton(AF_INET6, text.constData(), &v6) == 1) {
        if (IN6_IS_ADDR_LOOPBACK(&v6)) return true;
        return IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127;
    }
    return false;
}

}  // namespace

std::optional<QString> address(const QString& typed) {
    const QUrl url = parsed(typed);
    if (url.isEmpty()) return std::nullopt;
    const bool secure = url.scheme() == QLatin1String("smtps");
    QUrl server;
    server.setScheme(secure ? QStringLiteral("smtps") : QStringLiteral("smtp"));
    server.setHost(url.host());
    server.setPort(url.port(secure ? 465 : 25));
    return server.toString(QUrl::FullyEncoded);
}

bool clearAllowed(const QString& typed) {
    const QUrl url = parsed(typed);
    return !url.isEmpty() && (url.scheme() == kClear || onThisMachine(url.host()));
}

QString clearRequest(const QString& address) {
    QUrl url(address);
    url.setScheme(kClear);
    return url.toString(QUrl::FullyEncoded);
}

}  // namespace MailServer
