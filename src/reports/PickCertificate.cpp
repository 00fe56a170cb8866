#include "reports/PickCertificate.h"

#include <QCryptographicHash>
#include <QDir>
#include <QHash>

#include "records/DrawPool.h"
#include "records/RandomPick.h"
#include "records/Rfc3797.h"
#include "reports/PickHistory.h"
#include "reports/ReportFile.h"
#include "reports/ReportText.h"
#include "store/RecordManager.h"
#include "store/RecordText.h"
#include "store/Records.h"
#include "store/StoreError.h"

namespace {

// How many changed records a verdict names before it only counts the rest.
constexpr int kNamed = 10;

QStringList fieldsOf(const QByteArray& record, int fields) {
    QStringList out;
    for (int k = 0; k < fields; ++k) {
        out << RecordText::toUnicode(RecordText::trimmed(
            QByteArrayView(record).sliced(k * DataRecord::FieldWidth, DataRecord::FieldWidth)));
    }
    return out;
}

QString grouped(qint64 n) {
    return QLocale().toString(n);
}

QString hex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex().toUpper());
}

[[noreturn]] void failed(const QString& what, int handle, int code) {
    throw StoreError(what + QStringLiteral("\r\n") + trm_FailureText(handle, code), code);
}

std::vector<PickCertificate::Selection> selectionsOf(const DrawReceipt& receipt, int history,
                                                     int fields) {
    QHash<qint64, qint64> aside;
    for (const auto& [index, repeats] : receipt.setAside) aside.insert(index, repeats);
    QHash<qint64, QStringList> picked;
    std::vector<PickCertificate::Selection> out;
    Rfc3797::Draw draw(receipt.key, receipt.poolSize);
    while (qint64(picked.size()) < receipt.records && !draw.done()) {
        const Rfc3797::Draw::Selection s = draw.next();
        PickCertificate::Selection one{s.index, s.md5, s.left, s.position, s.number, -1, {}};
        if (const auto found = aside.constFind(s.index); found != aside.cend()) {
            one.repeats = *found;
            one.fields = picked.value(one.repeats);
        } else {
            const QByteArray record =
                trm_GetDirect(history, receipt.firstRecord + qint64(picked.size()));
            if (const int code = trm_Result(history); code != TrmCode::Ok) {
                failed(QStringLiteral("A record of the pick is missing from its history."), history,
                       code);
            }
            one.fields = fieldsOf(record, fields);
            picked.insert(s.index, one.fields);
        }
        out.push_back(std::move(one));
    }
    return out;
}

QString pickNamed(const DrawReceipt& r) {
    return QStringLiteral("The pick of %1 at %2").arg(r.pickDate, r.pickTime);
}

// "number 17 of the pool (Ann, Lee)", as many as kNamed, then how many more.
QStringList named(const QStringList& all) {
    QStringList out = all.mid(0, kNamed);
    if (all.size() > kNamed) out << QStringLiteral("and %1 more").arg(grouped(all.size() - kNamed));
    return out;
}

}  // namespace

QSet<QString> PickCertificate::EntriesWithReceipts(const QString& historyPath) {
    QSet<QString> entries;
    const TrmOpenFile history(trm_Open(historyPath, 0));
    std::vector<TrmReceipt> receipts;
    if (history.handle() <= 0 || trm_Receipts(history.handle(), {}, false, receipts) != 0) {
        return entries;
    }
    for (const TrmReceipt& r : receipts) {
        entries.insert(PickHistory::Entry(RecordText::toUnicode(r.pickDate),
                                          RecordText::toUnicode(r.pickTime)));
    }
    return entries;
}

PickCertificate::Reading PickCertificate::Read(const QString& historyPath,
                                               const QString& databaseName, const QString& pickDate,
                                               const QString& pickTime) {
    Reading reading;
    try {
        const TrmOpenFile history(trm_Open(historyPath, 0));
        if (history.handle() <= 0) {
            throw StoreError(
                QStringLiteral("The pick history %1 could not be opened.\r\n%2")
                    .arg(QDir::toNativeSeparators(historyPath), trm_ResultText(-history.handle())),
                -history.handle());
        }
        const QByteArray stamp = RecordText::field(pickDate, HistoryRecord::PickWidth) +
                                 RecordText::field(pickTime, HistoryRecord::PickWidth);
        std::vector<TrmReceipt> stored;
        if (const int code = trm_Receipts(history.handle(), stamp, true, stored); code != 0) {
            failed(QStringLiteral("The receipts of the picks could not be read."), history.handle(),
                   code);
        }
        const int fields = trm_KeyCount(history.handle());
        for (const TrmReceipt& one : stored) {
            std::optional<DrawReceipt> receipt = DrawReceipt::FromStored(one);
            if (!receipt) {
                throw StoreError(QStringLiteral("The receipt of the pick of %1 at %2 is damaged.")
                                     .arg(pickDate.trimmed(), pickTime.trimmed()),
                                 TrmCode::NotADatabase);
            }
            Certificate c{databaseName, std::move(*receipt), {}};
            c.selections = selectionsOf(c.receipt, history.handle(), fields);
            reading.certificates.push_back(std::move(c));
        }
        if (reading.certificates.empty()) {
            throw StoreError(QStringLiteral("The pick of %1 at %2 was made by an earlier version "
                                            "of RANDOLA, which kept no receipt of it, so it has "
                                            "no certificate.")
                                 .arg(pickDate.trimmed(), pickTime.trimmed()),
                             TrmCode::KeyNotFound);
        }
        reading.outcome = {ReportOutcome::Status::Written, {}};
    } catch (const StoreError& error) {
        reading.certificates.clear();
        reading.outcome = {ReportOutcome::Status::Failed, error.message()};
    }
    return reading;
}

QStringList PickCertificate::Certificate::lines() const {
    const DrawReceipt& r = receipt;
    QStringList out = {
        QStringLiteral("CERTIFICATE OF THE PICK ON %1 AT %2").arg(r.pickDate, r.pickTime),
        ReportText::Rule(),
        QString(),
        QStringLiteral("Database:       ") + databaseName.trimmed(),
        QStringLiteral("Date and time:  %1 %2").arg(r.pickDate, r.pickTime),
        QStringLiteral("Method:         ") + r.method,
        QStringLiteral("Picks asked:    ") + grouped(r.count),
        QStringLiteral("Pool:           %1 records").arg(grouped(r.poolSize)),
        QStringLiteral("Pool SHA-256:   ") + hex(r.sha256),
        QStringLiteral("Sources, one to a line:"),
    };
    for (const QString& source : r.sources.split(QLatin1Char('\n'))) {
        if (!source.trimmed().isEmpty()) out << QStringLiteral("  ") + source.simplified();
    }
    // Not indented: an ordinary pick's key (78 digits and "./") fills a printed row.
    out << QStringLiteral("Key string:") << QString::fromLatin1(r.key)
        << QString();
    for (const Selection& s : selections) {
        out << QStringLiteral("Selection %1: MD5 %2").arg(s.index).arg(hex(s.md5));
        const QString outcome =
            s.repeats < 0 ? QStringLiteral("picked")
                          : QStringLiteral("set aside, repeats selection %1").arg(s.repeats);
        out << QStringLiteral("  %1 left, position %2: number %3 of the pool, %4")
                   .arg(grouped(s.left), grouped(s.position), grouped(s.number), outcome)
            << QStringLiteral("  ") + s.fields.join(QStringLiteral(", "));
    }
    out << QString();
    return out;
}

QStringList PickCertificate::Lines(const std::vector<Certificate>& certificates) {
    QStringList out;
    for (const Certificate& c : certificates) out << c.lines();
    return out;
}

ReportOutcome PickCertificate::Write(const std::vector<Certificate>& certificates,
                                     const QString& path) {
    try {
        ReportFile file(path);
        file.write(Lines(certificates));
        file.commit();
        return {ReportOutcome::Status::Written, {}};
    } catch (const StoreError& error) {
        return {ReportOutcome::Status::Failed, error.message()};
    }
}

PickCertificate::Verdict PickCertificate::Verify(const std::vector<Certificate>& certificates,
                                                 int dataHandle, const ReportProgress& progress) {
    Verdict verdict{{ReportOutcome::Status::Written, {}}, true, {}};
    QStringList texts;
    const int fields = trm_KeyCount(dataHandle);
    for (const Certificate& c : certificates) {
        const DrawReceipt& r = c.receipt;
        QCryptographicHash sha(QCryptographicHash::Sha256);
        QStringList changed, missing;
        // The records of the selections, for the draw again.
        QHash<qint64, QByteArray> selected;
        for (const Selection& s : c.selections) selected.insert(s.number, {});
        const int code = DrawPool::Visit(
            dataHandle, r.pool, [&](qint64 number, qint64, const QByteArray& record) {
                if (record.isEmpty()) {
                    missing << QStringLiteral("number %1 of the pool").arg(grouped(number));
                    return true;
                }
                sha.addData(DrawPool::Line(number, record, fields));
                if (DrawPool::Fingerprint(record, fields) !=
                    quint8(r.fingerprints.at(number - 1))) {
                    changed << QStringLiteral("number %1 of the pool, now %2")
                                   .arg(grouped(number), fieldsOf(record, fields).join(", "));
                }
                if (const auto slot = selected.find(number); slot != selected.end()) *slot = record;
                return !progress || number % DrawPool::ProgressEvery != 0 ||
                       progress(number, qint64(r.pool.size()));
            });
        if (code != TrmCode::Ok) {
            return {{ReportOutcome::Status::Failed, trm_FailureText(dataHandle, code)}, false, {}};
        }
        if (progress && !progress(qint64(r.pool.size()), qint64(r.pool.size()))) {
            return {{ReportOutcome::Status::Stopped, {}}, false, {}};
        }
        // The draw again, its repeats judged by the records as they are now.
        bool same = missing.isEmpty() && sha.result() == r.sha256;
        if (same) {
            QHash<QByteArray, qint64> contents;
            for (const Selection& s : c.selections) {
                const QByteArray record = selected.value(s.number);
                const std::optional<QByteArray> content =
                    RandomPick::contentOf(RecordFromString<DataRecord>(record));
                const auto earlier = content ? contents.constFind(*content) : contents.cend();
                const qint64 repeats = earlier == contents.cend() ? -1 : *earlier;
                if (repeats < 0 && content) contents.insert(*content, s.index);
                same = same && repeats == s.repeats &&
                       (repeats >= 0 || fieldsOf(record, fields) == s.fields);
            }
        }
        if (same) {
            texts << QStringLiteral(
                         "%1 is reproduced exactly: the %2 records of its pool are as "
                         "they were (SHA-256 %3), and its key string draws the same %4 "
                         "records from them in the same order.")
                         .arg(pickNamed(r), grouped(r.poolSize), hex(r.sha256), grouped(r.records));
            continue;
        }
        verdict.reproduced = false;
        QString text = QStringLiteral(
                           "%1 cannot be reproduced from the records now in the file: "
                           "its pool has changed since.")
                           .arg(pickNamed(r));
        if (!changed.isEmpty()) {
            text +=
                QStringLiteral("\r\nChanged: ") + named(changed).join(QStringLiteral("; ")) + '.';
        }
        if (!missing.isEmpty()) {
            text += QStringLiteral("\r\nNo longer in the file: ") +
                    named(missing).join(QStringLiteral("; ")) + '.';
        }
        if (changed.isEmpty() && missing.isEmpty()) {
            text += QStringLiteral(
                "\r\nIts SHA-256 differs from the one recorded, but no single "
                "record could be named.");
        }
        texts << text;
    }
    verdict.text = texts.join(QStringLiteral("\r\n\r\n"));
    return verdict;
}
