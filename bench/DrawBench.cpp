// Times what every pick's receipt costs and what a public draw's pool costs
// on a large database. On files whose records were added in key order (so a
// pool's identities run consecutively) and on files of random keys: the pool
// read anew (after the file was opened or edited) and read again unchanged,
// the receipt's bytes per entry of the pool, for a pool of 1% of the records
// and of all of them; and the pool's listing with its SHA-256 beside the
// listing report's walk of the same records.
// Usage: draw_bench [records]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

#include "LargeFile.h"
#include "records/ClearOmits.h"
#include "records/DrawPool.h"
#include "records/DrawReceipt.h"
#include "reports/ListingReport.h"
#include "store/DataFolder.h"
#include "store/DefinitionFile.h"
#include "store/KeyLayout.h"
#include "store/RecordManager.h"
#include "store/Records.h"

namespace {

double msSince(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

// Milliseconds that `work` took, or a negative figure when it failed.
double timed(const std::function<bool()>& work) {
    QElapsedTimer t;
    t.start();
    const bool ok = work();
    return ok ? msSince(t) : -1;
}

// Record i of a file filled in key order; the first `pool` records are not omitted.
QByteArray inKeyOrder(qint64 i, qint64 pool) {
    DataRecord r;
    r.DateEntered = "01-02-2003";
    r.Field[0] = QByteArray::number(i).rightJustified(8, '0');
    r.Field[1] = QByteArray::number(i % 97);
    r.Omit = i < pool ? "F" : "T";
    return RecordToString(r);
}

// The receipt of a pick from the pool of the open file: what reading the
// pool costs, anew and again, and what the receipt itself costs and takes.
bool receiptFigures(const char* what, const QString& data, const QString& history) {
    trm_CloseAll();
    const int h = trm_Open(data, 0);
    std::shared_ptr<const DrawPool> pool;
    const double anew = timed([&] { return bool(pool = DrawPool::Read(h).pool); });
    // An edit of one record (another each time): the pool is read anew, the
    // rank index kept.
    static char mark = 'a';
    const QByteArray first = trm_GetFirst(h, 1);
    trm_Update(h, first.left(49) + mark++ + first.mid(50));
    const double edited = timed([&] { return bool(pool = DrawPool::Read(h).pool); });
    const double again = timed([&] { return bool(pool = DrawPool::Read(h).pool); });
    if (!pool) return std::printf("%s: the pool could not be read\n", what), false;

    DrawReceipt receipt;
    receipt.pickDate = "07-04-2004";
    receipt.pickTime = "14:05:09";
    receipt.method = "RFC 3797";
    receipt.sources = QString(77, '9');
    receipt.key = receipt.sources.toLatin1() + "./";
    receipt.count = 1000;
    receipt.poolSize = pool->size();
    receipt.sha256 = pool->sha256;
    receipt.firstRecord = 1;
    receipt.records = 1000;
    TrmReceipt stored;
    const double encoded = timed([&] {
        stored = receipt.stored(pool->ids, pool->fingerprints);
        return true;
    });
    // Written as a pick writes it: inside the pick's transaction, here rolled back.
    const int hh = trm_OpenShared(history, h);
    double written = -1;
    {
        TrmTransaction tx(h);
        written = timed([&] { return trm_AddReceipt(hh, stored) == 0; });
    }
    trm_Close(hh);
    const double bytes = double(stored.details.size() + stored.pool.size());
    std::printf("%s, pool of %lld\n", what, pool->size());
    std::printf(
        "  pool read anew after opening %9.1f ms, after an edit %9.1f ms, unchanged %6.1f ms\n",
        anew, edited, again);
    std::printf(
        "  receipt: made %6.1f ms, written %6.1f ms; with the pool unchanged it adds %6.1f ms\n",
        encoded, written, again + encoded + written);
    std::printf("  receipt: %.0f bytes, %.3f bytes per entry of the pool\n", bytes,
                bytes / double(pool->size()));
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const qint64 total = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    const qint64 small = total / 100;
    QTemporaryDir temp;
    const DataFolder folder(temp.path());
    const QStringList names = {QStringLiteral("FA"), QStringLiteral("FB")};
    const QByteArray layout = KeyLayout::Build(names);
    for (const char* name : {"ordered", "random"}) {
        if (trm_Create(folder.dataFile(name), layout, 1) != 0 ||
            trm_Create(folder.historyFile(name), layout, 1, TrmKind::History) != 0) {
            return 1;
        }
        DefinitionFile::Write(folder.definitionFile(name), names);
    }
    std::printf("%lld records of 2 fields\n", total);
    int h = trm_Open(folder.dataFile("ordered"), 0);
    if (!FillFile(h, total, [&](qint64 i) { return inKeyOrder(i, small); })) return 2;
    h = trm_Open(folder.dataFile("random"), 0);
    if (!FillLargeFile(h, total)) return 2;

    for (const char* name : {"ordered", "random"}) {
        const QString data = folder.dataFile(name);
        const QString history = folder.historyFile(name);
        const char* kind = name == QLatin1String("ordered") ? "records added in key order"
                                                            : "records of random keys";
        if (!receiptFigures(kind, data, history)) return 3;
        h = trm_Open(data, 0);
        if (!ClearOmits::run(h, [](qint64, qint64) {}).ok) return 4;
        if (!receiptFigures(kind, data, history)) return 3;
    }

    // The whole file as its pool, and the listing report of it.
    trm_CloseAll();
    h = trm_Open(folder.dataFile("random"), 0);
    trm_GetNth(h, 1);  // the rank index built, as the listing needs none
    const double listed = timed([&] {
        return ListingReport::Write({h, QStringLiteral("random"), folder.definitionFile("random"),
                                     folder.file(QStringLiteral("report.txt"))})
            .written();
    });
    trm_CloseAll();
    h = trm_Open(folder.dataFile("random"), 0);
    trm_GetNth(h, 1);
    const double pooled = timed([&] { return bool(DrawPool::Read(h).pool); });
    std::printf(
        "pool listing and SHA-256 of %lld records %9.0f ms   listing report %9.0f ms   "
        "ratio %.2f\n",
        total, pooled, listed, pooled / listed);
    trm_CloseAll();
    return 0;
}
