// Times the record manager on a large file: building it, the first and the
// later n-th-record lookups, walking, and selecting by the omit byte.
// Usage: store_bench [records] [folder]
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <random>

#include "LargeFile.h"
#include "store/KeyLayout.h"
#include "store/RecordManager.h"
#include "store/Records.h"

namespace {

double ms(QElapsedTimer& t) {
    const double elapsed = double(t.nsecsElapsed()) / 1e6;
    t.restart();
    return elapsed;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const qint64 total = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    QTemporaryDir temp;
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : temp.path();
    const QString path = QDir(folder).filePath(QStringLiteral("bench.dat"));

    QElapsedTimer t;
    t.start();
    if (trm_Create(path, KeyLayout::Build({"NAME", "CITY"}), 1) != 0) return 1;
    int h = trm_Open(path, 0);
    std::mt19937 random(42);
    if (!FillLargeFile(h, total)) return 2;
    std::printf("insert %lld records in one transaction: %.0f ms\n", total, ms(t));
    trm_CloseAll();
    h = trm_Open(path, 0);
    std::printf("open and count: %.1f ms (count %d)\n", ms(t), trm_Count(h));
    RecordAtPosition(h, 880, total / 2);
    std::printf("first position lookup (builds the rank index): %.0f ms\n", ms(t));
    const int lookups = 100000;
    for (int i = 0; i < lookups; ++i) RecordAtPosition(h, 880, 1 + qint64(random() % total));
    std::printf("later position lookups: %.2f us each\n", ms(t) * 1000.0 / lookups);
    trm_GetFirst(h, 1);
    for (int i = 0; i < lookups; ++i) trm_GetNext(h);
    std::printf("next along key 1: %.2f us each\n", ms(t) * 1000.0 / lookups);
    const auto kept = trm_PositionsWhere(h, 624, 'T', false);
    std::printf("positions not omitted (%zu of %lld): %.0f ms\n", kept.size(), total, ms(t));
    DataRecord single;
    single.Field[0] = "m";
    trm_Insert(h, RecordToString(single));
    RecordAtPosition(h, 880, total / 3);
    std::printf("one insert then a position lookup: %.2f ms\n", ms(t));
    trm_CloseAll();
    return 0;
}
