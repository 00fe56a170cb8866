#pragma once

#include "exchange/ExportWriter.h"

// Plain text: the items as they stand, joined by single spaces, unaligned.
class TextExportWriter : public ExportWriter {
public:
    void row(QByteArray& out, const Items& values) const override;
};
