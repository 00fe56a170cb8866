#include "store/DataFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

QString namedFolder(const QStringList& arguments) {
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        if (a == QLatin1String("--data-dir") && i + 1 < arguments.size())
            return arguments.at(i + 1);
        if (a.startsWith(QLatin1String("--data-dir="))) return a.mid(11);
    }
    return qEnvironmentVariable("RANDOLA_DATA_DIR");
}

// Probing with a real file: permission bits alone miss read-only mounts.
bool writable(const QString& folder) {
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".randola-probe-XXXXXX")));
    return probe.open();
}

// A bin folder holds installed programs, never their data, even for a user
// who may write there (root, or someone who installed into ~/bin).
bool holdsPrograms(const QString& folder) {
    return QFileInfo(folder).fileName() == QLatin1String("bin");
}

// The user's own data folder by the XDG rule: $XDG_DATA_HOME, else ~/.local/share.
QString userDataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/randola3");
}

}  // namespace

DataFolder DataFolder::resolve(const QStringList& arguments, const QString& programFolder) {
    QString chosen = namedFolder(arguments);
    if (chosen.isEmpty()) {
        chosen = programFolder;
        if (holdsPrograms(chosen) || !writable(chosen)) chosen = userDataFolder();
    }
    QDir().mkpath(chosen);
    return DataFolder(QDir::toNativeSeparators(QFileInfo(chosen).absoluteFilePath()));
}

QString DataFolder::file(const QString& name) const {
    return path_ + QDir::separator() + name;
}

QString DataFolder::databaseFile(const QString& database, const QString& extension) const {
    const QString exact = file(database + extension);
    if (QFileInfo::exists(exact)) return exact;
    const QStringList names =
        QDir(path_).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    for (const QString& name : names) {
        if (name.size() == database.size() + extension.size() && name.startsWith(database) &&
            name.endsWith(extension, Qt::CaseInsensitive)) {
            return file(name);
        }
    }
    return exact;
}
