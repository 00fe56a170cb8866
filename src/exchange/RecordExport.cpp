#include "exchange/RecordExport.h"

#include <QDir>
#include <QSaveFile>
#include <cerrno>
#include <memory>
#include <optional>

#include "exchange/CsvExportWriter.h"
#include "exchange/ExportWriter.h"
#include "records/DrawPool.h"
#include "store/DataFolder.h"
#include "store/FolderSync.h"
#include "store/RecordManager.h"
#include "store/RecordText.h"

namespace {

using Outcome = RecordExport::Outcome;
using Status = RecordExport::Status;

// What the export makes of a record string: the record string of a data row
// (the data part of a history record), or nothing when the record is not
// exported.
using RowOf = std::function<std::optional<QByteArrayView>(const QByteArray& text)>;

// The export file being written: the writer's lines gathered in a buffer and
// written in large pieces, committed under its own name only at the end.
class ExportFile {
public:
    explicit ExportFile(const RecordExport::Request& request)
        : file_(RecordExport::PathOf(request)),
          writer_(ExportWriter::create(request.format, request.pickDate, request.pickTime)),
          columns_(request.columns) {}

    bool open(bool fieldNames) {
        if (!file_.open(QIODevice::WriteOnly)) return false;
        writer_->begin(buffer_);
        if (fieldNames) {
            const QByteArrayList& headers = columns_.headers();
            writer_->header(buffer_, ExportWriter::Items(headers.begin(), headers.end()));
        }
        return true;
    }
    bool add(QByteArrayView record) {
        columns_.values(record, number_, values_);
        writer_->row(buffer_, values_);
        ++rows_;
        return buffer_.size() < FlushAt || flush();
    }
    bool commit() {
        writer_->end(buffer_);
        return flush() && file_.commit();
    }

    qint64 rows() const { return rows_; }
    QString error() const { return error_.isEmpty() ? file_.errorString() : error_; }

private:
    static constexpr qsizetype FlushAt = 1 << 20;

    bool flush() {
        errno = 0;
        const bool written = file_.write(buffer_) == buffer_.size();
        // Qt tells a refused write only as an unknown error; the system says why.
        if (!written && errno != 0) error_ = qt_error_string(errno);
        buffer_.truncate(0);
        return written;
    }

    QSaveFile file_;
    std::unique_ptr<ExportWriter> writer_;
    const ExportColumns& columns_;
    QByteArray buffer_;
    ExportWriter::Items values_;
    QByteArray number_;
    qint64 rows_ = 0;
    QString error_;
};

Outcome failed(const RecordExport::Request& request, const QString& reason, int code = 0) {
    Outcome out;
    out.status = Status::Failed;
    out.path = RecordExport::PathOf(request);
    out.code = code;
    out.reason = reason;
    return out;
}

Outcome fileFailed(const RecordExport::Request& request, const QString& why) {
    return failed(request, QStringLiteral("The %1 file could not be written, so nothing was "
                                          "exported.\r\n%2\r\n%3")
                               .arg(KindOf(request.format), why,
                                    QDir::toNativeSeparators(RecordExport::PathOf(request))));
}

Outcome storeFailed(const RecordExport::Request& request, const QString& what, int handle,
                    int code) {
    return failed(request,
                  QStringLiteral("%1 could not be read, so nothing was exported.\r\n").arg(what) +
                      trm_FailureText(handle, code),
                  code);
}

// Writes a row for each record of the file, in key-1 order, that `rowOf` keeps.
Outcome write(const RecordExport::Request& request, int handle, const QString& what,
              const RowOf& rowOf, const RecordExport::Progress& progress) {
    if (const QString problem = RecordExport::NameProblem(request.name); !problem.isEmpty()) {
        return fileFailed(request, problem);
    }
    const QString path = RecordExport::PathOf(request);
    const Outcome stoppedOutcome{Status::Stopped, path, 0, 0, {}};
    ExportFile file(request);
    if (!file.open(request.fieldNames)) return fileFailed(request, file.error());

    const qint64 total = trm_Count(handle);
    qint64 done = 0;
    bool stopped = false;
    bool writeFailed = false;
    if (progress && !progress(0, total)) return stoppedOutcome;
    const int code = trm_Scan(handle, 1, [&](qint64, const QByteArray& text) {
        if (const std::optional<QByteArrayView> row = rowOf(text); row && !file.add(*row)) {
            writeFailed = true;
            return false;
        }
        ++done;
        if (progress && done % RecordExport::ProgressEvery == 0 && !progress(done, total)) {
            stopped = true;
            return false;
        }
        return true;
    });
    if (writeFailed) return fileFailed(request, file.error());
    if (code != TrmCode::Ok) return storeFailed(request, what, handle, code);
    // A stop asked for at the very end still keeps the earlier file.
    if (stopped || (progress && !progress(total, total))) return stoppedOutcome;
    if (!file.commit()) return fileFailed(request, file.error());
    SyncFolder(request.folder);
    return Outcome{Status::Written, path, file.rows(), 0, {}};
}

}  // namespace

QString RecordExport::PathOf(const Request& request) {
    return DataFolder(request.folder).file(request.name + ExtensionOf(request.format));
}

QString RecordExport::NameProblem(const QString& name) {
    // A separator would put the file into another folder than the data folder.
    if (name.contains(QLatin1Char('/'))) {
        return QStringLiteral("A file name cannot contain the character \"/\".");
    }
    if (name.contains(QChar(0))) {
        return QStringLiteral("A file name cannot contain a NUL character.");
    }
    return {};
}

RecordExport::Outcome RecordExport::ExportDatabase(const Request& request, int dataHandle,
                                                   const Progress& progress) {
    return write(
        request, dataHandle, QStringLiteral("The records"),
        // The store gives every record whole, 880 bytes.
        [](const QByteArray& text) { return std::optional<QByteArrayView>(text); },
        progress);
}

RecordExport::Outcome RecordExport::ExportPickResults(const Request& request,
                                                      const QString& historyPath,
                                                      const Progress& progress) {
    const TrmOpenFile history(trm_Open(historyPath, 0));
    if (history.handle() <= 0) {
        return failed(request,
                      QStringLiteral("The history of picks could not be opened, so nothing was "
                                     "exported.\r\n") +
                          trm_ResultText(-history.handle()) + QStringLiteral("\r\n") +
                          QDir::toNativeSeparators(historyPath),
                      -history.handle());
    }
    // Before the session's first pick no entry is of the latest pick.
    const bool picked = !request.pickDate.isEmpty();
    const QByteArray date = RecordText::fromUnicode(request.pickDate);
    const QByteArray time = RecordText::fromUnicode(request.pickTime);
    return write(
        request, history.handle(), QStringLiteral("The history of picks"),
        [&](const QByteArray& text) -> std::optional<QByteArrayView> {
            if (!picked) return std::nullopt;
            const QByteArrayView entry(text);
            const auto member = [&](int offset) {
                return RecordText::trimmedView(entry.sliced(offset, HistoryRecord::PickWidth));
            };
            if (member(HistoryRecord::PickDateOffset) != date ||
                member(HistoryRecord::PickTimeOffset) != time) {
                return std::nullopt;
            }
            return entry.first(DataRecord::Size);
        },
        progress);
}

RecordExport::Outcome RecordExport::ExportPool(const QString& path, PoolFormat format,
                                               int dataHandle, const DrawPool& pool,
                                               const QStringList& fieldNames,
                                               const Progress& progress) {
    Outcome out{Status::Failed, path, 0, 0, {}};
    const auto fileFailed = [&](const QString& why) {
        out.reason = QStringLiteral(
                         "The file could not be written, so nothing was exported.\r\n"
                         "%1\r\n%2")
                         .arg(why, QDir::toNativeSeparators(path));
        return out;
    };
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return fileFailed(file.errorString());
    const CsvExportWriter csv;
    QByteArray buffer;
    if (format == PoolFormat::Csv) {
        QByteArrayList names = {"Number"};
        for (const QString& name : fieldNames) names << RecordText::fromUnicode(name.trimmed());
        csv.header(buffer, ExportWriter::Items(names.begin(), names.end()));
    }
    bool missing = false;
    bool stopped = progress && !progress(0, pool.size());
    bool writeFailed = false;
    // The entry's line, or its row of the number and the fields viewed in place.
    const auto write = [&](qint64 number, const QByteArray& record) {
        if (format == PoolFormat::Listing) {
            buffer += DrawPool::Line(number, record, pool.fields);
            return;
        }
        const QByteArray shown = QByteArray::number(number);
        ExportWriter::Items row = {shown};
        for (int k = 0; k < pool.fields; ++k) {
            row.push_back(RecordText::withoutPadding(
                QByteArrayView(record).sliced(k * DataRecord::FieldWidth, DataRecord::FieldWidth)));
        }
        csv.row(buffer, row);
    };
    const auto visit = [&](qint64 number, qint64, const QByteArray& record) {
        if (record.isEmpty()) return !(missing = true);
        write(number, record);
        ++out.rows;
        if (buffer.size() >= (1 << 20)) {
            writeFailed = file.write(buffer) != buffer.size();
            buffer.truncate(0);
        }
        if (progress && number % ProgressEvery == 0) stopped = !progress(number, pool.size());
        return !writeFailed && !stopped;
    };
    const int code = stopped ? TrmCode::Ok : DrawPool::Visit(dataHandle, pool.ids, visit);
    if (stopped) return Outcome{Status::Stopped, path, 0, 0, {}};
    if (code != TrmCode::Ok || missing) {
        out.code = missing ? TrmCode::NoCurrentRecord : code;
        out.reason = QStringLiteral("The pool could not be read, so nothing was exported.\r\n") +
                     trm_FailureText(dataHandle, out.code);
        return out;
    }
    if (writeFailed || file.write(buffer) != buffer.size() || !file.commit()) {
        return fileFailed(file.errorString());
    }
    out.status = Status::Written;
    return out;
}
