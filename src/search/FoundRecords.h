#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "store/RecordManager.h"
#include "store/Records.h"

// What the find window lists: the identities of records in the order shown,
// the texts of a listed row, and the record a chosen row stands for. A list
// holds identities only; rows are read when they are shown.
class FoundRecords {
public:
    struct Listing {
        std::vector<qint64> positions;
        // The record manager's code: 0 for a whole list, KeyNotFound when a
        // search found nothing, else the failure that cut the list short.
        int code = 0;
    };

    // Every record, in key-1 order.
    static Listing All(int handle);
    // Exactly the records whose key `key` compares with `value` as `how` says,
    // in ascending order of that key. `keepGoing` is asked now and then and
    // returns false to stop (the code is then TrmCode::Stopped).
    static Listing Matching(int handle, int key, TrmSearch how, const QByteArray& value,
                            const std::function<bool()>& keepGoing = {});

    // A row's number as the list shows it: at least two digits, no grouping.
    static QString RowNumber(qint64 row);
    // Fields 1..fieldCount of a record string, trimmed, as the row's cells.
    static QStringList Cells(const QByteArray& record, int fieldCount);
    // The cells of the record with this identity; nothing when there is none.
    // The handle's current record stays as it was.
    static std::optional<QStringList> CellsOf(int handle, qint64 position, int fieldCount);

    // The record a row stands for, when it is still in the file as the row
    // shows it (`shown`: the row's cells); it then becomes the handle's current
    // record. Nothing when it has been deleted, or its listed fields changed,
    // since the row was read.
    static std::optional<DataRecord> Pick(int handle, qint64 position, const QStringList& shown);
};
