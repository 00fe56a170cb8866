#include "LargeFile.h"

#include "store/RecordManager.h"
#include "store/Records.h"

QByteArray LargeRecords::next(qint64 i) {
    state_ = state_ * 1664525u + 1013904223u;
    DataRecord r;
    r.DateEntered = "01-02-2003";
    r.Field[0] = QByteArray::number(state_);
    r.Field[1] = QByteArray::number(i % 97);
    for (int k = 2; k < fields_; ++k)
        r.Field[std::size_t(k)] = "f" + QByteArray::number(i % (k * 1000));
    r.Omit = (i % 100 == 0) ? "F" : "T";
    return RecordToString(r);
}

bool FillFile(int handle, qint64 total, const std::function<QByteArray(qint64)>& record) {
    TrmTransaction tx(handle);
    if (trm_BeginBulkLoad(handle) != 0) return false;
    for (qint64 i = 0; i < total; ++i) {
        if (trm_Insert(handle, record(i)) != 0) return false;
    }
    return trm_EndBulkLoad(handle) == 0 && tx.commit() == 0;
}

bool FillLargeFile(int handle, qint64 total, int fields) {
    LargeRecords records(fields);
    return FillFile(handle, total, [&records](qint64 i) { return records.next(i); });
}
