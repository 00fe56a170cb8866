#pragma once

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <utility>

// Reads a comma-separated file the way RFC 4180 writes one: a value in double
// quotes may hold commas, doubled quotes and line breaks. Blanks around
// unquoted values are dropped. One pass over the file, in blocks, so memory
// does not grow with it; a UTF-8 byte order mark at its start is skipped, and
// a file that starts with a UTF-16 byte order mark is read as UTF-8.
class CsvReader {
public:
    // A value; returns false to stop the reading.
    using Value = std::function<bool(QByteArrayView value)>;
    // A row has ended after `values` values.
    using RowEnd = std::function<void(qint64 values, qint64 line)>;
    // Bytes read so far and the file's size; returns false to stop.
    using Progress = std::function<bool(qint64 done, qint64 size)>;

    enum class Status { Read, Stopped, Missing, Unreadable, NotText };

    struct Outcome {
        Status status = Status::Read;
        QString reason;  // a sentence for the user unless the file was read or stopped
    };

    static constexpr qint64 BlockSize = 256 * 1024;

    explicit CsvReader(QString path) : path_(std::move(path)) {}

    Outcome read(const Value& value, const RowEnd& rowEnd, const Progress& progress = {});

private:
    QString path_;
};
