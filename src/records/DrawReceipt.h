#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

struct TrmReceipt;

// What a pick keeps of itself beside its history records, so that it can be
// certified and drawn again: when it was made, by which method and from
// which key, how many records were asked for, the pool it drew from (the
// identities in pool order and the SHA-256 of its listing, see DrawPool),
// which selections were set aside as repeats, and which history records it
// wrote.
struct DrawReceipt {
    QString pickDate;  // mm-dd-yyyy
    QString pickTime;  // hh:mm:ss
    QString method;
    QString sources;  // as typed; an ordinary pick's one number
    QByteArray key;   // the key string
    qint32 count = 0;
    qint64 poolSize = 0;
    std::vector<qint64> pool;  // empty when read without it
    QByteArray sha256;
    QByteArray fingerprints;
    // Selections set aside: the selection's index, and that of the earlier
    // selection whose entry it repeats.
    std::vector<std::pair<qint64, qint64>> setAside;
    qint64 firstRecord = 0;  // the identity of the pick's first history record
    qint64 records = 0;

    // As the history file keeps it, with the pool drawn from (which a pick
    // hands over as it has it rather than copying it here first).
    TrmReceipt stored(const std::vector<qint64>& drawnFrom,
                      const QByteArray& itsFingerprints) const;
    // Nothing when the stored receipt cannot be read as one.
    static std::optional<DrawReceipt> FromStored(const TrmReceipt& stored);
};
