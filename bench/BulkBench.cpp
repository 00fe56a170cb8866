// Times the work on a whole database of 12 fields beside what a user would
// reach for instead, in the same run: the import of a realistic CSV file beside
// sqlite3's .import into a plain table of 12 text columns and its 12 indexes;
// the export of the whole database to CSV beside sqlite3 -csv of the same 12
// fields; the listing report beside the walk it makes. And the sizes of the
// data and history files beside plain tables of the same values.
// Usage: bulk_bench [rows] [folder]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

#include "RealisticCsv.h"
#include "exchange/CsvImport.h"
#include "exchange/RecordExport.h"
#include "reports/ListingReport.h"
#include "store/DataFolder.h"
#include "store/DefinitionFile.h"
#include "store/KeyLayout.h"
#include "store/RecordManager.h"
#include "store/Records.h"

namespace {

constexpr int kFields = 12;

double msSince(QElapsedTimer& t) {
    const double ms = double(t.nsecsElapsed()) / 1e6;
    t.restart();
    return ms;
}

double mb(const QString& path) {
    return double(QFileInfo(path).size()) / 1e6;
}

// Runs the sqlite3 shell on `database` with `script` on its input (and its
// output into `output`, when given); the milliseconds it took, or -1.
double sqlite3(const QString& database, const QByteArray& script, const QString& output = {},
               const QStringList& options = {}) {
    QProcess shell;
    if (!output.isEmpty()) shell.setStandardOutputFile(output);
    QElapsedTimer t;
    t.start();
    shell.start(QStringLiteral("sqlite3"), options + QStringList{database});
    shell.write(script);
    shell.closeWriteChannel();
    if (!shell.waitForFinished(-1) || shell.exitCode() != 0) {
        std::printf("sqlite3 failed: %s\n", shell.readAllStandardError().constData());
        return -1;
    }
    return msSince(t);
}

QByteArray columns(const char* pattern, int count) {
    QByteArrayList all;
    for (int k = 1; k <= count; ++k) all << QByteArray(pattern).replace("%", QByteArray::number(k));
    return all.join(", ");
}

QByteArray indexes(const char* table) {
    QByteArray sql;
    for (int k = 1; k <= kFields; ++k) {
        sql += "CREATE INDEX " + QByteArray(table) + "_f" + QByteArray::number(k) + " ON " + table +
               "(f" + QByteArray::number(k) + ");\n";
    }
    return sql;
}

void ratio(const char* what, double program, double peer, const char* peerName) {
    std::printf("%-44s %9.0f ms   %-34s %9.0f ms   ratio %.2f\n", what, program, peerName, peer,
                program / peer);
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const qint64 rows = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    QTemporaryDir temp(argc > 2 ? QString::fromLocal8Bit(argv[2]) + "/bulk-bench-XXXXXX"
                                : QDir::tempPath() + "/bulk-bench-XXXXXX");
    const DataFolder folder(temp.path());
    const QString csv = folder.file("people.csv");
    if (!WriteRealisticCsv(csv, rows, kFields)) return 1;
    std::printf("%lld rows of %d fields, %.0f MB of CSV\n\n", rows, kFields, mb(csv));

    // What a user would reach for: the sqlite3 shell, with its own settings.
    const QString plain = folder.file("plain.db");
    const double peerImport =
        sqlite3(plain, "CREATE TABLE plain(" + columns("f% TEXT", kFields) + ");\n.import --csv " +
                           csv.toUtf8() + " plain\n" + indexes("plain"));
    if (peerImport < 0) return 2;

    QStringList names;
    for (int k = 0; k < kFields; ++k) names << QStringLiteral("FIELD") + QChar(u'A' + k);
    DefinitionFile::Write(folder.definitionFile("bench"), names);
    if (trm_Create(folder.dataFile("bench"), KeyLayout::Build(names), 1) != 0 ||
        trm_Create(folder.historyFile("bench"), KeyLayout::Build(names), 1, TrmKind::History) !=
            0) {
        return 3;
    }
    const int h = trm_Open(folder.dataFile("bench"), 0);
    QElapsedTimer t;
    t.start();
    const CsvImport::SurveyOutcome survey = CsvImport::SurveyFile(csv, kFields, false);
    const double surveyed = msSince(t);
    CsvImport::Layout layout{kFields, {}};
    for (int k = 0; k < kFields; ++k) layout.fields.push_back(k);
    const CsvImport::ImportOutcome imported =
        CsvImport::ImportFile(csv, h, layout, survey.survey, false, QDate(2004, 7, 4));
    const double importing = msSince(t);
    if (imported.status != CsvImport::Status::Done || imported.total != rows) {
        std::printf("import failed: %s\n", qPrintable(imported.reason));
        return 4;
    }
    ratio("import (its preview's survey first)", surveyed + importing, peerImport,
          "sqlite3 .import + 12 indexes");
    ratio("import alone", importing, peerImport, "sqlite3 .import + 12 indexes");

    // The whole database to CSV, in key order, beside the same fields from the plain table.
    RecordExport::Request request;
    request.folder = folder.path();
    request.name = QStringLiteral("all");
    ExportColumns::Choice fields{};
    for (int k = 0; k < kFields; ++k) fields[std::size_t(k)] = true;
    request.columns = ExportColumns(DefinitionFile::Read(folder.definitionFile("bench")), fields);
    t.restart();
    const RecordExport::Outcome exported = RecordExport::ExportDatabase(request, h);
    const double exporting = msSince(t);
    if (exported.status != RecordExport::Status::Written) return 5;
    const QByteArray select = "SELECT " + columns("f%", kFields) + " FROM plain";
    const double peerOrdered =
        sqlite3(plain, select + " ORDER BY f1;\n", folder.file("peer.csv"), {"-csv"});
    const double peerStored = sqlite3(plain, select + ";\n", folder.file("peer.csv"), {"-csv"});
    ratio("export of the database to CSV", exporting, peerOrdered, "sqlite3 -csv, ORDER BY f1");
    ratio("", exporting, peerStored, "sqlite3 -csv, as stored");

    // The listing beside the walk it makes.
    t.restart();
    qint64 bytes = 0;
    trm_Scan(h, 1, [&](qint64, const QByteArray& record) {
        bytes += record.size();
        return true;
    });
    const double walking = msSince(t);
    const ReportOutcome listed = ListingReport::Write(
        {h, QStringLiteral("bench"), folder.definitionFile("bench"), folder.file("report.txt")});
    const double listing = msSince(t);
    if (!listed.written()) return 6;
    ratio("listing report", listing, walking, "its walk of the records");

    // Every record once in the history, beside a plain table of the same values.
    const int history = trm_Open(folder.historyFile("bench"), 0);
    {
        TrmTransaction tx(history);
        trm_BeginBulkLoad(history);
        trm_Scan(h, 1, [&](qint64, const QByteArray& record) {
            HistoryRecord entry{RecordFromString<DataRecord>(record), "07-04-2004", "14:05:09  "};
            return trm_Insert(history, RecordToString(entry)) == 0;
        });
        trm_EndBulkLoad(history);
        if (tx.commit() != 0 || trm_Count(history) != rows) return 7;
    }
    const QString plainHistory = folder.file("plain-history.db");
    if (sqlite3(plainHistory, "ATTACH '" + plain.toUtf8() +
                                  "' AS p;\nCREATE TABLE history AS SELECT *, '07-04-2004' AS "
                                  "pickdate, '14:05:09' AS picktime FROM p.plain;\n" +
                                  indexes("history")) < 0) {
        return 8;
    }
    trm_CloseAll();
    std::printf("\n%-44s %9.1f MB   %-34s %9.1f MB   ratio %.2f\n", "data file",
                mb(folder.dataFile("bench")), "plain table, 12 indexes", mb(plain),
                mb(folder.dataFile("bench")) / mb(plain));
    std::printf("%-44s %9.1f MB   %-34s %9.1f MB   ratio %.2f\n", "history file",
                mb(folder.historyFile("bench")), "plain table, 12 indexes", mb(plainHistory),
                mb(folder.historyFile("bench")) / mb(plainHistory));
    return 0;
}
