#include "ui/SystemLinePrinter.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>

#include "ui/PdfLinePrinter.h"
#include "ui/Prompter.h"

namespace {

QPrinterInfo installedPrinter() {
    const QPrinterInfo chosen = QPrinterInfo::defaultPrinter();
    if (!chosen.isNull()) return chosen;
    const QList<QPrinterInfo> all = QPrinterInfo::availablePrinters();
    return all.isEmpty() ? QPrinterInfo() : all.first();
}

}  // namespace

LinePrinter::Result SystemLinePrinter::print(const QString& jobName, const QStringList& lines) {
    const QPrinterInfo installed = installedPrinter();
    if (installed.isNull()) return offerPdf(jobName, lines);
    QPrinter printer(installed, QPrinter::HighResolution);
    printer.setDocName(jobName);
    return printOn(printer, lines) ? Result::Printed : Result::Failed;
}

LinePrinter::Result SystemLinePrinter::offerPdf(const QString& jobName, const QStringList& lines) {
    if (!prompter_.askYesNo(QStringLiteral("There is no printer installed on this computer.\r\n"
                                           "Do you want to save the printout as a PDF file?"),
                            QStringLiteral("NO PRINTER!"), Prompter::Icon::Question)) {
        return Result::Cancelled;
    }
    QString path = prompter_.saveFileName(QStringLiteral("Save the printout as PDF"),
                                          QDir::home().filePath(jobName + QStringLiteral(".pdf")),
                                          QStringLiteral("PDF files (*.pdf)"));
    if (path.isEmpty()) return Result::Cancelled;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".pdf");
    return PdfLinePrinter(path).print(jobName, lines);
}

std::unique_ptr<LinePrinter> SystemLinePrinter::create(Prompter& prompter) {
    return std::make_unique<SystemLinePrinter>(prompter);
}
