#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

#include "store/Records.h"

class RandomSource;

// The random pick: draws distinct records among those not omitted, stamps each
// with the pick date and one more pick, and appends it to the history file.
//
// Draws are made among the records that are not omitted, taken in the order
// the file keeps them (no key order is needed to be fair), so every such
// record has the same chance per draw and an entry kept in c copies has c
// chances. A drawn record is set aside when it repeats an earlier pick of
// the same command:
//
//   Same content: a candidate repeats an earlier pick when none of the twelve
//   field pairs differs (exact comparison of the 50-byte values) and at least
//   one pair is equal and not blank. A pair blank on both sides decides
//   nothing, so two records with every field blank are both drawable.
//
// A set-aside record is never drawn again in that pick, so a pick ends after at
// most one fetch per record even when it cannot be completed. All writes (the
// data updates and the history appends) are one transaction: a pick is stored
// whole or not at all.
class RandomPick {
public:
    struct Request {
        int dataHandle = 0;
        QString historyPath;
        qint32 count = 0;  // picks wanted, >= 1
        QString pickDate;  // mm-dd-yyyy
        QString pickTime;  // hh:mm:ss
    };

    enum class Status {
        Picked,
        NotEnough,    // fewer drawable records than asked for; nothing written
        StoreFailed,  // the store refused a read or a write; nothing written
    };

    struct Outcome {
        Status status = Status::StoreFailed;
        QString reason;                      // for the user, when not picked
        int code = 0;                        // the record manager's code of a store failure
        QStringList lines;                   // result lines in draw order
        std::vector<HistoryRecord> history;  // the history records appended, in draw order
    };

    static Outcome run(const Request& request, RandomSource& random);

    struct Stamp {
        QString date;  // mm-dd-yyyy
        QString time;  // hh:mm:ss
    };
    // The history knows a pick by its date and time, to the second. A pick
    // made no later than the previous one's stamp (two picks within a second)
    // takes the second after it, so that the two stay apart.
    static Stamp stampFor(const QDateTime& now, const QString& lastDate, const QString& lastTime);

    static bool repeats(const DataRecord& candidate, const DataRecord& earlier);
    // The twelve fields trimmed and joined by commas, then CR LF and "======".
    static QString resultLine(const DataRecord& record);
    // One more pick, held at the largest count rather than wrapping.
    static qint32 countAfterPick(qint32 timesPicked);
};
