#include "store/DatabaseCheck.h"

#include <QFileInfo>

#include "store/DataFolder.h"
#include "store/RecordManager.h"
#include "store/RecordSchema.h"
#include "store/SqliteDatabase.h"

namespace DatabaseCheck {

namespace {

// More than these per file would bury the first, which say the most.
constexpr int kProblemsPerFile = 10;

int askToGoOn(void* keepGoing) {
    return (*static_cast<const std::function<bool()>*>(keepGoing))() ? 0 : 1;
}

// SQLite's own check of the file, on a connection of its own; empty when sound.
QStringList integrityProblems(const QString& path, const std::function<bool()>& keepGoing,
                              bool& stopped) {
    int rc = SQLITE_OK;
    SqliteDatabase db(path, false, rc);
    if (rc == SQLITE_OK) rc = RecordSchema::DefineKeyOrder(db.handle());
    if (rc != SQLITE_OK) return {db.lastError()};
    if (keepGoing)
        sqlite3_progress_handler(db.handle(), 10000, askToGoOn,
                                 const_cast<std::function<bool()>*>(&keepGoing));
    QStringList problems;
    SqliteQuery check =
        db.statement(QStringLiteral("PRAGMA integrity_check(%1)").arg(kProblemsPerFile), rc);
    if (!check) return {db.lastError()};
    while ((rc = check->step()) == SQLITE_ROW) {
        // SQLite heads its findings with the name it knows the file by, which says nothing here.
        for (const QString& line : QString::fromUtf8(check->bytes(0)).split(QLatin1Char('\n'))) {
            if (line != QLatin1String("ok") && !line.startsWith(QLatin1String("*** in database"))) {
                problems << line;
            }
        }
    }
    if (rc == SQLITE_INTERRUPT)
        stopped = true;
    else if (rc != SQLITE_DONE)
        problems << db.lastError();
    return problems;
}

}  // namespace

Outcome Run(const DataFolder& folder, const QString& name, const std::function<bool()>& keepGoing) {
    Outcome outcome;
    for (const QString& path : {folder.dataFile(name), folder.historyFile(name)}) {
        const QString file = QFileInfo(path).fileName();
        // What the file says it is comes first: SQLite would take another
        // program's database for a sound one.
        const int handle = trm_Open(path, 0);
        QStringList problems;
        if (handle <= 0) {
            problems << trm_ResultText(-handle);
        } else {
            trm_Close(handle);
            bool stopped = false;
            problems = integrityProblems(path, keepGoing, stopped);
            if (stopped) return Outcome{Outcome::Status::Stopped, {}};
        }
        for (const QString& problem : problems)
            outcome.problems << file + QStringLiteral(": ") + problem;
    }
    if (!outcome.problems.isEmpty()) outcome.status = Outcome::Status::Damaged;
    return outcome;
}

QString Told(const QString& name, const Outcome& outcome) {
    if (outcome.status == Outcome::Status::Sound) {
        return QStringLiteral(
                   "The database \"%1\" is sound: its records and its history passed "
                   "every check.")
            .arg(name);
    }
    return QStringLiteral("The database \"%1\" is damaged:\r\n").arg(name) +
           outcome.problems.join(QStringLiteral("\r\n")) +
           QStringLiteral("\r\nKeep a copy of its files before making any change to it.");
}

}  // namespace DatabaseCheck
