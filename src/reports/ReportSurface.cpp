#include "reports/ReportSurface.h"

#include <QFontDatabase>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>

#include "reports/LineIndex.h"

namespace {

constexpr int kTwipsPerInch = 1440;

}  // namespace

ReportSurface::ReportSurface(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Document"));
    // Fixed pitch, so that the labels' colons stand in one column.
    QFont face = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    face.setPointSize(10);
    setFont(face);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ReportSurface::setReport(LineIndex* index) {
    index_ = index;
    firstShown_ = lastShown_ = -1;
    update();
}

int ReportSurface::twipsToPixels(qint64 twips) const {
    return int(std::floor(double(twips) * logicalDpiY() / kTwipsPerInch));
}

qint64 ReportSurface::pixelsToTwips(int pixels) const {
    return qint64(std::ceil(double(pixels) * kTwipsPerInch / logicalDpiY()));
}

qint64 ReportSurface::lineHeight() const {
    return std::max<qint64>(1, pixelsToTwips(fontMetrics().lineSpacing()));
}

qint64 ReportSurface::linesPerPage() const {
    return std::max<qint64>(1, PageHeight / lineHeight());
}

qint64 ReportSurface::pageCount() const {
    const qint64 lines = index_ ? index_->count() : 0;
    return std::max<qint64>(1, (lines + linesPerPage() - 1) / linesPerPage());
}

qint64 ReportSurface::documentHeight() const {
    return pageCount() * (PageHeight + PageGap) - PageGap;
}

void ReportSurface::setOffset(qint64 left, qint64 top) {
    left_ = left;
    top_ = top;
    update();
}

void ReportSurface::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    firstShown_ = lastShown_ = -1;
    const qint64 pitch = PageHeight + PageGap;
    // The twips of the document that this widget's height covers.
    const qint64 from = std::max<qint64>(0, -top_);
    const qint64 to = -top_ + pixelsToTwips(height());
    for (qint64 page = from / pitch; page < pageCount() && page * pitch < to; ++page) {
        paintPage(painter, page, twipsToPixels(top_ + page * pitch));
    }
}

void ReportSurface::paintPage(QPainter& painter, qint64 page, int pageTop) {
    const int pageLeft = twipsToPixels(left_);
    painter.fillRect(QRect(pageLeft, pageTop, twipsToPixels(PageWidth), twipsToPixels(PageHeight)),
                     Qt::white);
    if (!index_) return;
    // Only the rows of this page that fall inside the widget.
    const int spacing = fontMetrics().lineSpacing();
    const qint64 perPage = linesPerPage();
    const qint64 firstRow = std::max<qint64>(0, -pageTop / spacing);
    const qint64 lastRow = std::min<qint64>(perPage - 1, (height() - pageTop) / spacing);
    if (lastRow < firstRow) return;
    const qint64 first = page * perPage + firstRow;
    bool ok = true;
    const QStringList lines = index_->lines(first, lastRow - firstRow + 1, &ok);
    if (!ok) {
        if (onReadError) onReadError();
        return;
    }
    painter.setPen(Qt::black);
    const int x = pageLeft + twipsToPixels(TextLeft);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int y = pageTop + int(firstRow + i) * spacing + fontMetrics().ascent();
        painter.drawText(x, y, lines[i]);
    }
    if (!lines.isEmpty()) {
        if (firstShown_ < 0) firstShown_ = first;
        lastShown_ = first + lines.size() - 1;
    }
}
