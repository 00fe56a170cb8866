#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

#include "store/Records.h"

// The changes the record window makes to the open data file. Each acts on the
// record it is given by identity (trm_GetPosition), never on whatever record
// another window fetched last, and each either happens whole or not at all.
struct ChangeResult {
    int code = 0;            // record manager result code; 0 when the change was made
    QString reason;          // a sentence for the user when it was not
    bool cancelled = false;  // the user stopped it; nothing was changed
    qint64 position = 0;     // identity of the record written (0 after a delete)
    qint32 total = 0;        // records in the file afterwards

    bool ok() const { return code == 0 && !cancelled; }
};

namespace RecordChanges {

// Told how many copies are written so far; returns false to stop the save.
using Progress = std::function<bool(qint64 saved, qint64 copies)>;

// How often a save of many records (copies, an import) reports its progress.
constexpr qint64 ProgressStep = 2000;

// Whether adding so many records to the file is done faster as a bulk load.
bool WorthABulkLoad(int handle, qint64 adding);

// Inserts `copies` identical copies of the record in one transaction: all of
// them or, on any failure or when stopped, none. `position` is the last copy's.
ChangeResult SaveCopies(int handle, const DataRecord& record, qint32 copies,
                        const Progress& progress = {});

// Replaces the record whose identity is `position`.
ChangeResult Update(int handle, qint64 position, const DataRecord& record);

// Removes the record whose identity is `position`.
ChangeResult Delete(int handle, qint64 position);

}  // namespace RecordChanges
