#pragma once

#include <QString>
#include <QStringList>

// The folder that holds every database and the program's scratch files: the
// program's own folder, unless the command line (--data-dir DIR) or the
// environment (RANDOLA_DATA_DIR) names another, or the program's folder cannot
// be written or is a bin folder (the program is installed), in which case the
// user's data folder serves: $XDG_DATA_HOME/randola3, else
// ~/.local/share/randola3.
class DataFolder {
public:
    explicit DataFolder(const QString& path) : path_(path) {}

    // Chooses the folder for a run and makes sure it exists.
    static DataFolder resolve(const QStringList& arguments, const QString& programFolder);

    const QString& path() const { return path_; }
    // The full path of a file in the folder, with the platform's separator.
    QString file(const QString& name) const;

    // The files of a database. Databases brought from a system that ignores
    // letter case may carry their extensions in capitals (Shop.DAT): when no
    // file has the extension in small letters, one that differs from it only
    // in case is taken.
    QString dataFile(const QString& database) const { return databaseFile(database, ".dat"); }
    QString definitionFile(const QString& database) const { return databaseFile(database, ".dfn"); }
    QString historyFile(const QString& database) const { return databaseFile(database, ".hst"); }

private:
    QString databaseFile(const QString& database, const QString& extension) const;

    QString path_;
};
