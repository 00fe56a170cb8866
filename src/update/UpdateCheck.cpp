#include "update/UpdateCheck.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include "net/Transfer.h"
#include "update/UpdateService.h"

namespace UpdateCheck {

namespace {

// Before the running version's text in the news stand eight characters that
// are not part of the news.
constexpr qsizetype Lead = 8;

}  // namespace

QString runningText() {
    return QStringLiteral("%1.%2").arg(Running.major).arg(Running.minor);
}

QString textOf(const QByteArray& bytes) {
    QStringDecoder decode(
        QStringConverter::encodingForData(bytes).value_or(QStringConverter::Utf8));
    return decode(bytes);
}

std::optional<Version> versionOf(const QString& text) {
    static const QRegularExpression form(QStringLiteral(R"(^(\d{1,6})(?:\.(\d{1,6}))?)"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch()) return std::nullopt;
    return Version{match.captured(1).toInt(), match.captured(2).toInt()};
}

QString newsExcerpt(const QString& news) {
    const qsizetype at = news.indexOf(runningText());
    if (at < Lead) return news;
    return news.left(at - Lead);
}

QString offerTitle(const QString& fetchedVersion) {
    QString version = fetchedVersion;
    while (version.endsWith(QLatin1Char('\n')) || version.endsWith(QLatin1Char('\r')))
        version.chop(1);
    return QStringLiteral("You can update from version ") + runningText() +
           QStringLiteral(" to version ") + version;
}

QString failureText(const UpdateService& service) {
    return QStringLiteral(
               "An error has occured. Update failed.\nYou must download new version "
               "of this application manually at ") +
           service.webSite() + QLatin1Char('.');
}

UpdateOutcome run(Transfer& transfer, const UpdateService& service) {
    UpdateOutcome outcome;
    try {
        // An editor may put a byte-order mark or a blank line before the number.
        QString version = textOf(transfer.fetch(service.versionFile(), VersionFileLimit));
        qsizetype blanks = 0;
        while (blanks < version.size() && version.at(blanks).isSpace()) ++blanks;
        version.remove(0, blanks);
        if (version.isEmpty()) return outcome;
        const std::optional<Version> newest = versionOf(version);
        if (!newest) {
            outcome.kind = UpdateOutcome::Kind::Failed;
            outcome.reason =
                QStringLiteral("The version file does not begin with a version number.");
            return outcome;
        }
        if (*newest <= Running) {
            outcome.kind = UpdateOutcome::Kind::UpToDate;
            return outcome;
        }
        const QString news = textOf(transfer.fetch(service.newsFile(), NewsLimit));
        outcome.kind = UpdateOutcome::Kind::Offer;
        outcome.title = offerTitle(version);
        outcome.prompt = newsExcerpt(news);
    } catch (const TransferError& error) {
        outcome.kind = error.stopped() ? UpdateOutcome::Kind::Stopped : UpdateOutcome::Kind::Failed;
        outcome.reason = error.reason();
    }
    return outcome;
}

}  // namespace UpdateCheck
