#pragma once

#include <QString>
#include <QStringList>

class DataFolder;

// The databases of the data folder as sets of three files: name.dat (the
// records), name.hst (the history of picks) and name.dfn (the field names).
namespace DatabaseFiles {

// The uninstaller's own data file shares the folder and is no database.
inline constexpr const char* UninstallerFile = "unins000.dat";

// The names of the databases in the folder: every file matching *.dat (in any
// letter case) less its extension, in name order regardless of letter case.
QStringList List(const DataFolder& folder);

// Why the file system cannot take `name` as a database name, as a sentence
// for the user; empty when it can.
QString NameProblem(const QString& name);

struct CreateOutcome {
    int code = 0;    // a record manager result code, 0 on success
    QString reason;  // what went wrong, for the user; empty on success
    bool ok() const { return code == 0; }
};

// Creates the empty database `name` with these fields (keyed on every field),
// replacing a database of that name. All three files are built under
// temporary names first and moved into place together: afterwards either the
// new database exists whole or the folder holds exactly what it held before.
// The database must not be open.
CreateOutcome Create(const DataFolder& folder, const QString& name, const QStringList& fields);

// Removes name.dat, name.hst and name.dfn, in that order. Returns the names of
// the files that were already missing. Throws StoreError when a file exists
// and cannot be removed. The database must not be open.
QStringList Delete(const DataFolder& folder, const QString& name);

// Refuses (StoreError) a database whose files do not belong together: a data
// file that holds history, a history file that holds records or has other
// keys, field names more or fewer than the data file's keys. `data` is the
// open data file.
void CheckTogether(const DataFolder& folder, const QString& name, int data);

// Removes what a crash in the middle of a commit of both record files can
// leave behind and nothing needs any more. `data` is the open data file.
void RemoveCommitLeftovers(const DataFolder& folder, const QString& name, int data);

}  // namespace DatabaseFiles
