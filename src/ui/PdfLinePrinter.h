#pragma once

#include "ui/LinePrinter.h"

// Prints into a PDF file instead of onto paper.
class PdfLinePrinter : public LinePrinter {
public:
    explicit PdfLinePrinter(const QString& path) : path_(path) {}
    Result print(const QString& jobName, const QStringList& lines) override;

private:
    QString path_;
};
