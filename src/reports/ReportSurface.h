#pragma once

#include <QWidget>
#include <functional>

class LineIndex;

// The report's pages as white 8.5 x 11 inch surfaces one below the other,
// seen through the viewer's window onto them, each page holding the rows the
// printed page will hold, where it will hold them (see PrintedPage). Only the
// rows of the pages on screen are read, so a report of any length draws at
// once. Positions are in twips (1/1440 inch) of the page at 100 %, as the
// viewer's scroll bars count them, whatever the zoom.
//
// For a screen reader the surface is a document whose text is the page in
// view; it says when another page comes into view.
class ReportSurface : public QWidget {
    Q_OBJECT

public:
    static constexpr int PageWidth = 12240;
    static constexpr int PageHeight = 15840;
    static constexpr int PageGap = 240;  // grey between two pages
    static constexpr int PagePitch = PageHeight + PageGap;

    explicit ReportSurface(QWidget* parent = nullptr);

    // The report to show (nothing: one empty page); the index must outlive
    // this use of it.
    void setReport(LineIndex* index);
    qint64 pageCount() const;
    // The height of all the pages, the gaps between them included.
    qint64 documentHeight() const;

    // The top-left corner of the first page, relative to this widget, in
    // twips (the scroll bars set them to minus their values).
    void setOffset(qint64 left, qint64 top);
    qint64 left() const { return left_; }
    qint64 top() const { return top_; }

    // Percent of the page's true size.
    void setZoom(int percent);
    int zoom() const { return zoom_; }

    // The page that fills the middle of the view, from 0.
    qint64 currentPage() const;
    // The rows printed on a page; empty when there is no report or it cannot be read.
    QStringList pageRows(qint64 page) const;

    // The lines drawn on screen at the latest paint, for tests and checks.
    qint64 firstLineShown() const { return firstShown_; }
    qint64 lastLineShown() const { return lastShown_; }

    // Told when a line of the report could not be read while drawing.
    std::function<void()> onReadError;

    // Between twips of the page and pixels of the screen, at the zoom.
    int twipsToPixels(qint64 twips) const;
    qint64 pixelsToTwips(int pixels) const;

signals:
    void pageChanged(qint64 page);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    double pixelsPerTwip() const;
    void paintPage(QPainter& painter, qint64 page, const QRectF& visible);
    void noteCurrentPage();

    LineIndex* index_ = nullptr;
    qint64 left_ = 0;
    qint64 top_ = 0;
    int zoom_ = 100;
    qint64 current_ = 0;
    qint64 firstShown_ = -1;
    qint64 lastShown_ = -1;
};
