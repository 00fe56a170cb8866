#pragma once

#include "exchange/ExportWriter.h"

// Comma-separated values as RFC 4180 has them: every item between double
// quotes, a double quote inside an item doubled, line breaks kept inside the
// quotes; items joined by commas.
class CsvExportWriter : public ExportWriter {
public:
    void row(QByteArray& out, const Items& values) const override;
};
