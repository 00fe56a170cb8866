#include "reports/PickHistory.h"

#include <QDir>
#include <QHash>
#include <algorithm>

#include "reports/ReportFile.h"
#include "reports/ReportPacer.h"
#include "reports/ReportText.h"
#include "store/CodePage.h"
#include "store/DefinitionFile.h"
#include "store/RecordManager.h"
#include "store/StoreError.h"

namespace {

constexpr int kStampWidth = 2 * HistoryRecord::PickWidth;

// The pick date and time of a history record string, 20 bytes.
QByteArray stampOf(const QByteArray& record) {
    return CodePage::fixedWidth(record.mid(HistoryRecord::PickDateOffset, kStampWidth),
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
    // Visits every record in key-1 order; throws when the walk fails.
    void scan(const TrmVisitor& visit) const {
        if (const int code = trm_Scan(handle_, 1, visit); code != TrmCode::Ok) {
            throw StoreError(
                QStringLiteral("The pick history %1 could not be read.\r\n%2")
                    .arg(QDir::toNativeSeparators(path_), trm_FailureText(handle_, code)),
                code);
        }
    }

private:
    QString path_;
    int handle_;
};

}  // namespace

QString PickHistory::Entry(const QString& pickDate, const QString& pickTime) {
    return pickDate.leftJustified(HistoryRecord::PickWidth, QLatin1Char(' '), true) +
           QStringLiteral(" @ ") +
           pickTime.leftJustified(HistoryRecord::PickWidth, QLatin1Char(' '), true);
}

PickHistory::PickList PickHistory::LoadPickList(const QString& historyPath,
                                                const ReportProgress& progress) {
    PickList list;
    try {
        const OpenHistory history(historyPath);
        ReportPacer pacer(progress, history.count(), ProgressEvery);
        QHash<QByteArray, QByteArray> picks;  // chronological key -> stamp
        if (pacer.start())
            history.scan([&](qint64, const QByteArray& record) {
                const QByteArray stamp = stampOf(record);
                const QByteArray key = chronological(stamp) + stamp;
                if (!picks.contains(key)) picks.insert(key, stamp);
                return pacer.step();
            });
        if (pacer.stopped()) {
            list.outcome = {ReportOutcome::Status::Stopped, {}};
            return list;
        }
        QList<QByteArray> keys = picks.keys();
        std::sort(keys.begin(), keys.end(), std::greater<>());
        for (const QByteArray& key : keys) {
            const QByteArray& stamp = picks[key];
            list.entries << Entry(CodePage::toUnicode(stamp.left(HistoryRecord::PickWidth)),
                                  CodePage::toUnicode(stamp.mid(HistoryRecord::PickWidth)));
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
        const ReportText::FieldLabels labels(DefinitionFile::Read(request.definitionPath));
        const OpenHistory history(request.historyPath);
        const QByteArray wanted = CodePage::field(request.pickDate, HistoryRecord::PickWidth) +
                                  CodePage::field(request.pickTime, HistoryRecord::PickWidth);
        ReportFile report(request.reportPath);
        report.write(ReportText::HistoryHead(request.pickDate, request.pickTime));
        ReportPacer pacer(progress, history.count(), ProgressEvery);
        if (!pacer.start()) return {ReportOutcome::Status::Stopped, {}};
        qint64 position = 0;
        QStringList block;
        history.scan([&](qint64, const QByteArray& record) {
            ++position;
            if (stampOf(record) == wanted) {
                block.clear();
                ReportText::AppendRecordBlock(
                    block, labels, RecordFromString<HistoryRecord>(record).Record, position);
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
