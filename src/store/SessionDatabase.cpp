#include "store/SessionDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <vector>

#include "store/DataFolder.h"
#include "store/DefinitionFile.h"
#include "store/KeyLayout.h"
#include "store/RecordManager.h"
#include "store/Session.h"
#include "store/StoreError.h"

namespace SessionDatabase {

void Close(Session& session) {
    trm_CloseAll();
    session.DatabaseName.clear();
    session.DataHandle = 0;
    session.HistoryHandle = 0;
    session.TotalRecords = 0;
}

namespace {

QString fileName(const QString& path) {
    return QFileInfo(path).fileName();
}

// The three files must be of one database: a data file, a history file of
// the same keys, field names as many as the keys. Files swapped or brought
// from another database are refused here, before anything is read from or
// written to them in the wrong role.
void checkFilesBelongTogether(const DataFolder& folder, const QString& name, int data) {
    const QString dataName = fileName(folder.dataFile(name));
    const QString together =
        QStringLiteral("The files of the database \"%1\" have been swapped or replaced.").arg(name);
    if (trm_Kind(data) != TrmKind::Data) {
        throw StoreError(QStringLiteral("The file %1 holds a history of picks, not records.\r\n")
                             .arg(dataName) + together);
    }
    // Every window needs the field names; a database without them is
    // refused here rather than failing in each window later.
    const QStringList fields = DefinitionFile::FieldNames(DefinitionFile::Read(folder.definitionFile(name)));
    const int keys = KeyLayout::KeyCount(trm_KeyLayout(data)).value_or(0);
    if (fields.size() != keys) {
        throw StoreError(QStringLiteral("The field definition file %1 names %2, but the data file "
                                        "%3 has %4.\r\n")
                             .arg(fileName(folder.definitionFile(name)),
                                  fields.size() == 1 ? QStringLiteral("1 field") : QStringLiteral("%1 fields").arg(fields.size()),
                                  dataName,
                                  keys == 1 ? QStringLiteral("1 key") : QStringLiteral("%1 keys").arg(keys)) +
                         together);
    }
    const TrmOpenFile history(trm_Open(folder.historyFile(name), 0));
    if (history.handle() <= 0) return;  // said by the work that needs it
    const QString historyName = fileName(folder.historyFile(name));
    if (trm_Kind(history.handle()) != TrmKind::History) {
        throw StoreError(QStringLiteral("The file %1 holds records, not a history of picks.\r\n")
                             .arg(historyName) + together);
    }
    if (trm_KeyLayout(history.handle()) != trm_KeyLayout(data)) {
        throw StoreError(QStringLiteral("The history file %1 is of a database with other fields "
                                        "than %2.\r\n")
                             .arg(historyName, dataName) + together);
    }
}

// What a commit of both files cut off by a crash can leave behind: the list
// of their journals. SQLite needs it only while a journal that names it may
// still be played back; with both files held for writing, any journal left
// is not one SQLite would play back, and no other copy of the program is in
// the middle of a commit.
void removeCommitLeftovers(const DataFolder& folder, const QString& name, int data) {
    const QFileInfo main(folder.dataFile(name));
    const QStringList leftovers = QDir(main.absolutePath())
        .entryList({main.fileName() + QStringLiteral("-mj*")}, QDir::Files | QDir::Hidden);
    if (leftovers.isEmpty()) return;
    const TrmOpenFile history(trm_OpenShared(folder.historyFile(name), data));
    if (history.handle() <= 0) return;
    const TrmTransaction both(data);
    if (both.begun() != TrmCode::Ok) return;
    for (const QString& leftover : leftovers) QFile::remove(main.absoluteDir().filePath(leftover));
}

}  // namespace

int Open(Session& session, const DataFolder& folder, const QString& name) {
    Close(session);
    const int handle = trm_Open(folder.dataFile(name), 0);
    if (handle <= 0) {
        session.LastResult = handle < 0 ? -handle : TrmCode::NotADatabase;
        return session.LastResult;
    }
    try {
        checkFilesBelongTogether(folder, name, handle);
    } catch (const StoreError&) {
        trm_Close(handle);
        throw;
    }
    removeCommitLeftovers(folder, name, handle);
    session.DatabaseName = name;
    session.DataHandle = handle;
    session.TotalRecords = trm_Count(handle);
    return TrmCode::Ok;
}

namespace {

struct RecordFilePath {
    QString path;
    TrmKind kind;
};

std::vector<RecordFilePath> recordFiles(const DataFolder& folder, const QString& name) {
    return {{folder.dataFile(name), TrmKind::Data}, {folder.historyFile(name), TrmKind::History}};
}

}  // namespace

bool NeedsUpgrade(const DataFolder& folder, const QString& name) {
    const auto files = recordFiles(folder, name);
    return std::any_of(files.begin(), files.end(),
                       [](const RecordFilePath& f) { return RecordFileUpgrade::Needed(f.path); });
}

RecordFileUpgrade::Outcome Upgrade(const DataFolder& folder, const QString& name,
                                   const RecordFileUpgrade::Progress& progress) {
    RecordFileUpgrade::Outcome all;
    for (const RecordFilePath& file : recordFiles(folder, name)) {
        if (!RecordFileUpgrade::Needed(file.path)) continue;
        const RecordFileUpgrade::Outcome one = RecordFileUpgrade::Convert(file.path, file.kind, progress);
        all.records += one.records;
        all.cut += one.cut;
        all.keptAs += one.keptAs;
        all.code = one.code;
        all.stopped = one.stopped;
        if (!one.ok()) break;
    }
    return all;
}

}  // namespace SessionDatabase
