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

LinePrinter::Result SystemLinePrinter::print(const Job& job) {
    const QPrinterInfo installed = installedPrinter();
    if (installed.isNull()) return offerPdf(job);
    QPrinter printer(installed, QPrinter::HighResolution);
    printer.setDocName(job.name);
    return printOn(printer, job);
}

LinePrinter::Result SystemLinePrinter::offerPdf(const Job& job) {
    if (!prompter_.askYesNo(QStringLiteral("There is no printer installed on this computer.\r\n"
                                           "Do you want to save the printout as a PDF file?"),
                            QStringLiteral("NO PRINTER!"), Prompter::Icon::Question)) {
        return Result::Cancelled;
    }
    QString path = prompter_.saveFileName(QStringLiteral("Save the printout as PDF"),
                                          QDir::home().filePath(job.name + QStringLiteral(".pdf")),
                                          QStringLiteral("PDF files (*.pdf)"));
    if (path.isEmpty()) return Result::Cancelled;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".pdf");
    const Result result = PdfLinePrinter(path).print(job);
    // The file chooser has closed: without a word the user would not know
    // where the printout went, nor that it is there.
    if (result == Result::Printed) {
        prompter_.message(QStringLiteral("The printout has been saved as\r\n%1")
                              .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())),
                          QStringLiteral("SUCCESS!"), Prompter::Icon::Information);
    }
    return result;
}

std::unique_ptr<LinePrinter> SystemLinePrinter::create(Prompter& prompter) {
    return std::make_unique<SystemLinePrinter>(prompter);
}
