#include "app/AboutText.h"

#include <curl/curl.h>
#include <sqlite3.h>

namespace AboutText {

QString recordManagerVersion(qint32 version) {
    return QString::number(version / 256 / 256) + QLatin1Char('.') + QString::number(version % 256);
}

QString recordManagerCaption(qint32 version) {
    return QStringLiteral("Record Manager %1 over SQLite %2")
        .arg(recordManagerVersion(version), QString::fromLatin1(sqlite3_libversion()));
}

QString mailCaption() {
    return QStringLiteral("libcurl %1 (mail)")
        .arg(QString::fromLatin1(curl_version_info(CURLVERSION_NOW)->version));
}

}  // namespace AboutText
