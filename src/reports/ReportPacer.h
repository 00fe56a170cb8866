#pragma once

#include "reports/ReportRun.h"

// Counts the records a report has visited and tells the progress callback
// every `every` records; remembers when the callback asked to stop.
class ReportPacer {
public:
    ReportPacer(const ReportProgress& progress, qint64 total, qint64 every)
        : progress_(progress), total_(total), every_(every) {}

    // False once the user has stopped the report.
    bool start() { return tell(); }
    bool step() {
        ++done_;
        return done_ % every_ != 0 || tell();
    }
    bool stopped() const { return stopped_; }
    qint64 done() const { return done_; }

private:
    bool tell() {
        if (progress_ && !stopped_) stopped_ = !progress_(done_, total_);
        return !stopped_;
    }

    const ReportProgress& progress_;
    qint64 total_;
    qint64 every_;
    qint64 done_ = 0;
    bool stopped_ = false;
};
