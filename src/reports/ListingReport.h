#pragma once

#include <QString>

#include "reports/ReportRun.h"

// The complete listing: every record of the open data file, in key-1 order,
// one block per record numbered by its position, written to the report file
// in one pass over the file.
class ListingReport {
public:
    struct Request {
        int dataHandle = 0;
        QString databaseName;
        QString definitionPath;
        QString reportPath;
    };

    // How many records pass between two progress reports.
    static constexpr qint64 ProgressEvery = 2000;

    static ReportOutcome Write(const Request& request, const ReportProgress& progress = {});
};
