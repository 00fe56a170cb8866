#include "records/ClearOmits.h"

#include "store/RecordManager.h"
#include "store/Records.h"

namespace {

ClearOmits::Outcome failed(int handle, int code) {
    ClearOmits::Outcome out;
    out.code = code;
    out.reason = QStringLiteral("The omits could not be cleared; every record is as it was.\r\n") +
                 trm_FailureText(handle, code);
    return out;
}

}  // namespace

ClearOmits::Outcome ClearOmits::run(int dataHandle, const Progress& progress) {
    const qint64 total = trm_CountWhere(dataHandle, DataRecord::OmitOffset, 'T');
    if (const int code = trm_Result(dataHandle); code != TrmCode::Ok) {
        return failed(dataHandle, code);
    }
    if (progress) progress(0, total);

    TrmTransaction transaction(dataHandle);
    if (transaction.begun() != TrmCode::Ok) return failed(dataHandle, transaction.begun());
    qint64 cleared = 0;
    // The omit flag is no key: rewriting it moves no record. The store takes
    // the records in its own order, one pass over the file for the whole run.
    for (;;) {
        const int changed = trm_SetByteWhere(dataHandle, DataRecord::OmitOffset, 'T', 'F',
                                             static_cast<int>(BatchSize));
        if (changed < 0) return failed(dataHandle, -changed);
        if (changed == 0) break;
        cleared += changed;
        if (progress) progress(cleared, total);
    }
    if (const int code = transaction.commit(); code != TrmCode::Ok) {
        return failed(dataHandle, code);
    }
    return Outcome{true, cleared, 0, {}};
}
