#pragma once

#include <QFile>
#include <QString>
#include <QStringList>
#include <vector>

// The lines of a text file, read a few at a time: one pass over the file
// notes where every `Stride`-th line starts, so any line is found with one
// seek and a short read, however long the file. The file stays open, so the
// index and the text keep agreeing even when the file is replaced meanwhile.
// A line ends at LF, a CR before it dropped (report lines end in CR LF); a
// last line without an ending counts.
class LineIndex {
public:
    static constexpr qint64 Stride = 64;

    // Indexes the file; false (see errorString) when it cannot be read.
    bool open(const QString& path);
    void close();

    qint64 count() const { return count_; }
    // Lines first .. first + n - 1 (fewer at the end), without their endings.
    // Empty, with ok false, when the file cannot be read.
    QStringList lines(qint64 first, qint64 n, bool* ok = nullptr);

    QString errorString() const { return file_.errorString(); }

private:
    QFile file_;
    std::vector<qint64> starts_;  // offset of line k x Stride
    qint64 count_ = 0;
};
