#include "ui/PdfLinePrinter.h"

#include <QPrinter>

LinePrinter::Result PdfLinePrinter::print(const QString& jobName, const QStringList& lines) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path_);
    printer.setDocName(jobName);
    return printOn(printer, lines) ? Result::Printed : Result::Failed;
}
