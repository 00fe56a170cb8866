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

bool LinePrinter::printOn(QPrinter& printer, const QStringList& lines) {
    // Margins a desk printer can print within, and paper looks finished with.
    printer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    // A line printer's face: fixed pitch, and no ligatures to garble a name.
    QFont face = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    face.setPointSize(10);
    const QFont font(face, &printer);
    painter.setFont(font);
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    const qreal width = page.width();
    const qreal height = page.height();
    const qreal lineHeight = QFontMetricsF(font, &printer).lineSpacing();

    QTextOption wrapping;
    wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    qreal y = 0;
    for (const QString& text : physicalLines(lines)) {
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
                if (!printer.newPage()) return false;
                y = 0;
            }
            if (i < rows.size()) {
                rows[i].setPosition(QPointF(0, 0));
                rows[i].draw(&painter, QPointF(0, y));
            }
            y += lineHeight;
        }
    }
    return painter.end() && printer.printerState() != QPrinter::Error;
}
