#include "exchange/TextExportWriter.h"

void TextExportWriter::row(QByteArray& out, const QByteArrayList& values) const {
    out += values.join(' ');
    out += LineEnd;
}
