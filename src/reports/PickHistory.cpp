#include "reports/PickHistory.h"

#include <QDir>
#include <QSet>
#include <algorithm>
#include <functional>
#include <vector>

#include "reports/ReportFile.h"
#include "reports/ReportPacer.h"
#include "reports/ReportText.h"
#include "store/RecordText.h"
#include "store/DefinitionFile.h"
#include "store/RecordManager.h"
#include "store/StoreError.h"

namespace {

constexpr int kStampWidth = 2 * HistoryRecord::PickWidth;

// The pick date and time of a history record string, 20 bytes.
QByteArray stampOf(const QByteArray& record) {
    return RecordText::fixedWidth(record.mid(HistoryRecord::PickDateOffset, kStampWidth),
                                kStampWidth);
}

// Sorts as the picks were made: year, month, day, then time ("mm-dd-yyyy"
// sorted as text would put December 2003 after January 2004).
QByteArray chronological(const QByteArray& stamp) {
    return stamp.mid(6, 4) + stamp.mid(0, 2) + stamp.mid(3, 2) + stamp.mid(10);
}

// The history file for the length of one operation.
class OpenHistory {
public:
    explicit OpenHistory(const QString& path) : path_(path), handle_(trm_Open(path, 0)) {
        if (handle_ <= 0) {
            throw StoreError(QStringLiteral("The pick history %1 could not be opened.\r\n%2")
                                 .arg(QDir::toNativeSeparators(path_), trm_ResultText(-handle_)),
                             -handle_);
        }
    }
    ~OpenHistory() { trm_Close(handle_); }
    OpenHistory(const OpenHistory&) = delete;
    OpenHistory& operator=(const OpenHistory&) = delete;

    qint64 count() const { return trm_Count(handle_); }
    // Every record once, in the order the file keeps them.
    void scanStored(const TrmVisitor& visit) const { check(trm_ScanStored(handle_, visit)); }
    // The identity of every record, in key-1 order.
    void scanIdentities(const TrmIdentityVisitor& visit) const {
        check(trm_ScanIdentities(handle_, 1, visit));
    }
    QByteArray record(qint64 identity) const {
        const QByteArray text = trm_GetDirect(handle_, identity);
        check(trm_Result(handle_));
        return text;
    }

private:
    void check(int code) const {
        if (code == TrmCode::Ok) return;
        throw StoreError(QStringLiteral("The pick history %1 could not be read.\r\n%2")
                             .arg(QDir::toNativeSeparators(path_), trm_FailureText(handle_, code)),
                         code);
    }

    QString path_;
    int handle_;
};

}  // namespace

QString PickHistory::Entry(const QString& pickDate, const QString& pickTime) {
    return pickDate.leftJustified(HistoryRecord::PickWidth, QLatin1Char(' '), true) +
           QStringLiteral(" @ ") +
           pickTime.leftJustified(HistoryRecord::PickWidth, QLatin1Char(' '), true);
}

qint64 PickHistory::Count(const QString& historyPath) {
    const int handle = trm_Open(historyPath, 0);
    if (handle <= 0) return -1;
    const qint64 count = trm_Count(handle);
    trm_Close(handle);
    return count;
}

PickHistory::PickList PickHistory::LoadPickList(const QString& historyPath,
                                                const ReportProgress& progress) {
    PickList list;
    try {
        const OpenHistory history(historyPath);
        ReportPacer pacer(progress, history.count(), ProgressEvery);
        QSet<QByteArray> stamps;
        // The list is sorted afterwards: the file's own order is the quickest to read.
        if (pacer.start()) {
            history.scanStored([&](qint64, const QByteArray& record) {
                stamps.insert(stampOf(record));
                return pacer.step();
            });
        }
        if (pacer.stopped()) {
            list.outcome = {ReportOutcome::Status::Stopped, {}};
            return list;
        }
        // Each sort key is made once: a pick a second gives a million of them.
        std::vector<QByteArray> newestFirst;
        newestFirst.reserve(std::size_t(stamps.size()));
        for (const QByteArray& stamp : std::as_const(stamps))
            newestFirst.push_back(chronological(stamp) + stamp);
        std::sort(newestFirst.begin(), newestFirst.end(), std::greater<>());
        list.entries.reserve(qsizetype(newestFirst.size()));
        for (const QByteArray& key : newestFirst) {
            const QByteArray stamp = key.right(kStampWidth);
            list.entries << Entry(RecordText::toUnicode(stamp.left(HistoryRecord::PickWidth)),
                                  RecordText::toUnicode(stamp.mid(HistoryRecord::PickWidth)));
        }
        list.outcome = {ReportOutcome::Status::Written, {}};
    } catch (const StoreError& error) {
        list.outcome = {ReportOutcome::Status::Failed, error.message()};
    }
    return list;
}

ReportOutcome PickHistory::WriteReport(const ReportRequest& request,
                                       const ReportProgress& progress) {
    try {
        const ReportText::RecordBlock blocks(DefinitionFile::Read(request.definitionPath));
        const OpenHistory history(request.historyPath);
        const QByteArray wanted = RecordText::field(request.pickDate, HistoryRecord::PickWidth) +
                                  RecordText::field(request.pickTime, HistoryRecord::PickWidth);
        ReportFile report(request.reportPath);
        report.write(ReportText::HistoryHead(request.pickDate, request.pickTime));
        // Two quick passes rather than one slow one: the pick's records in the
        // file's own order, then their positions from the key's index alone.
        ReportPacer pacer(progress, 2 * history.count(), ProgressEvery);
        if (!pacer.start()) return {ReportOutcome::Status::Stopped, {}};
        QSet<qint64> picked;
        history.scanStored([&](qint64 identity, const QByteArray& record) {
            if (stampOf(record) == wanted) picked.insert(identity);
            return pacer.step();
        });
        qint64 position = 0;
        QByteArray block;
        if (!pacer.stopped())
            history.scanIdentities([&](qint64 identity) {
                ++position;
                if (picked.contains(identity)) {
                    block.resize(0);
                    blocks.append(block, RecordBuffer(history.record(identity), HistoryRecord::Size),
                                  position);
                    report.write(block);
                }
                return pacer.step();
            });
        if (pacer.stopped()) return {ReportOutcome::Status::Stopped, {}};
        report.commit();
        return {ReportOutcome::Status::Written, {}};
    } catch (const StoreError& error) {
        return {ReportOutcome::Status::Failed, error.message()};
    }
}
