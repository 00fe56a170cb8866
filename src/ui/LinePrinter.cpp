#include "ui/LinePrinter.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QMarginsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QTextLayout>

namespace {

// Splits at the line breaks a line printer obeys.
QStringList physicalLines(const QStringList& lines) {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\n|\r"));
    QStringList out;
    for (const QString& line : lines) out << line.split(lineBreak);
    return out;
}

}  // namespace

LinePrinter::Result LinePrinter::print(const QString& jobName, const QStringList& lines) {
    return print(Job{jobName, lines.size(), [&lines](qint64 i) { return lines[i]; }, {}, {}});
}

LinePrinter::Result LinePrinter::printOn(QPrinter& printer, const Job& job) {
    if (job.paper) printer.setPageSize(*job.paper);
    // Margins a desk printer can print within, and paper looks finished with.
    printer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
    QPainter painter;
    if (!painter.begin(&printer)) return Result::Failed;
    // A line printer's face: fixed pitch, and no ligatures to garble a name.
    QFont face = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    face.setPointSize(10);
    const QFont font(face, &printer);
    painter.setFont(font);
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    const qreal width = page.width();
    const qreal height = page.height();
    const qreal lineHeight = QFontMetricsF(font, &printer).lineSpacing();
    const auto stopped = [&](qint64 done) {
        if (!job.progress || job.progress(done, job.count)) return false;
        printer.abort();
        return true;
    };
    if (stopped(0)) return Result::Cancelled;

    QTextOption wrapping;
    wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    qreal y = 0;
    for (qint64 index = 0; index < job.count; ++index) {
        for (const QString& text : physicalLines({job.line(index)})) {
            QTextLayout layout(text, font, &printer);
            layout.setTextOption(wrapping);
            layout.beginLayout();
            QList<QTextLine> rows;
            for (QTextLine row = layout.createLine(); row.isValid(); row = layout.createLine()) {
                row.setLineWidth(width);
                rows << row;
            }
            layout.endLayout();
            // An empty line still takes its place on the page.
            const qsizetype rowCount = std::max<qsizetype>(rows.size(), 1);
            for (qsizetype i = 0; i < rowCount; ++i) {
                if (y + lineHeight > height && y > 0) {
                    if (stopped(index)) return Result::Cancelled;
                    if (!printer.newPage()) return Result::Failed;
                    y = 0;
                }
                if (i < rows.size()) {
                    rows[i].setPosition(QPointF(0, 0));
                    rows[i].draw(&painter, QPointF(0, y));
                }
                y += lineHeight;
            }
        }
    }
    if (stopped(job.count)) return Result::Cancelled;
    return painter.end() && printer.printerState() != QPrinter::Error ? Result::Printed
                                                                      : Result::Failed;
}
