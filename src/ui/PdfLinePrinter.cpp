#include "ui/PdfLinePrinter.h"

#include <QFile>
#include <QPrinter>

LinePrinter::Result PdfLinePrinter::print(const Job& job) {
    Result result = Result::Failed;
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path_);
        printer.setDocName(job.name);
        result = printOn(printer, job);
    }
    if (result == Result::Cancelled) QFile::remove(path_);
    return result;
}
