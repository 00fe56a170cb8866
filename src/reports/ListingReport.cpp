#include "reports/ListingReport.h"

#include "reports/ReportFile.h"
#include "reports/ReportPacer.h"
#include "reports/ReportText.h"
#include "store/DefinitionFile.h"
#include "store/RecordManager.h"
#include "store/StoreError.h"

ReportOutcome ListingReport::Write(const Request& request, const ReportProgress& progress) {
    try {
        const ReportText::RecordBlock blocks(DefinitionFile::Read(request.definitionPath));
        const qint64 total = trm_Count(request.dataHandle);
        ReportFile report(request.reportPath);
        report.write(ReportText::ListingHead(request.databaseName));
        ReportPacer pacer(progress, total, ProgressEvery);
        if (!pacer.start()) return {ReportOutcome::Status::Stopped, {}};
        const int code = trm_Scan(request.dataHandle, 1, [&](qint64, const QByteArray& text) {
            blocks.append(report.end(), RecordBuffer(text, DataRecord::Size), pacer.done() + 1);
            report.written();
            return pacer.step();
        });
        if (code != TrmCode::Ok) throw StoreError(trm_FailureText(request.dataHandle, code), code);
        if (pacer.stopped()) return {ReportOutcome::Status::Stopped, {}};
        report.commit();
        return {ReportOutcome::Status::Written, {}};
    } catch (const StoreError& error) {
        return {ReportOutcome::Status::Failed, error.message()};
    }
}
