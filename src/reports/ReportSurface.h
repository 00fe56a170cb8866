#pragma once

#include <QWidget>
#include <functional>

class LineIndex;

// The report's pages as white 8.5 x 11 inch surfaces one below the other,
// seen through the viewer's window onto them. Only the lines of the pages on
// screen are read, so a report of any length draws at once. Positions are in
// twips (1/1440 inch), as the viewer's scroll bars count them.
class ReportSurface : public QWidget {
    Q_OBJECT

public:
    static constexpr int PageWidth = 12240;
    static constexpr int PageHeight = 15840;
    static constexpr int PageGap = 240;  // grey between two pages
    static constexpr int TextLeft = 365;

    explicit ReportSurface(QWidget* parent = nullptr);

    // The report to show (nothing: one empty page); the index must outlive
    // this use of it.
    void setReport(LineIndex* index);
    qint64 pageCount() const;
    qint64 linesPerPage() const;
    // The height of all the pages, the gaps between them included.
    qint64 documentHeight() const;

    // The top-left corner of the first page, relative to this widget, in
    // twips (the scroll bars set them to minus their values).
    void setOffset(qint64 left, qint64 top);
    qint64 left() const { return left_; }
    qint64 top() const { return top_; }

    // The lines drawn on screen at the latest paint, for tests and checks.
    qint64 firstLineShown() const { return firstShown_; }
    qint64 lastLineShown() const { return lastShown_; }

    // Told when a line of the report could not be read while drawing.
    std::function<void()> onReadError;

    int twipsToPixels(qint64 twips) const;
    qint64 pixelsToTwips(int pixels) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qint64 lineHeight() const;  // twips
    void paintPage(QPainter& painter, qint64 page, int pageTop);

    LineIndex* index_ = nullptr;
    qint64 left_ = 0;
    qint64 top_ = 0;
    qint64 firstShown_ = -1;
    qint64 lastShown_ = -1;
};
