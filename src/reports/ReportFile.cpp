#include "reports/ReportFile.h"

#include <QDir>

#include "store/StoreError.h"

namespace {

// Large enough that a million records cost a few hundred writes.
constexpr qsizetype kFlushAt = 4 << 20;

}  // namespace

ReportFile::ReportFile(const QString& path) : file_(path) {
    if (!file_.open(QIODevice::WriteOnly)) fail();
    pending_.reserve(kFlushAt + 4096);
}

void ReportFile::write(const QStringList& lines) {
    for (const QString& line : lines) {
        pending_ += line.toUtf8();
        pending_ += "\r\n";
    }
    written();
}

void ReportFile::write(QByteArrayView bytes) {
    pending_ += bytes;
    written();
}

void ReportFile::written() {
    if (pending_.size() >= kFlushAt) flush();
}

void ReportFile::flush() {
    awaitWriting();
    writing_.swap(pending_);
    pending_.resize(0);  // the room of the buffer written before is kept for the next blocks
    written_ = std::async(std::launch::async,
                          [this] { return file_.write(writing_) == writing_.size(); });
}

void ReportFile::awaitWriting() {
    if (written_.valid() && !written_.get()) fail();
}

void ReportFile::commit() {
    flush();
    awaitWriting();
    if (!file_.commit()) fail();
}

void ReportFile::fail() {
    const QString reason = file_.errorString();
    file_.cancelWriting();
    throw StoreError(QStringLiteral("The report could not be written to %1:\r\n%2")
                         .arg(QDir::toNativeSeparators(file_.fileName()), reason));
}
