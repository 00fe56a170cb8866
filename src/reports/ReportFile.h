#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>
#include <QStringList>
#include <future>

// "report.txt" being written: UTF-8, every line ending in CR LF. The file
// takes the place of an earlier report only when commit() succeeds, so a
// report that fails or is stopped half way is never found whole-looking on
// disk. Throws StoreError when the file cannot be created or written.
//
// A report of a million records is hundreds of megabytes: each full buffer
// goes to the disk on a thread of its own while the next one is filled, so
// that writing costs the report little more than reading the records.
class ReportFile {
public:
    explicit ReportFile(const QString& path);

    void write(const QStringList& lines);
    // Bytes already in the report's form.
    void write(QByteArrayView bytes);
    // The end of the report, to append to in place (then call written()):
    // a large report is then copied only once on its way to the disk.
    QByteArray& end() { return pending_; }
    void written();
    void commit();

private:
    void flush();
    void awaitWriting();
    [[noreturn]] void fail();

    QSaveFile file_;
    QByteArray pending_;
    QByteArray writing_;
    // Whether the buffer handed over went whole to the disk; waited for before
    // the file is touched again, and on the way out.
    std::future<bool> written_;
};
