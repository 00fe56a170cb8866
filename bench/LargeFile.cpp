#include "LargeFile.h"

#include <random>

#include "store/RecordManager.h"
#include "store/Records.h"

bool FillLargeFile(int handle, qint64 total) {
    std::mt19937 random(42);
    TrmTransaction tx(handle);
    DataRecord r;
    r.DateEntered = "01-02-2003";
    for (qint64 i = 0; i < total; ++i) {
        r.Field[0] = QByteArray::number(quint32(random()));
        r.Field[1] = QByteArray::number(i % 97);
        r.Omit = (i % 100 == 0) ? "F" : "T";
        if (trm_Insert(handle, RecordToString(r)) != 0) return false;
    }
    return tx.commit() == 0;
}
