#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <vector>

// The published method of RFC 3797 by which every pick is drawn, so that
// anyone with the key string and the pool can draw it again with any
// implementation and get the same records in the same order.
//
// The key string is made of sources, each a set of whole numbers: each
// source's numbers in ascending order, in decimal without leading zeros,
// each followed by "."; after each source "/". Selection i (from 0) takes
// MD5 of i as two bytes (high byte first), the key string and the same two
// bytes again; the digest read as an unsigned 128-bit number, high byte
// first, modulo the number of entries still in the pool, plus 1, is the
// position among them of the entry that leaves the pool. The counter is two
// bytes wide: from selection 65,536 on it starts again from 0.
class Rfc3797 {
public:
    static QString Method() { return QStringLiteral("RFC 3797"); }

    // The key string of sources typed one per line, whole numbers separated
    // by blanks; blank lines are no source. `problem` says, for the user,
    // why the text gives no key.
    struct Key {
        QByteArray text;
        QString problem;
        int sources = 0;
    };
    static Key FromTyped(const QString& typed);
    // The key of an ordinary pick: its one source, a single whole number.
    static QByteArray FromNumber(const QString& decimal);

    static QByteArray Md5(qint64 selection, const QByteArray& key);
    // The 16-byte digest as a 128-bit number, modulo `divisor` (>= 1).
    static quint64 Remainder(const QByteArray& md5, quint64 divisor);

    // The selections of a draw from a pool of `size` entries, one after
    // another until the pool is empty.
    class Draw {
    public:
        Draw(QByteArray key, qint64 size);

        struct Selection {
            qint64 index = 0;  // i
            QByteArray md5;
            qint64 left = 0;      // entries in the pool before this selection
            qint64 position = 0;  // among those left, from 1
            qint64 number = 0;    // the entry's number in the pool, from 1
        };
        bool done() const { return left_ == 0; }
        Selection next();

    private:
        // Which numbers are still in the pool, as a Fenwick tree of counts:
        // the entry at a position among those left is found, and taken out,
        // in a number of steps that grows with the logarithm of the pool.
        qint64 take(qint64 position);

        QByteArray key_;
        std::vector<qint32> tree_;
        qint64 left_;
        qint64 index_ = 0;
        qint64 highBit_ = 1;
    };
};
