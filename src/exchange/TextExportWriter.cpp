#include "exchange/TextExportWriter.h"

void TextExportWriter::row(QByteArray& out, const Items& values) const {
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) out += ' ';
        out += values[i];
    }
    out += LineEnd;
}
