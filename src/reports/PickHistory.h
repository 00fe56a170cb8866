#pragma once

#include <QString>
#include <QStringList>

#include "reports/ReportRun.h"

// The past picks of a database, read from its history file, and the report
// of one of them. The history file is opened and closed within each call.
class PickHistory {
public:
    struct PickList {
        ReportOutcome outcome;
        // One entry per pick, "mm-dd-yyyy @ hh:mm:ss  " (23 characters),
        // newest first.
        QStringList entries;
    };

    // A pick's entry text and the date and time it stands for.
    static QString Entry(const QString& pickDate, const QString& pickTime);
    static QString DateOf(const QString& entry) { return entry.left(10); }
    static QString TimeOf(const QString& entry) { return entry.mid(13); }

    // How many records the history file holds; -1 when it cannot be read.
    static qint64 Count(const QString& historyPath);

    static PickList LoadPickList(const QString& historyPath, const ReportProgress& progress = {});

    struct ReportRequest {
        QString historyPath;
        QString definitionPath;
        QString reportPath;
        QString pickDate;  // as the entry shows them: 10 characters each
        QString pickTime;
    };

    // The records of one pick, each numbered by its position among all the
    // history records in key-1 order.
    static ReportOutcome WriteReport(const ReportRequest& request,
                                     const ReportProgress& progress = {});

    static constexpr qint64 ProgressEvery = 5000;
};
