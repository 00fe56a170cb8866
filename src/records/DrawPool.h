#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <vector>

// The pool a pick draws from: the records of a data file that are not
// omitted from picks, in key-1 order (ties in the order the records were
// added), numbered from 1.
//
// Its listing is a line per entry, "number<TAB>field 1<TAB>...<TAB>field n"
// and LF, in UTF-8, each field as the record holds it without the spaces
// that pad it, n being the database's number of fields. The SHA-256 of the
// listing stands for the whole pool: published before a draw, it shows the
// pool was not changed afterwards. A fingerprint of one byte per entry lets
// a later check name the entries that changed.
class DrawPool {
public:
    std::vector<qint64> ids;  // the records' identities, in pool order
    int fields = 0;
    QByteArray sha256;        // 32 bytes
    QByteArray fingerprints;  // a byte per entry

    qint64 size() const { return qint64(ids.size()); }

    // Told how many entries are done out of how many; returns false to stop.
    using Progress = std::function<bool(qint64 done, qint64 total)>;
    static constexpr qint64 ProgressEvery = 4096;

    struct Reading {
        std::shared_ptr<const DrawPool> pool;  // none when stopped or failed
        int code = 0;                          // the record manager's code of a failure
        bool stopped = false;
    };
    // The pool of the open data file. The last pool read is kept for as long
    // as the file's content stays as it was (a pick's stamps leave it), so
    // that pick after pick reads it once.
    static Reading Read(int dataHandle, const Progress& progress = {});

    // Visits the records of `ids` in that order, numbered from 1, with their
    // record strings; a record no longer in the file comes as an empty text.
    // The visitor returns false to stop. Returns the result code.
    using Visitor = std::function<bool(qint64 number, qint64 identity, const QByteArray& record)>;
    static int Visit(int dataHandle, const std::vector<qint64>& ids, const Visitor& visit);

    // The listing line of a record string numbered `number`.
    static QByteArray Line(qint64 number, QByteArrayView record, int fields);
    static quint8 Fingerprint(QByteArrayView record, int fields);

    // The pool as a receipt keeps it: the identities, a run of consecutive
    // ones in a few bytes and any other in as few as its distance from the
    // one before needs, then the fingerprints.
    static QByteArray Encode(const std::vector<qint64>& ids, const QByteArray& fingerprints);
    // False when the bytes are not a pool so encoded.
    static bool Decode(QByteArrayView bytes, std::vector<qint64>& ids, QByteArray& fingerprints);
};
