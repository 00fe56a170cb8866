// Times the database export: every record of a database of 12 fields written
// as CSV with all seventeen columns and the header row, once straight through
// and once with a progress report that never stops it; beside them, the time of
// the walk of the records alone.
// Usage: export_bench [records] [folder]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <random>

#include "exchange/RecordExport.h"
#include "store/DataFolder.h"
#include "store/DefinitionFile.h"
#include "store/KeyLayout.h"
#include "store/RecordManager.h"
#include "store/Records.h"

namespace {

double ms(QElapsedTimer& t) {
    const double elapsed = double(t.nsecsElapsed()) / 1e6;
    t.restart();
    return elapsed;
}

// Records of 12 fields of 8 to 20 characters, some with a comma or a quote.
bool fill(int handle, qint64 total) {
    std::mt19937 random(42);
    TrmTransaction tx(handle);
    DataRecord r;
    r.DateEntered = "01-02-2003";
    r.LastPicked = "07-04-2004";
    r.Omit = "F";
    r.Notes = "a note, with a \"quote\"";
    for (qint64 i = 0; i < total; ++i) {
        for (QByteArray& field : r.Field) {
            field = QByteArray::number(quint32(random()), 36).repeated(1 + int(random() % 3));
        }
        r.TimesPicked = qint32(i % 50);
        if (trm_Insert(handle, RecordToString(r)) != 0) return false;
    }
    return tx.commit() == 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const qint64 total = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    QTemporaryDir temp(argc > 2 ? QString::fromLocal8Bit(argv[2]) + "/export-bench-XXXXXX"
                                : QDir::tempPath() + "/export-bench-XXXXXX");
    const DataFolder folder(temp.path());
    QStringList names;
    for (int k = 1; k <= 12; ++k) names << QStringLiteral("FIELD%1").arg(k);
    DefinitionFile::Write(folder.definitionFile("bench"), names);
    if (trm_Create(folder.dataFile("bench"), KeyLayout::Build(names), 1) != 0) return 1;

    QElapsedTimer t;
    t.start();
    int h = trm_Open(folder.dataFile("bench"), 0);
    if (!fill(h, total)) return 2;
    std::printf("%lld records of 12 fields built in %.0f ms\n", total, ms(t));
    trm_CloseAll();
    h = trm_Open(folder.dataFile("bench"), 0);

    // The floor under any export: one walk of the records in key-1 order.
    t.restart();
    qint64 bytes = 0;
    trm_Scan(h, 1, [&](qint64, const QByteArray& record) {
        bytes += record.size();
        return true;
    });
    std::printf("walk of the records alone: %.0f ms (%lld bytes)\n", ms(t), bytes);

    RecordExport::Request request;
    request.folder = folder.path();
    request.name = QStringLiteral("all");
    request.fieldNames = true;
    ExportColumns::Choice every{};
    every.fill(true);
    request.columns = ExportColumns(DefinitionFile::Read(folder.definitionFile("bench")), every);

    const auto timeExport = [&](const char* what, const RecordExport::Progress& progress) {
        t.restart();
        const RecordExport::Outcome out = RecordExport::ExportDatabase(request, h, progress);
        const double elapsed = ms(t);
        if (out.status != RecordExport::Status::Written) {
            std::printf("%s: failed: %s\n", what, qPrintable(out.reason));
            return false;
        }
        std::printf("%s: %lld rows, %.1f MB, %.0f ms\n", what, out.rows,
                    double(QFileInfo(out.path).size()) / 1e6, elapsed);
        return true;
    };
    if (!timeExport("export to CSV, first use of a freshly opened file", {})) return 3;
    qint64 reports = 0;
    if (!timeExport("export to CSV again, with progress reports",
                    [&](qint64, qint64) { return ++reports > 0; })) {
        return 3;
    }
    std::printf("(%lld progress reports)\n", reports);
    trm_CloseAll();
    return 0;
}
