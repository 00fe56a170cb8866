#pragma once

#include "exchange/ExportWriter.h"

// An HTML document holding one table, one line per tag. Every text is escaped,
// so a value holding "<", "&" or a quote shows as typed and adds no markup.
class HtmlExportWriter : public ExportWriter {
public:
    HtmlExportWriter(const QString& pickDate, const QString& pickTime);

    void begin(QByteArray& out) const override;
    void header(QByteArray& out, const Items& names) const override;
    void row(QByteArray& out, const Items& values) const override;
    void end(QByteArray& out) const override;

    static QByteArray escaped(QByteArrayView text);

private:
    static void cells(QByteArray& out, const char* tag, const Items& items);

    QByteArray title_;
};
