#include "store/DatabaseFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "store/CreationJournal.h"
#include "store/DataFolder.h"
#include "store/DefinitionFile.h"
#include "store/FileMoves.h"
#include "store/FolderSync.h"
#include "store/KeyLayout.h"
#include "store/RecordManager.h"
#include "store/StoreError.h"

namespace DatabaseFiles {

namespace {

// The database's files in the order they are written and removed.
std::array<QString, 3> filesOf(const DataFolder& folder, const QString& name) {
    return {folder.dataFile(name), folder.historyFile(name), folder.definitionFile(name)};
}

QString fileName(const QString& path) {
    return QFileInfo(path).fileName();
}

CreateOutcome failure(int code, const QString& reason) {
    return CreateOutcome{code == TrmCode::Ok ? TrmCode::CannotCreate : code, reason};
}

// Builds the new files at their fresh names: the record files first, the
// field names last.
void build(const CreationJournal& journal, const QStringList& fields) {
    const std::vector<CreationJournal::Move>& moves = journal.moves();
    const QByteArray layout = KeyLayout::Build(fields);
    const TrmKind kinds[] = {TrmKind::Data, TrmKind::History};
    for (std::size_t i = 0; i < 2; ++i) {
        const int code = trm_Create(journal.path(moves[i].fresh), layout, 1, kinds[i]);
        if (code != TrmCode::Ok) throw StoreError(trm_ResultText(code), code);
    }
    DefinitionFile::Write(journal.path(moves[2].fresh), fields);
}

}  // namespace

QStringList List(const DataFolder& folder) {
    const QFileInfoList found =
        QDir(folder.path())
            .entryInfoList({QStringLiteral("*.dat")}, QDir::Files | QDir::Hidden, QDir::NoSort);
    QStringList names;
    for (const QFileInfo& info : found) {
        if (info.fileName() == QLatin1String(UninstallerFile)) continue;
        names << info.fileName().chopped(4);
    }
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    return names;
}

QString NameProblem(const QString& name) {
    if (name.contains(QLatin1Char('/'))) {
        return QStringLiteral("A database name cannot contain the character \"/\".");
    }
    if (name.contains(QChar(0))) {
        return QStringLiteral("A database name cannot contain a NUL character.");
    }
    return {};
}

CreateOutcome Create(const DataFolder& folder, const QString& name, const QStringList& fields) {
    if (const QString problem = NameProblem(name); !problem.isEmpty()) {
        return failure(TrmCode::CannotCreate, problem);
    }
    QStringList built;
    for (const QString& target : filesOf(folder, name)) {
        if (QFileInfo(target).isDir()) {
            return failure(
                TrmCode::CannotCreate,
                QStringLiteral("%1 is a folder, not a file.").arg(QFileInfo(target).fileName()));
        }
        built << target;
    }
    // The rollback journal of a replaced record file would otherwise be played
    // into the new one: it is cleared away with the file.
    const QStringList cleared = {built[0] + QStringLiteral("-journal"),
                                 built[1] + QStringLiteral("-journal")};
    CreationJournal journal(folder, name, built, cleared);
    try {
        journal.record(CreationJournal::Stage::Building);
    } catch (const StoreError& e) {
        return failure(e.code(), e.message());
    }
    try {
        build(journal, fields);
        journal.record(CreationJournal::Stage::Moving);
        journal.install();
    } catch (const StoreError& e) {
        QString reason = e.message();
        if (const std::optional<QString> problem = journal.undo()) {
            reason +=
                QStringLiteral("\r\n") + *problem +
                QStringLiteral("\r\nThey are put back the next time the databases are listed.");
        }
        return failure(e.code(), reason);
    }
    // The new database is whole from here on; earlier files that linger under
    // their hidden names are dropped at the next listing.
    journal.commit();
    return {};
}

// The three files must be of one database: a data file, a history file of
// the same keys, field names as many as the keys. Files swapped or brought
// from another database are refused here, before anything is read from or
// written to them in the wrong role.
void CheckTogether(const DataFolder& folder, const QString& name, int data) {
    const QString dataName = fileName(folder.dataFile(name));
    const QString together =
        QStringLiteral("The files of the database \"%1\" have been swapped or replaced.").arg(name);
    if (trm_Kind(data) != TrmKind::Data) {
        throw StoreError(
            QStringLiteral("The file %1 holds a history of picks, not records.\r\n").arg(dataName) +
            together);
    }
    // Every window needs the field names; a database without them is
    // refused here rather than failing in each window later.
    const QStringList fields =
        DefinitionFile::FieldNames(DefinitionFile::Read(folder.definitionFile(name)));
    const int keys = KeyLayout::KeyCount(trm_KeyLayout(data)).value_or(0);
    if (fields.size() != keys) {
        throw StoreError(
            QStringLiteral("The field definition file %1 names %2, but the data file "
                           "%3 has %4.\r\n")
                .arg(fileName(folder.definitionFile(name)),
                     fields.size() == 1 ? QStringLiteral("1 field")
                                        : QStringLiteral("%1 fields").arg(fields.size()),
                     dataName,
                     keys == 1 ? QStringLiteral("1 key") : QStringLiteral("%1 keys").arg(keys)) +
            together);
    }
    const TrmOpenFile history(trm_Open(folder.historyFile(name), 0));
    if (history.handle() <= 0) return;  // said by the work that needs it
    const QString historyName = fileName(folder.historyFile(name));
    if (trm_Kind(history.handle()) != TrmKind::History) {
        throw StoreError(QStringLiteral("The file %1 holds records, not a history of picks.\r\n")
                             .arg(historyName) +
                         together);
    }
    if (trm_KeyLayout(history.handle()) != trm_KeyLayout(data)) {
        throw StoreError(QStringLiteral("The history file %1 is of a database with other fields "
                                        "than %2.\r\n")
                             .arg(historyName, dataName) +
                         together);
    }
}

// What a commit of both files cut off by a crash can leave behind: the list
// of their journals. SQLite needs it only while a journal that names it may
// still be played back; with both files held for writing, any journal left
// is not one SQLite would play back, and no other copy of the program is in
// the middle of a commit.
void RemoveCommitLeftovers(const DataFolder& folder, const QString& name, int data) {
    const QFileInfo main(folder.dataFile(name));
    const QStringList leftovers =
        QDir(main.absolutePath())
            .entryList({main.fileName() + QStringLiteral("-mj*")}, QDir::Files | QDir::Hidden);
    if (leftovers.isEmpty()) return;
    const TrmOpenFile history(trm_OpenShared(folder.historyFile(name), data));
    if (history.handle() <= 0) return;
    const TrmTransaction both(data);
    if (both.begun() != TrmCode::Ok) return;
    for (const QString& leftover : leftovers) QFile::remove(main.absoluteDir().filePath(leftover));
}

QStringList Delete(const DataFolder& folder, const QString& name) {
    QStringList missing;
    QStringList removed;
    for (const QString& path : filesOf(folder, name)) {
        const QString file = QFileInfo(path).fileName();
        if (!FileMoves::Present(path)) {
            missing << file;
            continue;
        }
        if (const std::error_code ec = FileMoves::Remove(path)) {
            QString message = QStringLiteral("The file %1 could not be deleted: %2.")
                                  .arg(file, QString::fromStdString(ec.message()));
            if (!removed.isEmpty()) {
                message += QStringLiteral("\r\nAlready deleted: %1.").arg(removed.join(", "));
            }
            throw StoreError(message, FileMoves::CodeFor(ec));
        }
        removed << file;
    }
    SyncFolder(folder.path());
    return missing;
}

}  // namespace DatabaseFiles
