#include "update/UpdateService.h"

namespace {

QUrl rootOf(const QString& address) {
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return QUrl();
    QUrl root;
    root.setScheme(scheme);
    root.setHost(url.host());
    root.setPort(url.port());
    return root;
}

}  // namespace

UpdateService::UpdateService(const QString& address) : root_(rootOf(address)) {
    if (root_.isEmpty()) root_ = rootOf(defaultAddress());
}

QString UpdateService::defaultAddress() {
    return QStringLiteral("https://www.randola.com");
}

UpdateService UpdateService::configured(const QStringList& arguments) {
    const qsizetype option = arguments.indexOf(QStringLiteral("--update-url"));
    if (option >= 0 && option + 1 < arguments.size())
        return UpdateService(arguments.at(option + 1));
    const QString fromEnvironment = qEnvironmentVariable("RANDOLA_UPDATE_URL");
    if (!fromEnvironment.isEmpty()) return UpdateService(fromEnvironment);
    return UpdateService();
}

QString UpdateService::at(const QString& path) const {
    QUrl url = root_;
    url.setPath(path);
    return url.toString(QUrl::FullyEncoded);
}
