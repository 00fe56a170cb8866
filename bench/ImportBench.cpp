// Times importing a large CSV file (the survey that counts and checks it, and
// the import in one transaction) beside raw SQLite loading the same records,
// rows first and indexes after, in the same run; and the memory the import
// takes, which must not grow with the file.
// Usage: import_bench [rows] [fields]
#include <sys/resource.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "LargeFile.h"
#include "RawSqlite.h"
#include "exchange/CsvImport.h"
#include "store/DataFolder.h"
#include "store/KeyLayout.h"
#include "store/RecordManager.h"
#include "store/Records.h"

namespace {

double msSince(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The user fields of the benchmark records, one CSV line each.
bool writeCsv(const QString& path, qint64 rows, int fields) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    LargeRecords records(fields);
    QByteArray block;
    for (qint64 i = 0; i < rows; ++i) {
        const DataRecord r = RecordFromString<DataRecord>(records.next(i));
        for (int k = 0; k < fields; ++k) {
            if (k > 0) block += ',';
            block += r.Field[std::size_t(k)].trimmed();
        }
        block += "\r\n";
        if (block.size() > (1 << 20)) {
            file.write(block);
            block.clear();
        }
    }
    return file.write(block) == block.size();
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const qint64 rows = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    const int fields = argc > 2 ? QByteArray(argv[2]).toInt() : 12;
    QTemporaryDir temp;
    const DataFolder folder(temp.path());
    const QString csv = folder.file("big.csv");
    if (!writeCsv(csv, rows, fields)) return 1;
    QStringList names;
    for (int k = 0; k < fields; ++k) names << QStringLiteral("F") + QChar(u'A' + k);
    if (trm_Create(folder.dataFile("bench"), KeyLayout::Build(names), 1) != 0) return 1;
    const int h = trm_Open(folder.dataFile("bench"), 0);
    std::printf("%lld rows of %d fields, %.0f MB of CSV\n", rows, fields,
                double(QFile(csv).size()) / 1e6);

    const long before = peakKilobytes();
    QElapsedTimer t;
    t.start();
    const CsvImport::SurveyOutcome survey = CsvImport::SurveyFile(csv, fields, false);
    const double surveyed = msSince(t);
    CsvImport::Layout layout{fields, {}};
    for (int k = 0; k < fields; ++k) layout.fields.push_back(k);
    qint64 reports = 0;
    const CsvImport::ImportOutcome outcome = CsvImport::ImportFile(
        csv, h, layout, survey.survey, false, QDate(2004, 7, 4), [&](qint64, qint64) {
            ++reports;
            return true;
        });
    const double imported = msSince(t);
    if (outcome.status != CsvImport::Status::Done || outcome.total != rows) {
        std::printf("import failed: %s\n", qPrintable(outcome.reason));
        return 2;
    }
    const long after = peakKilobytes();

    RawSqlite raw(folder.file("raw.db"), fields);
    LargeRecords records(fields);
    t.restart();
    if (!raw.load(rows, [&](qint64 i) { return records.next(i); })) return 3;
    const double rawLoad = msSince(t);

    std::printf("survey (count, check, first records)      %9.0f ms\n", surveyed);
    std::printf("survey + import in one transaction         %9.0f ms   %lld progress reports\n",
                imported, reports);
    std::printf("raw SQLite load, indexes after the rows    %9.0f ms   ratio %.2f\n", rawLoad,
                imported / rawLoad);
    std::printf("peak memory before the import %ld MB, after %ld MB\n", before / 1024,
                after / 1024);
    return 0;
}
