#include "store/SessionDatabase.h"

#include "store/DataFolder.h"
#include "store/DefinitionFile.h"
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

int Open(Session& session, const DataFolder& folder, const QString& name) {
    Close(session);
    const int handle = trm_Open(folder.dataFile(name), 0);
    if (handle <= 0) {
        session.LastResult = handle < 0 ? -handle : TrmCode::NotADatabase;
        return session.LastResult;
    }
    // Every window needs the field names; a database without them is
    // refused here rather than failing in each window later.
    try {
        DefinitionFile::Read(folder.definitionFile(name));
    } catch (const StoreError&) {
        trm_Close(handle);
        throw;
    }
    session.DatabaseName = name;
    session.DataHandle = handle;
    session.TotalRecords = trm_Count(handle);
    return TrmCode::Ok;
}

}  // namespace SessionDatabase
