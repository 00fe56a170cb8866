#include "reports/LineIndex.h"

#include <cstring>

namespace {

constexpr qint64 kChunk = 4 << 20;

// Whether a line of these bytes (without its ending) may take more than one
// row: a short line without a CR takes one whatever its characters.
bool mayWrap(const char* bytes, qint64 length) {
    return length > PrintedPage::Columns ||
           (length > 0 && std::memchr(bytes, '\r', std::size_t(length)));
}

}  // namespace

bool LineIndex::open(const QString& path, const PrintedPage& page) {
    close();
    rowsPerPage_ = page.rowsPerPage();
    file_.setFileName(path);
    if (!file_.open(QIODevice::ReadOnly)) return false;
    starts_.push_back(0);
    std::vector<LongLine> longLines;
    // A line ended in this chunk: measured now when it lies wholly in it,
    // else once the pass is over.
    const auto ended = [&](const char* chunkBegin, qint64 chunkOffset, qint64 lineStart,
                           qint64 end) {
        qint64 length = end - lineStart;
        if (lineStart < chunkOffset) {
            longLines.push_back({count_ - 1, lineStart, length, 0});
            return;
        }
        const char* bytes = chunkBegin + (lineStart - chunkOffset);
        if (length > 0 && bytes[length - 1] == '\r') --length;
        if (!mayWrap(bytes, length)) return;
        const int rows = PrintedPage::rowCount(QString::fromUtf8(bytes, length));
        if (rows > 1) longLines.push_back({count_ - 1, lineStart, length, rows});
    };
    QByteArray chunk(kChunk, Qt::Uninitialized);
    qint64 offset = 0;
    qint64 lineStart = 0;
    for (;;) {
        const qint64 got = file_.read(chunk.data(), kChunk);
        if (got < 0) {
            close();
            return false;
        }
        if (got == 0) break;
        const char* begin = chunk.constData();
        const char* end = begin + got;
        for (const char* at = begin;
             (at = static_cast<const char*>(std::memchr(at, '\n', std::size_t(end - at)))); ++at) {
            const qint64 next = offset + (at - begin) + 1;
            if (++count_ % Stride == 0) starts_.push_back(next);
            ended(begin, offset, lineStart, next - 1);
            lineStart = next;
        }
        offset += got;
    }
    if (lineStart < offset) {  // a last line without an ending
        ++count_;
        longLines.push_back({count_ - 1, lineStart, offset - lineStart, 0});
    }
    // Lines that began in one chunk and ended in another.
    for (LongLine& line : longLines) {
        if (line.rows > 0) continue;
        QByteArray bytes;
        if (!file_.seek(line.offset) || (bytes = file_.read(line.length)).size() != line.length) {
            close();
            return false;
        }
        if (bytes.endsWith('\r')) bytes.chop(1);
        line.rows = PrintedPage::rowCount(QString::fromUtf8(bytes));
    }
    paginate(longLines);
    return true;
}

// Every line takes one row but the long ones listed; a page begins every
// rowsPerPage_ rows.
void LineIndex::paginate(const std::vector<LongLine>& longLines) {
    pages_.assign(1, PageStart{});
    qint64 row = 0;        // the first row of `line`
    qint64 line = 0;
    qint64 nextPage = rowsPerPage_;  // the row the next page begins with
    const auto take = [&](qint64 until, qint64 rows) {
        // Lines line .. until - 1 of one row each, then `rows` rows of line `until`.
        while (nextPage < row + (until - line)) {
            pages_.push_back({line + (nextPage - row), 0});
            nextPage += rowsPerPage_;
        }
        row += until - line;
        line = until;
        while (nextPage < row + rows) {
            pages_.push_back({line, int(nextPage - row)});
            nextPage += rowsPerPage_;
        }
        row += rows;
        if (rows > 0) ++line;
    };
    for (const LongLine& wide : longLines) {
        if (wide.rows > 1) take(wide.line, wide.rows);
    }
    take(count_, 0);
}

void LineIndex::close() {
    file_.close();
    starts_.clear();
    count_ = 0;
    pages_.assign(1, PageStart{});
}

QStringList LineIndex::lines(qint64 first, qint64 n, bool* ok) {
    if (ok) *ok = true;
    QStringList out;
    if (first < 0 || first >= count_ || n <= 0) return out;
    const qint64 last = std::min(count_, first + n);
    const qint64 block = first / Stride;
    if (!file_.seek(starts_[std::size_t(block)])) {
        if (ok) *ok = false;
        return {};
    }
    for (qint64 k = block * Stride; k < last; ++k) {
        QByteArray line = file_.readLine();
        if (line.isEmpty() && !file_.atEnd()) {
            if (ok) *ok = false;
            return {};
        }
        if (k < first) continue;
        if (line.endsWith('\n')) line.chop(1);
        if (line.endsWith('\r')) line.chop(1);
        out << QString::fromUtf8(line);
    }
    return out;
}

QStringList LineIndex::pageRows(qint64 page, bool* ok, std::vector<qint64>* lineOfRow) {
    if (ok) *ok = true;
    if (page < 0 || page >= pageCount() || count_ == 0) return {};
    const PageStart start = pageStart(page);
    // A line takes a row at least: a page's worth of lines is enough.
    const QStringList text = lines(start.line, rowsPerPage_, ok);
    if (lineOfRow) lineOfRow->clear();
    QStringList rows;
    for (qsizetype i = 0; i < text.size() && rows.size() < rowsPerPage_; ++i) {
        QStringList taken = PrintedPage::rows(text[i]);
        if (i == 0) taken.remove(0, std::min<qsizetype>(start.row, taken.size()));
        taken = taken.mid(0, rowsPerPage_ - rows.size());
        if (lineOfRow) lineOfRow->insert(lineOfRow->end(), taken.size(), start.line + i);
        rows << taken;
    }
    return rows;
}
