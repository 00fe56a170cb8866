#pragma once

#include <QString>

#include "store/RecordFileUpgrade.h"

class DataFolder;
struct Session;

// The database the session works on: opening one makes it the session's,
// closing leaves the session with none.
namespace SessionDatabase {

// Closes every record file and clears the session's database.
void Close(Session& session);

// Closes what is open, then opens the database `name` (as listed, untrimmed)
// and counts its records. Returns 0, or the record manager's code when the
// data file cannot be opened. Throws StoreError when its field definitions
// cannot be read. After any failure the session has no database and
// LastResult holds the failing code.
int Open(Session& session, const DataFolder& folder, const QString& name);

// What Open does to the files, for work outside the session (the command
// line): opens the data file of `name` with the same checks, leaving every
// other open file as it is. Returns the handle (> 0) or the negated code;
// throws StoreError as Open does.
int OpenData(const DataFolder& folder, const QString& name);

// Whether the record files of `name` were written by an earlier version and
// must be converted before the database opens.
bool NeedsUpgrade(const DataFolder& folder, const QString& name);

// Converts them, the data file first, each with its own progress. A file
// converted stays so when the other fails or is stopped.
RecordFileUpgrade::Outcome Upgrade(const DataFolder& folder, const QString& name,
                                   const RecordFileUpgrade::Progress& progress = {});

}  // namespace SessionDatabase
