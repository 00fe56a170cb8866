#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "store/Records.h"

class RandomSource;

// The random pick: draws distinct records among those not omitted, stamps each
// with the pick date and one more pick, and appends it to the history file.
//
// Every pick is drawn by the method of RFC 3797 (see Rfc3797) from a key
// string: an ordinary pick's key is one number from the random source, a
// public draw's is made of the sources the user names. The pool is the
// records not omitted, in key-1 order (see DrawPool), so every such record
// has the same chance per selection and an entry kept in c copies has c
// chances. A selected record is set aside when it repeats an earlier pick of
// the same command, and its selection counts all the same:
//
//   Same content: a candidate repeats an earlier pick when none of the twelve
//   field pairs differs (exact comparison of the 50-byte values) and at least
//   one pair is equal and not blank. A pair blank on both sides decides
//   nothing, so two records with every field blank are both drawable.
//
// Each selection takes its record out of the pool, so a pick ends after at
// most one fetch per record even when it cannot be completed. All writes (the
// data updates, the history appends and the pick's receipt, see DrawReceipt)
// are one transaction: a pick is stored whole or not at all.
class RandomPick {
public:
    struct Request {
        int dataHandle = 0;
        QString historyPath;
        qint32 count = 0;  // picks wanted, >= 1
        QString pickDate;  // mm-dd-yyyy
        QString pickTime;  // hh:mm:ss
    };

    // What a public draw names before it draws: its key string, the sources
    // as typed, and the SHA-256 of the pool it published (when the pool's is
    // another now, nothing is drawn; empty: no pool was published).
    struct Named {
        QByteArray key;
        QString sources;
        QByteArray publishedSha256;
    };

    enum class Status {
        Picked,
        NotEnough,    // fewer drawable records than asked for; nothing written
        StoreFailed,  // the store refused a read or a write; nothing written
        PoolChanged,  // the pool is not the one published; nothing written
    };

    struct Outcome {
        Status status = Status::StoreFailed;
        QString reason;                      // for the user, when not picked
        int code = 0;                        // the record manager's code of a store failure
        QStringList lines;                   // result lines in draw order
        std::vector<HistoryRecord> history;  // the history records appended, in draw order
        QByteArray key;                      // the key string drawn from
        QByteArray poolSha256;
        qint64 poolSize = 0;
    };

    // An ordinary pick: its key is one number from `random`.
    static Outcome run(const Request& request, RandomSource& random);
    static Outcome run(const Request& request, const Named& named);

    struct Stamp {
        QString date;  // mm-dd-yyyy
        QString time;  // hh:mm:ss
    };
    // The history knows a pick by its date and time, to the second. A pick
    // made no later than the previous one's stamp (two picks within a second)
    // takes the second after it, so that the two stay apart.
    static Stamp stampFor(const QDateTime& now, const QString& lastDate, const QString& lastTime);

    static bool repeats(const DataRecord& candidate, const DataRecord& earlier);
    // What the same-content test compares: the twelve fields at full width,
    // or nothing when every field is blank.
    static std::optional<QByteArray> contentOf(const DataRecord& record);
    // The twelve fields trimmed and joined by commas, then CR LF and "======".
    static QString resultLine(const DataRecord& record);
    // The chance of a record's entry to be drawn first in the next pick: its
    // copies (records with the same twelve fields) in the pool, out of the
    // pool's size. Found from the key-1 index and the omit flag's, without a
    // walk of the file; nothing when the store cannot say.
    struct Odds {
        qint64 copies = 0;
        qint64 pool = 0;
        // "2 in 27 (7.41%): 2 copies in a pool of 27", in the locale's numbers.
        QString text() const;
    };
    static std::optional<Odds> OddsOf(int dataHandle, const DataRecord& record);

    // One more pick, held at the largest count rather than wrapping.
    static qint32 countAfterPick(qint32 timesPicked);
};
