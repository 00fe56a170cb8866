#include "records/RecordChanges.h"

#include "store/RecordManager.h"

namespace {

ChangeResult failure(int handle, int code) {
    ChangeResult result;
    result.code = code;
    result.reason = trm_FailureText(handle, code);
    return result;
}

ChangeResult notShown() {
    ChangeResult result;
    result.code = TrmCode::NoCurrentRecord;
    result.reason = QStringLiteral("No record of the database is shown in the window.");
    return result;
}

// Makes the record with this identity the current one, for an update or delete.
int fetchShown(int handle, qint64 position) {
    const QByteArray text = trm_GetDirect(handle, position);
    const int code = trm_Result(handle);
    if (code == TrmCode::Ok && text.isEmpty()) return TrmCode::NoCurrentRecord;
    return code;
}

ChangeResult gone(int handle, int code) {
    if (code != TrmCode::NoCurrentRecord && code != TrmCode::KeyNotFound &&
        code != TrmCode::EndOfFile) {
        return failure(handle, code);
    }
    ChangeResult result;
    result.code = code;
    result.reason = QStringLiteral("The record shown is no longer in the database.");
    return result;
}

// The copies inside one transaction; it rolls back as it goes out of scope
// unless every copy was written and the commit succeeded.
ChangeResult insertAll(int handle, const QByteArray& text, qint32 copies,
                       const RecordChanges::Progress& progress) {
    TrmTransaction transaction(handle);
    if (transaction.begun() != TrmCode::Ok) return failure(handle, transaction.begun());
    const bool bulk = RecordChanges::WorthABulkLoad(handle, copies);
    if (bulk) {
        if (const int code = trm_BeginBulkLoad(handle); code != TrmCode::Ok) {
            return failure(handle, code);
        }
    }
    for (qint64 saved = 1; saved <= copies; ++saved) {
        const int code = trm_Insert(handle, text);
        if (code != TrmCode::Ok) return failure(handle, code);
        const bool report = saved % RecordChanges::ProgressStep == 0 || saved == copies;
        if (progress && report && !progress(saved, copies)) {
            ChangeResult stopped;
            stopped.cancelled = true;
            return stopped;
        }
    }
    const qint64 lastCopy = trm_GetPosition(handle);
    if (bulk) {
        if (const int code = trm_EndBulkLoad(handle); code != TrmCode::Ok) {
            return failure(handle, code);
        }
    }
    const int committed = transaction.commit();
    if (committed != TrmCode::Ok) return failure(handle, committed);
    ChangeResult result;
    result.position = lastCopy;
    return result;
}

}  // namespace

namespace RecordChanges {

// Rebuilding the indexes costs a pass over the whole file, keeping them costs
// a little per record: the rebuild wins only when the new records outnumber
// the ones already there.
bool WorthABulkLoad(int handle, qint64 adding) {
    constexpr qint64 fewest = 10000;
    return adding >= fewest && adding > trm_Count(handle);
}

ChangeResult SaveCopies(int handle, const DataRecord& record, qint32 copies,
                        const Progress& progress) {
    if (copies < 1) return failure(handle, TrmCode::BadRecord);
    ChangeResult result = insertAll(handle, RecordToString(record), copies, progress);
    // Counted after the transaction has ended, whichever way it ended.
    result.total = trm_Count(handle);
    return result;
}

ChangeResult Update(int handle, qint64 position, const DataRecord& record) {
    if (position <= 0) return notShown();
    const int found = fetchShown(handle, position);
    if (found != TrmCode::Ok) return gone(handle, found);
    const int code = trm_Update(handle, RecordToString(record));
    if (code != TrmCode::Ok) return failure(handle, code);
    ChangeResult result;
    result.position = trm_GetPosition(handle);
    result.total = trm_Count(handle);
    return result;
}

ChangeResult Delete(int handle, qint64 position) {
    if (position <= 0) return notShown();
    const int found = fetchShown(handle, position);
    if (found != TrmCode::Ok) return gone(handle, found);
    const int code = trm_Delete(handle);
    if (code != TrmCode::Ok) return failure(handle, code);
    ChangeResult result;
    result.total = trm_Count(handle);
    return result;
}

}  // namespace RecordChanges
