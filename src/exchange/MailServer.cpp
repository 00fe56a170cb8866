#include "exchange/MailServer.h"

#include <QUrl>

#include "exchange/MailAddress.h"

namespace MailServer {

std::optional<QString> address(const QString& typed) {
    const QString text = typed.trimmed();
    if (text.isEmpty() || MailAddress::holdsControl(text)) return std::nullopt;
    const bool named = text.contains(QStringLiteral("://"));
    const QUrl url(named ? text : QStringLiteral("smtp://") + text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || !url.userInfo().isEmpty() ||
        !url.query().isEmpty() || !url.fragment().isEmpty())
        return std::nullopt;
    if (scheme != QLatin1String("smtp") && scheme != QLatin1String("smtps")) return std::nullopt;
    // Without a scheme the text is a host name and nothing more.
    if (!named && !url.path().isEmpty()) return std::nullopt;
    QUrl server;
    server.setScheme(scheme);
    server.setHost(url.host());
    server.setPort(url.port(scheme == QLatin1String("smtps") ? 465 : 25));
    return server.toString(QUrl::FullyEncoded);
}

}  // namespace MailServer
