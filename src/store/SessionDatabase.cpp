#include "store/SessionDatabase.h"

#include <algorithm>
#include <vector>

#include "store/DataFolder.h"
#include "store/DatabaseFiles.h"
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

int OpenData(const DataFolder& folder, const QString& name) {
    const int handle = trm_Open(folder.dataFile(name), 0);
    if (handle <= 0) return handle < 0 ? handle : -TrmCode::NotADatabase;
    try {
        DatabaseFiles::CheckTogether(folder, name, handle);
    } catch (const StoreError&) {
        trm_Close(handle);
        throw;
    }
    DatabaseFiles::RemoveCommitLeftovers(folder, name, handle);
    return handle;
}

int Open(Session& session, const DataFolder& folder, const QString& name) {
    Close(session);
    const int handle = OpenData(folder, name);
    if (handle <= 0) {
        session.LastResult = -handle;
        return session.LastResult;
    }
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
        const RecordFileUpgrade::Outcome one =
            RecordFileUpgrade::Convert(file.path, file.kind, progress);
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
