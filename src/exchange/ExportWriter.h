#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <memory>

#include "exchange/ExportFormat.h"

// Writes the lines of one kind of export file, each ending in CR LF, onto the
// end of a byte buffer. Items come as UTF-8 and are written in the file's own
// way of quoting them.
class ExportWriter {
public:
    static constexpr const char* LineEnd = "\r\n";

    virtual ~ExportWriter() = default;

    // The lines before the header row and the data rows.
    virtual void begin(QByteArray& out) const { static_cast<void>(out); }
    // The header row: the column names.
    virtual void header(QByteArray& out, const QByteArrayList& names) const { row(out, names); }
    virtual void row(QByteArray& out, const QByteArrayList& values) const = 0;
    // The lines after the last row.
    virtual void end(QByteArray& out) const { static_cast<void>(out); }

    // The HTML document names the pick in its title.
    static std::unique_ptr<ExportWriter> create(ExportFormat format, const QString& pickDate,
                                                const QString& pickTime);
};
