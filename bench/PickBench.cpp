// Times loading a large database, the pick and clear omits, each beside raw
// SQLite doing the same work in the same run: a load of the records (indexes
// built after the rows in both), a pick of 1,000 records when 99% of the
// records are omitted and when none is, and clearing the omits of the 99%.
// Usage: pick_bench [records] [picks] [fields]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

#include "LargeFile.h"
#include "RawSqlite.h"
#include "records/ClearOmits.h"
#include "records/RandomPick.h"
#include "records/RandomSource.h"
#include "store/DataFolder.h"
#include "store/KeyLayout.h"
#include "store/RecordManager.h"
#include "store/Records.h"

namespace {

// Milliseconds that `work` took, or a negative figure when it failed.
double timed(const std::function<bool()>& work) {
    QElapsedTimer t;
    t.start();
    const bool ok = work();
    const double elapsed = double(t.nsecsElapsed()) / 1e6;
    return ok ? elapsed : -1;
}

bool report(const char* what, double ours, double raw) {
    if (ours < 0 || raw < 0) {
        std::printf("%s: failed\n", what);
        return false;
    }
    std::printf("%-44s %9.0f ms   raw SQLite %9.0f ms   ratio %.2f\n", what, ours, raw, ours / raw);
    return true;
}

bool pick(int handle, const QString& history, qint32 picks) {
    SystemRandomSource random;
    const RandomPick::Outcome out = RandomPick::run(
        {handle, history, picks, QStringLiteral("07-04-2004"), QStringLiteral("14:05:09")}, random);
    if (out.status != RandomPick::Status::Picked) std::printf("%s\n", qPrintable(out.reason));
    return out.status == RandomPick::Status::Picked;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const qint64 total = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    const qint32 picks = argc > 2 ? QByteArray(argv[2]).toInt() : 1000;
    const int fields = argc > 3 ? QByteArray(argv[3]).toInt() : 2;
    QTemporaryDir temp;
    const DataFolder folder(temp.path());
    QStringList names;
    for (int k = 0; k < fields; ++k) names << QStringLiteral("F") + QChar(u'A' + k);
    const QByteArray layout = KeyLayout::Build(names);
    if (trm_Create(folder.dataFile("bench"), layout, 1) != 0 ||
        trm_Create(folder.historyFile("bench"), layout, 1, TrmKind::History) != 0) {
        return 1;
    }
    const QString history = folder.historyFile("bench");
    std::printf("%lld records of %d fields, 99%% omitted, %d picks\n", total, fields, picks);

    int h = trm_Open(folder.dataFile("bench"), 0);
    const double load = timed([&] { return FillLargeFile(h, total, fields); });
    RawSqlite raw(temp.filePath(QStringLiteral("raw.db")), fields);
    LargeRecords rawRecords(fields);
    const double rawLoad =
        timed([&] { return raw.load(total, [&](qint64 i) { return rawRecords.next(i); }); });
    if (!report("load, indexes after the rows", load, rawLoad)) return 2;
    trm_CloseAll();
    h = trm_Open(folder.dataFile("bench"), 0);

    const double rawPick = timed([&] { return raw.pick(picks); });
    if (!report("pick, 99% omitted, first use of the file",
                timed([&] { return pick(h, history, picks); }), rawPick) ||
        !report("pick, 99% omitted, again", timed([&] { return pick(h, history, picks); }),
                timed([&] { return raw.pick(picks); }))) {
        return 4;
    }

    const double cleared = timed([&] { return ClearOmits::run(h, [](qint64, qint64) {}).ok; });
    if (!report("clear omits of 99%", cleared, timed([&] { return raw.clearOmits(); }))) return 5;

    for (const char* what : {"pick, none omitted", "pick, none omitted, again"}) {
        const double rawNone = timed([&] { return raw.pick(picks); });
        if (!report(what, timed([&] { return pick(h, history, picks); }), rawNone)) return 4;
    }
    trm_CloseAll();
    return 0;
}
