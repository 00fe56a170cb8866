#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

// What a report writer tells its caller. Told now and then how many records
// are done out of how many; returning false stops the report.
using ReportProgress = std::function<bool(qint64 done, qint64 total)>;

struct ReportOutcome {
    enum class Status {
        Written,
        Stopped,  // the user stopped it; the earlier report file is as it was
        Failed,   // nothing was written; `reason` says why
    };

    Status status = Status::Failed;
    QString reason;

    bool written() const { return status == Status::Written; }
};
