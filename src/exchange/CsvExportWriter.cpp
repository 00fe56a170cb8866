#include "exchange/CsvExportWriter.h"

void CsvExportWriter::row(QByteArray& out, const QByteArrayList& values) const {
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (i > 0) out += ',';
        out += '"';
        const QByteArray& value = values[i];
        if (value.contains('"')) {
            out += QByteArray(value).replace("\"", "\"\"");
        } else {
            out += value;
        }
        out += '"';
    }
    out += LineEnd;
}
