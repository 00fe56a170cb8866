#include "ui/LinePrinter.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QMarginsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

#include "ui/FixedFace.h"
#include "ui/PrintedPage.h"

LinePrinter::Result LinePrinter::print(const QString& jobName, const QStringList& lines) {
    return print(Job{jobName, lines.size(), [&lines](qint64 i) { return lines[i]; }, {}, {}});
}

LinePrinter::Result LinePrinter::printOn(QPrinter& printer, const Job& job) {
    if (job.paper) printer.setPageSize(*job.paper);
    printer.setPageMargins(
        QMarginsF(PrintedPage::MarginMm, PrintedPage::MarginMm, PrintedPage::MarginMm,
                  PrintedPage::MarginMm),
        QPageLayout::Millimeter);
    const PrintedPage layout(printer.pageLayout().fullRect(QPageLayout::Point).size());
    QPainter painter;
    if (!painter.begin(&printer)) return Result::Failed;
    // A line printer's face: fixed pitch, and no ligatures to garble a name;
    // smaller only where a face is too wide for a row's columns.
    QFont font(FixedFace(PrintedPage::FontSize), &printer);
    const qreal width = printer.pageRect(QPrinter::DevicePixel).width();
    const qreal wanted = QFontMetricsF(font, &printer).horizontalAdvance(
        QString(PrintedPage::Columns, QLatin1Char('M')));
    if (wanted > width) font.setPointSizeF(PrintedPage::FontSize * width / wanted);
    painter.setFont(font);
    const qreal pitch = PrintedPage::RowPitch * printer.resolution() / 72.0;
    const qreal ascent = QFontMetricsF(font, &printer).ascent();
    const int perPage = layout.rowsPerPage();
    const auto stopped = [&](qint64 done) {
        if (!job.progress || job.progress(done, job.count)) return false;
        printer.abort();
        return true;
    };
    if (stopped(0)) return Result::Cancelled;

    int row = 0;  // on the page
    for (qint64 index = 0; index < job.count; ++index) {
        for (const QString& text : PrintedPage::rows(job.line(index))) {
            if (row == perPage) {
                if (stopped(index)) return Result::Cancelled;
                if (!printer.newPage()) return Result::Failed;
                row = 0;
            }
            painter.drawText(QPointF(0, row * pitch + ascent), text);
            ++row;
        }
    }
    if (stopped(job.count)) return Result::Cancelled;
    return painter.end() && printer.printerState() != QPrinter::Error ? Result::Printed
                                                                      : Result::Failed;
}
