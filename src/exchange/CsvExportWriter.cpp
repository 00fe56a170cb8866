#include "exchange/CsvExportWriter.h"

void CsvExportWriter::row(QByteArray& out, const Items& values) const {
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) out += ',';
        out += '"';
        const QByteArrayView value = values[i];
        if (value.contains('"')) {
            out += value.toByteArray().replace("\"", "\"\"");
        } else {
            out += value;
        }
        out += '"';
    }
    out += LineEnd;
}
