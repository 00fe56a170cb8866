#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

#include "records/DrawReceipt.h"
#include "reports/ReportRun.h"

// The certificate of a pick made with a receipt: the database, when, the
// method, the sources and the key string, the pool's size and SHA-256, and
// every selection of the draw (its MD5 value, the entries left, the position
// taken, the record, and whether it was picked or set aside). The selections
// are worked out again from the receipt by the method; the records come from
// the pick's own history records. Verify replays the draw against the
// records now in the data file.
class PickCertificate {
public:
    struct Selection {
        qint64 index = 0;
        QByteArray md5;
        qint64 left = 0;
        qint64 position = 0;
        qint64 number = 0;    // in the pool, from 1
        qint64 repeats = -1;  // set aside: the selection whose entry it repeats
        QStringList fields;   // of the record picked, or of the one it repeats
    };

    struct Certificate {
        QString databaseName;
        DrawReceipt receipt;
        std::vector<Selection> selections;

        QStringList lines() const;
    };

    struct Reading {
        ReportOutcome outcome;
        std::vector<Certificate> certificates;  // picks within one second share an entry
    };

    // The history entries (PickHistory::Entry) of the picks that have a
    // receipt; none for a history written before receipts were kept.
    static QSet<QString> EntriesWithReceipts(const QString& historyPath);

    static Reading Read(const QString& historyPath, const QString& databaseName,
                        const QString& pickDate, const QString& pickTime);
    static QStringList Lines(const std::vector<Certificate>& certificates);
    // The lines as a text file, UTF-8 with CR LF line ends.
    static ReportOutcome Write(const std::vector<Certificate>& certificates, const QString& path);

    struct Verdict {
        ReportOutcome outcome;
        bool reproduced = false;
        QString text;  // for the user
    };
    // Draws again from each receipt and the records now in the data file,
    // and says whether the pick is reproduced exactly, or which records of
    // its pool changed or went missing since.
    static Verdict Verify(const std::vector<Certificate>& certificates, int dataHandle,
                          const ReportProgress& progress = {});
};
