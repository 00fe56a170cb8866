#pragma once

#include <QString>
#include <optional>

class Transfer;
class UpdateService;

// What the update check found.
struct UpdateOutcome {
    enum class Kind {
        Nothing,   // the version file was empty: nothing to say
        UpToDate,  // no newer version
        Offer,     // a newer version: `title` and `prompt` make the question
        Failed,    // `reason` says why
        Stopped,   // the user stopped it
    };
    Kind kind = Kind::Nothing;
    QString title;
    QString prompt;
    QString reason;
};

// Asks the update service whether a newer version than this one exists.
namespace UpdateCheck {

struct Version {
    int major = 0;
    int minor = 0;
    auto operator<=>(const Version&) const = default;
};

constexpr Version Running{3, 0};

// The most the service's files may hold: far more than any real one, so
// that a server gone wrong cannot fill the memory or a message box.
constexpr qsizetype VersionFileLimit = 4 * 1024;
constexpr qsizetype NewsLimit = 64 * 1024;

// "3.0": the form in which versions are shown and searched for in the news.
QString runningText();
// A file of the service as text: in the encoding its byte-order mark names,
// the mark left out; UTF-8 without one.
QString textOf(const QByteArray& bytes);
// The major and minor numbers a version text begins with ("10.0", "3.1\n",
// "3"), or nothing when it does not begin with a number.
std::optional<Version> versionOf(const QString& text);
// The news to show: what comes before the running version's text except the
// eight characters right before it; the whole news when the version is
// absent or too near the start to leave an excerpt.
QString newsExcerpt(const QString& news);
// The offer's title with the version file's text, less its trailing line break.
QString offerTitle(const QString& fetchedVersion);
// The message for a failed check, naming the site to download from by hand.
QString failureText(const UpdateService& service);

// Fetches the version file and, when it names a newer version, the news.
UpdateOutcome run(Transfer& transfer, const UpdateService& service);

}  // namespace UpdateCheck
