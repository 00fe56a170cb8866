#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <memory>
#include <vector>

#include "exchange/ExportFormat.h"

// Writes the lines of one kind of export file, each ending in CR LF, onto the
// end of a byte buffer. Items come as UTF-8 and are written in the file's own
// way of quoting them.
class ExportWriter {
public:
    static constexpr const char* LineEnd = "\r\n";
    using Items = std::vector<QByteArrayView>;

    virtual ~ExportWriter() = default;

    // The lines before the header row and the data rows.
    virtual void begin(QByteArray& out) const { static_cast<void>(out); }
    // The header row: the column names.
    virtual void header(QByteArray& out, const Items& names) const { row(out, names); }
    virtual void row(QByteArray& out, const Items& values) const = 0;
    // The lines after the last row.
    virtual void end(QByteArray& out) const { static_cast<void>(out); }

    // The HTML document names the pick in its title.
    static std::unique_ptr<ExportWriter> create(ExportFormat format, const QString& pickDate,
                                                const QString& pickTime);
};
