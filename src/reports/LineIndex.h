#pragma once

#include <QFile>
#include <QString>
#include <QStringList>
#include <vector>

#include "ui/PrintedPage.h"

// The lines of a text file, read a few at a time: one pass over the file
// notes where every `Stride`-th line starts, so any line is found with one
// seek and a short read, however long the file. The file stays open, so the
// index and the text keep agreeing even when the file is replaced meanwhile.
// A line ends at LF, a CR before it dropped (report lines end in CR LF); a
// last line without an ending counts.
//
// The same pass lays the lines out on pages as the printer will (see
// PrintedPage), so that any page is found as quickly as any line.
class LineIndex {
public:
    static constexpr qint64 Stride = 64;

    // Where a page begins: the row `row` of line `line` (a long line may
    // begin on one page and go on on the next).
    struct PageStart {
        qint64 line = 0;
        int row = 0;
        bool operator==(const PageStart&) const = default;
    };

    // Indexes the file; false (see errorString) when it cannot be read.
    bool open(const QString& path, const PrintedPage& page = PrintedPage());
    void close();

    qint64 count() const { return count_; }
    // Lines first .. first + n - 1 (fewer at the end), without their endings.
    // Empty, with ok false, when the file cannot be read.
    QStringList lines(qint64 first, qint64 n, bool* ok = nullptr);

    // At least one page, empty when the file is.
    qint64 pageCount() const { return qint64(pages_.size()); }
    int rowsPerPage() const { return rowsPerPage_; }
    PageStart pageStart(qint64 page) const { return pages_[std::size_t(page)]; }
    // The rows of a page as printed, and with `lines` the line each row
    // belongs to. Empty, with ok false, when the file cannot be read.
    QStringList pageRows(qint64 page, bool* ok = nullptr, std::vector<qint64>* lines = nullptr);

    QString errorString() const { return file_.errorString(); }

private:
    struct LongLine {
        qint64 line;
        qint64 offset;  // where it starts in the file
        qint64 length;  // without its ending
        int rows;       // 0 until measured
    };

    void paginate(const std::vector<LongLine>& longLines);

    QFile file_;
    std::vector<qint64> starts_;  // offset of line k x Stride
    qint64 count_ = 0;
    int rowsPerPage_ = 1;
    std::vector<PageStart> pages_{PageStart{}};
};
