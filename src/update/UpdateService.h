#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// Where the update service lives. Only its scheme, host and port are a
// setting; the paths of its files are fixed, so that nothing fetched can
// choose what is handed to the desktop.
class UpdateService {
public:
    // The service at `address` (an http or https address); the default when
    // it is not one.
    explicit UpdateService(const QString& address = defaultAddress());

    // From `--update-url URL`, else the RANDOLA_UPDATE_URL environment
    // variable, else the default.
    static UpdateService configured(const QStringList& arguments);
    static QString defaultAddress();

    QString versionFile() const { return at(QStringLiteral("/zazazuvu/randola3/application.txt")); }
    QString newsFile() const { return at(QStringLiteral("/zazazuvu/randola3/news.txt")); }
    QString archive() const {
        return at(QStringLiteral("/zazazuvu/restricted/randola3/randola3f.zip"));
    }
    // The product's web site, named when the user must fetch the new version by hand.
    QString webSite() const { return root_.toString(QUrl::FullyEncoded); }

private:
    QString at(const QString& path) const;

    QUrl root_;
};
