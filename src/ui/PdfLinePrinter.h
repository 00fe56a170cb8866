#pragma once

#include "ui/LinePrinter.h"

// Prints into a PDF file instead of onto paper. A stopped job leaves no file.
class PdfLinePrinter : public LinePrinter {
public:
    explicit PdfLinePrinter(const QString& path) : path_(path) {}
    using LinePrinter::print;
    Result print(const Job& job) override;

private:
    QString path_;
};
