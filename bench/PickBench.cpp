// Times the pick and clear omits on a large database: a pick of 1,000 records
// when 99% of the records are omitted and when none is, and clearing the omits
// of the 99%. Usage: pick_bench [records] [picks]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

#include "LargeFile.h"
#include "records/ClearOmits.h"
#include "records/RandomPick.h"
#include "records/RandomSource.h"
#include "store/DataFolder.h"
#include "store/KeyLayout.h"
#include "store/RecordManager.h"
#include "store/Records.h"

namespace {

double ms(QElapsedTimer& t) {
    const double elapsed = double(t.nsecsElapsed()) / 1e6;
    t.restart();
    return elapsed;
}

bool timePick(const char* what, int handle, const QString& history, qint32 picks) {
    QElapsedTimer t;
    t.start();
    SystemRandomSource random;
    const RandomPick::Outcome out = RandomPick::run(
        {handle, history, picks, QStringLiteral("07-04-2004"), QStringLiteral("14:05:09")}, random);
    const double elapsed = ms(t);
    if (out.status != RandomPick::Status::Picked) {
        std::printf("%s: failed: %s\n", what, qPrintable(out.reason));
        return false;
    }
    std::printf("%s: %.0f ms\n", what, elapsed);
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const qint64 total = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    const qint32 picks = argc > 2 ? QByteArray(argv[2]).toInt() : 1000;
    QTemporaryDir temp;
    const DataFolder folder(temp.path());
    const QByteArray layout = KeyLayout::Build({"NAME", "TEAM"});
    if (trm_Create(folder.dataFile("bench"), layout, 1) != 0 ||
        trm_Create(folder.historyFile("bench"), layout, 1) != 0) {
        return 1;
    }
    const QString history = folder.historyFile("bench");

    QElapsedTimer t;
    t.start();
    int h = trm_Open(folder.dataFile("bench"), 0);
    if (!FillLargeFile(h, total)) return 2;
    std::printf("%lld records, 99%% omitted, built in %.0f ms\n", total, ms(t));
    trm_CloseAll();
    h = trm_Open(folder.dataFile("bench"), 0);

    if (!timePick("pick 1000, 99% omitted, first use of a freshly opened file", h, history, picks))
        return 4;
    if (!timePick("pick 1000, 99% omitted, again", h, history, picks)) return 4;

    t.restart();
    qint64 calls = 0;
    const ClearOmits::Outcome cleared = ClearOmits::run(h, [&](qint64, qint64) { ++calls; });
    if (!cleared.ok) {
        std::printf("clear omits failed: %s\n", qPrintable(cleared.reason));
        return 5;
    }
    std::printf("clear omits of %lld records: %.0f ms (%lld progress reports)\n", cleared.cleared,
                ms(t), calls);

    if (!timePick("pick 1000, none omitted", h, history, picks)) return 4;
    if (!timePick("pick 1000, none omitted, again", h, history, picks)) return 4;
    trm_CloseAll();
    return 0;
}
