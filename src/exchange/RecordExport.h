#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

#include "exchange/ExportColumns.h"
#include "exchange/ExportFormat.h"

class DrawPool;

// Writes records to an export file in the data folder: the whole data file
// (ExportDatabase) or the history entries of the latest pick
// (ExportPickResults), each visited once in key-1 order.
//
// The file is written whole under a temporary name and renamed into place
// only when complete, so a failed or stopped export leaves no file behind and
// an earlier file of that name as it was.
class RecordExport {
public:
    // Told every so many records how many are done out of how many; returns
    // false to stop the export.
    using Progress = std::function<bool(qint64 done, qint64 total)>;

    struct Request {
        QString folder;  // the data folder
        QString name;    // as typed; the format's extension is always added
        ExportFormat format = ExportFormat::Csv;
        bool fieldNames = false;  // a header row
        ExportColumns columns;
        QString pickDate;  // of the latest pick this session; empty before any
        QString pickTime;
    };

    enum class Status { Written, Stopped, Failed };

    struct Outcome {
        Status status = Status::Failed;
        QString path;     // the export file
        qint64 rows = 0;  // data rows written
        int code = 0;     // the record manager's code of a store failure
        QString reason;   // for the user, when it failed
    };

    static constexpr qint64 ProgressEvery = 4096;

    // The file the request names: the name exactly as typed plus the extension.
    static QString PathOf(const Request& request);
    // Why the name cannot be a file of the data folder, as a sentence; empty when it can.
    static QString NameProblem(const QString& name);

    static Outcome ExportDatabase(const Request& request, int dataHandle,
                                  const Progress& progress = {});
    static Outcome ExportPickResults(const Request& request, const QString& historyPath,
                                     const Progress& progress = {});

    // A pool for a public draw (see DrawPool), to publish before the draw:
    // as CSV, a header row ("Number" and the field names) and a row per
    // entry; or as its listing, byte for byte the text its SHA-256 is of.
    enum class PoolFormat { Csv, Listing };
    static Outcome ExportPool(const QString& path, PoolFormat format, int dataHandle,
                              const DrawPool& pool, const QStringList& fieldNames,
                              const Progress& progress = {});
};
