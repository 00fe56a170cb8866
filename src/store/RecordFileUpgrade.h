#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <functional>

#include "store/RecordColumns.h"

// Turns a record file written by an earlier version (each record string kept
// whole, its text in Windows-1252) into the current layout, once, when it is
// first opened. The new file is built beside the old one and moved over it in
// one step, so that a crash at any moment leaves a file that opens: the old
// one, converted again next time, or the new one. Nothing is read from the old
// file as UTF-8.
namespace RecordFileUpgrade {

// Records converted so far, and how many in all; returns false to stop.
using Progress = std::function<bool(qint64 done, qint64 total)>;

struct Outcome {
    int code = 0;          // a record manager result code, 0 when converted
    bool stopped = false;  // stopped by the user: the old file is left as it was
    qint64 records = 0;
    qint64 cut = 0;      // values that no longer fit their field once in UTF-8
    QStringList keptAs;  // where the files as they were are kept, when a value was cut
    bool ok() const { return code == 0 && !stopped; }
};

// Where a converted file whose values had to be cut is kept as it was.
QString KeptPath(const QString& path);

// Whether the file at `path` was written by an earlier version.
bool Needed(const QString& path);

// Converts the file at `path`, which holds records of `kind`.
Outcome Convert(const QString& path, TrmKind kind, const Progress& progress = {});

// For tests of a crash: called as each step of a conversion begins, with the
// step's number from 0; StepCount() steps in all.
using StepHook = std::function<void(int step)>;
void SetStepHook(StepHook hook);
int StepCount();

}  // namespace RecordFileUpgrade
