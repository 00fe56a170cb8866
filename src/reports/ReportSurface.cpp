#include "reports/ReportSurface.h"

#include <QAccessible>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>

#include "reports/LineIndex.h"
#include "reports/ReportSurfaceAccessible.h"
#include "ui/FixedFace.h"
#include "ui/PrintedPage.h"

namespace {

constexpr int kTwipsPerInch = 1440;
constexpr int kTwipsPerPoint = 20;
constexpr double kMargin = PrintedPage::margin() * kTwipsPerPoint;
constexpr double kRowPitch = PrintedPage::RowPitch * kTwipsPerPoint;

}  // namespace

ReportSurface::ReportSurface(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Document"));
    ReportSurfaceAccessible::install();
    // The printer's face, so that the rows look as they will on paper.
    setFont(FixedFace(PrintedPage::FontSize));
    setAttribute(Qt::WA_OpaquePaintEvent);
    // A screen reader's user reads the page from here.
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Preview"));
}

void ReportSurface::setReport(LineIndex* index) {
    index_ = index;
    firstShown_ = lastShown_ = -1;
    current_ = -1;  // the same number may now stand for another page
    noteCurrentPage();
    update();
}

double ReportSurface::pixelsPerTwip() const {
    return double(logicalDpiY()) * zoom_ / 100.0 / kTwipsPerInch;
}

int ReportSurface::twipsToPixels(qint64 twips) const {
    return int(std::floor(double(twips) * pixelsPerTwip()));
}

qint64 ReportSurface::pixelsToTwips(int pixels) const {
    return qint64(std::ceil(double(pixels) / pixelsPerTwip()));
}

qint64 ReportSurface::pageCount() const {
    return index_ ? index_->pageCount() : 1;
}

qint64 ReportSurface::documentHeight() const {
    return pageCount() * PagePitch - PageGap;
}

void ReportSurface::setOffset(qint64 left, qint64 top) {
    left_ = left;
    top_ = top;
    noteCurrentPage();
    update();
}

void ReportSurface::setZoom(int percent) {
    if (percent == zoom_) return;
    zoom_ = percent;
    QFont face = font();
    face.setPointSizeF(PrintedPage::FontSize * zoom_ / 100.0);
    setFont(face);
    noteCurrentPage();
    update();
}

qint64 ReportSurface::currentPage() const {
    const qint64 middle = -top_ + pixelsToTwips(height()) / 2;
    return std::clamp<qint64>(middle / PagePitch, 0, pageCount() - 1);
}

void ReportSurface::noteCurrentPage() {
    const qint64 page = currentPage();
    if (page == current_) return;
    current_ = page;
    emit pageChanged(page);
    ReportSurfaceAccessible::pageChanged(this);
}

void ReportSurface::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    noteCurrentPage();
}

QStringList ReportSurface::pageRows(qint64 page) const {
    return index_ ? index_->pageRows(page) : QStringList();
}

void ReportSurface::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    firstShown_ = lastShown_ = -1;
    // The twips of the document that this widget's height covers.
    const qint64 from = std::max<qint64>(0, -top_);
    const qint64 to = -top_ + pixelsToTwips(height());
    for (qint64 page = from / PagePitch; page < pageCount() && page * PagePitch < to; ++page) {
        paintPage(painter, page, QRectF(event->rect()));
    }
}

void ReportSurface::paintPage(QPainter& painter, qint64 page, const QRectF& visible) {
    const double scale = pixelsPerTwip();
    const QPointF corner(left_ * scale, (top_ + page * PagePitch) * scale);
    painter.fillRect(QRectF(corner, QSizeF(PageWidth * scale, PageHeight * scale)), Qt::white);
    if (!index_) return;
    bool ok = true;
    std::vector<qint64> lineOfRow;
    const QStringList rows = index_->pageRows(page, &ok, &lineOfRow);
    if (!ok) {
        if (onReadError) onReadError();
        return;
    }
    painter.setPen(Qt::black);
    const double ascent = QFontMetricsF(font()).ascent();
    const double pitch = kRowPitch * scale;
    const double x = corner.x() + kMargin * scale;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const double rowTop = corner.y() + kMargin * scale + double(i) * pitch;
        if (rowTop + pitch < visible.top() || rowTop > visible.bottom()) continue;
        painter.drawText(QPointF(x, rowTop + ascent), rows[i]);
        if (firstShown_ < 0) firstShown_ = lineOfRow[std::size_t(i)];
        lastShown_ = lineOfRow[std::size_t(i)];
    }
}
