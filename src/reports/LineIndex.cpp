#include "reports/LineIndex.h"

#include <cstring>

namespace {

constexpr qint64 kChunk = 4 << 20;

}  // namespace

bool LineIndex::open(const QString& path) {
    close();
    file_.setFileName(path);
    if (!file_.open(QIODevice::ReadOnly)) return false;
    starts_.push_back(0);
    QByteArray chunk(kChunk, Qt::Uninitialized);
    qint64 offset = 0;
    bool unended = false;  // bytes after the latest line ending
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
            if (++count_ % Stride == 0) starts_.push_back(offset + (at - begin) + 1);
        }
        unended = end[-1] != '\n';
        offset += got;
    }
    if (unended) ++count_;
    return true;
}

void LineIndex::close() {
    file_.close();
    starts_.clear();
    count_ = 0;
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
