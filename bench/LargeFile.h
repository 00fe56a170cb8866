#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <functional>

// The records of the large benchmark files: random first fields, 97 repeating
// second fields, the other fields (up to `fields`) numbered, every hundredth
// record not omitted and the others omitted. The same for every run.
class LargeRecords {
public:
    explicit LargeRecords(int fields) : fields_(fields) {}
    // The record string of record `i` (from 0, in order).
    QByteArray next(qint64 i);

private:
    int fields_;
    quint32 state_ = 42;
};

// Fills an open file with the `total` records `record` makes (from 0, in
// order) in one transaction, rows first and indexes after. False when the
// store refused.
bool FillFile(int handle, qint64 total, const std::function<QByteArray(qint64)>& record);

// Fills an open data file with `total` of the records above.
bool FillLargeFile(int handle, qint64 total, int fields = 2);
