#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

#include "PickDatabase.h"
#include "records/ClearOmits.h"
#include "records/RandomPick.h"
#include "records/RandomSource.h"
#include "store/CodePage.h"
#include "store/RecordManager.h"

namespace {

using Status = RandomPick::Status;
constexpr qint32 Most = std::numeric_limits<qint32>::max();

RandomPick::Outcome pick(const PickDatabase& db, qint32 n, RandomSource& random) {
    return RandomPick::run({db.handle(), db.historyPath(), n, "07-04-2004", "14:05:09"}, random);
}

RandomPick::Outcome pick(const PickDatabase& db, qint32 n, std::uint64_t seed = 1) {
    FixedRandomSource random(seed);
    return pick(db, n, random);
}

// The result lines of a pick in sorted order: what was drawn, not when.
QStringList drawn(const RandomPick::Outcome& out) {
    QStringList lines = out.lines;
    lines.sort();
    return lines;
}

QString line(const char* first, const char* second = "") {
    return QStringLiteral("%1,%2,,,,,,,,,,\r\n======").arg(first, second);
}

struct FailureOff {
    ~FailureOff() { trm_FailAfter(-1, 0); }
};

TEST(RandomSource, FixedValuesThenTheSeedAndNeverTheBound) {
    const double justBelowOne = std::nextafter(1.0, 0.0);
    FixedRandomSource aimed(7, {0.5, justBelowOne, justBelowOne});
    FixedRandomSource seeded(7);
    EXPECT_EQ(aimed.below(4), 2);
    EXPECT_EQ(aimed.below(5), 4);
    EXPECT_EQ(aimed.below(2147483647), 2147483646);
    EXPECT_EQ(aimed.next(), seeded.next());

    SystemRandomSource one;
    SystemRandomSource two;  // made in the same second
    EXPECT_NE(one.next(), two.next());
}

TEST(RandomPick, EachDrawnRecordIsStampedOnceAndItsHistoryIsTheStoredRecord) {
    PickDatabase db;
    std::vector<DataRecord> before;
    for (qint32 times : {0, 7, Most}) {
        before.push_back(
            PickDatabase::entry({QByteArray(1, char('A' + before.size())), "x"}, "F", times));
        before.back().LastPicked = "12-31-1999";
    }
    db.add(before);

    const RandomPick::Outcome out = pick(db, 3);

    ASSERT_EQ(out.status, Status::Picked) << out.reason.toStdString();
    QByteArrayList expectedHistory;
    for (std::size_t i = 0; i < before.size(); ++i) {
        DataRecord stamped = before[i];
        stamped.LastPicked = "07-04-2004";
        stamped.TimesPicked = before[i].TimesPicked == Most ? Most : before[i].TimesPicked + 1;
        EXPECT_EQ(db.dataStrings().at(qsizetype(i)), RecordToString(stamped)) << i;
        expectedHistory << RecordToString(HistoryRecord{stamped, "07-04-2004", "14:05:09"});
    }
    QByteArrayList history = db.historyStrings();
    std::sort(history.begin(), history.end());
    EXPECT_EQ(history, expectedHistory);
    // The lines follow the draw, one per history record.
    ASSERT_EQ(out.history.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(
            out.lines.at(qsizetype(i)),
            CodePage::toUnicode(out.history[i].Record.Field[0].left(1)) + ",x,,,,,,,,,,\r\n======");
    }
}

TEST(RandomPick, DrawsOnlyRecordsNotOmittedAndEachEntryOnce) {
    struct Case {
        std::vector<DataRecord> records;
        qint32 n;
        QStringList expected;
    };
    const DataRecord ann = PickDatabase::entry({"Ann", "Lee"});
    const DataRecord bob = PickDatabase::entry({"Bob", "Day"});
    const Case cases[] = {
        {{PickDatabase::entry({"A"}), PickDatabase::entry({"B"}, "T"), PickDatabase::entry({"C"}),
          PickDatabase::entry({"D"}, "T")},
         2,
         {line("A"), line("C")}},
        // Copies of an entry, and an entry that differs in one field only.
        {{ann, ann, ann, bob, bob, PickDatabase::entry({"Bob", "Dey"})},
         3,
         {line("Ann", "Lee"), line("Bob", "Day"), line("Bob", "Dey")}},
        // Blank records repeat nothing; a first field "0" is a record like any other.
        {{PickDatabase::entry({"0"}), PickDatabase::entry({}), PickDatabase::entry({})},
         3,
         {line(""), line(""), line("0")}},
    };
    for (const Case& c : cases) {
        for (std::uint64_t seed = 1; seed <= 4; ++seed) {
            PickDatabase db;
            db.add(c.records);
            const RandomPick::Outcome out = pick(db, c.n, seed);
            ASSERT_EQ(out.status, Status::Picked) << out.reason.toStdString();
            EXPECT_EQ(drawn(out), c.expected) << c.expected.join(' ').toStdString();
        }
    }
}

TEST(RandomPick, SameContentIsEveryFieldEqualAndOneNotBlank) {
    const std::tuple<QByteArrayList, QByteArrayList, bool> cases[] = {
        {{"Ann", "Lee"}, {"Ann", "Lee"}, true},
        {{"Ann", "Lee"}, {"Ann", ""}, false},
        {{"Ann"}, {"ann"}, false},
        {{"", "Lee"}, {"", "Lee"}, true},
        {{}, {}, false},
        {{"0"}, {}, false},
    };
    for (const auto& [candidate, earlier, repeats] : cases) {
        EXPECT_EQ(RandomPick::repeats(PickDatabase::entry(candidate), PickDatabase::entry(earlier)),
                  repeats)
            << candidate.join('|').data() << " vs " << earlier.join('|').data();
    }
    EXPECT_EQ(RandomPick::resultLine(PickDatabase::entry({"  Ren\xe9 ", "", "x"})),
              QStringLiteral("Ren\u00e9,,x,,,,,,,,,\r\n======"));
}

TEST(RandomPick, APickThatCannotBeMadeSaysWhyAndWritesNothing) {
    struct Case {
        const char* omitted;
        qint32 n;
        int failingWrite;  // -1: none
        Status status;
        QString reason;
    };
    const QString stored =
        QStringLiteral("The pick could not be stored, so nothing was picked.\r\n") +
        trm_ResultText(TrmCode::IoError);
    const Case cases[] = {
        {"ABCD", 3, -1, Status::NotEnough,
         "You asked for 3 picks, but only 2 of the 6 records can be drawn: the others are omitted "
         "from picks.\r\nNothing was picked."},
        // "A" twice over makes five different entries of the six records.
        {"", 6, -1, Status::NotEnough,
         "You asked for 6 picks, but only 5 different entries can be drawn: the other records "
         "repeat them or are omitted from picks.\r\nNothing was picked."},
        // Three picks write six times: an update and a history record each.
        {"", 3, 0, Status::StoreFailed, stored},
        {"", 3, 3, Status::StoreFailed, stored},
        {"", 3, 5, Status::StoreFailed, stored},
    };
    for (const Case& c : cases) {
        PickDatabase db;
        db.addNamed("ABCDE", c.omitted);
        db.add({PickDatabase::entry({"A", "Team A"})});
        const QByteArrayList before = db.dataStrings();
        const FailureOff off;
        trm_FailAfter(c.failingWrite, TrmCode::IoError);
        const RandomPick::Outcome out = pick(db, c.n);
        trm_FailAfter(-1, 0);
        EXPECT_EQ(out.status, c.status) << c.reason.toStdString();
        EXPECT_TRUE(out.reason.startsWith(c.reason)) << out.reason.toStdString();
        EXPECT_EQ(db.dataStrings(), before);
        EXPECT_TRUE(db.historyStrings().isEmpty());
        // The files take the next pick.
        EXPECT_EQ(pick(db, 1).status, Status::Picked);
    }
}

// Pearson's statistic over entries drawn in `picks` picks of `n`, against
// expected shares; below the 99.9% point of chi-square for its freedom.
void expectUniform(const PickDatabase& db, int picks, qint32 n,
                   const std::map<QString, double>& share, double critical) {
    FixedRandomSource random(20040704);
    std::map<QString, int> observed;
    for (int i = 0; i < picks; ++i) {
        for (const QString& l : pick(db, n, random).lines) ++observed[l];
    }
    double chi = 0;
    for (const auto& [l, s] : share) {
        const double e = picks * n * s;
        chi += (observed[l] - e) * (observed[l] - e) / e;
    }
    EXPECT_LT(chi, critical);
}

TEST(RandomPick, EachCopyIsOneChanceAndEveryRecordEquallyLikelyInAPick) {
    PickDatabase weighted;  // A once, B twice, C three times, D four times
    std::map<QString, double> share;
    for (int k = 1; k <= 4; ++k) {
        const QByteArray name(1, char('A' + k - 1));
        weighted.add(std::vector<DataRecord>(std::size_t(k), PickDatabase::entry({name})));
        share[line(name.data())] = k / 10.0;
    }
    expectUniform(weighted, 1000, 1, share, 16.27);

    PickDatabase even;
    even.addNamed("ABCDEFGHIJKLMNOPQRST");
    share.clear();
    for (char c : QByteArray("ABCDEFGHIJKLMNOPQRST")) {
        share[line(QByteArray(1, c).data(), ("Team " + QByteArray(1, c)).data())] = 1 / 20.0;
    }
    expectUniform(even, 200, 5, share, 43.82);
}

TEST(ClearOmits, RewritesOnlyAFlagOfExactlyTAndAllOrNothing) {
    PickDatabase db;
    std::vector<DataRecord> records;
    const QByteArray flags = QByteArray(2 * ClearOmits::BatchSize, 'T') + "Ft X";
    for (qsizetype i = 0; i < flags.size(); ++i) {
        records.push_back(PickDatabase::entry({QByteArray::number(100000 + i), "Ren\xe9"},
                                              flags.mid(i, 1), qint32(i)));
    }
    db.add(records);
    const QByteArrayList before = db.dataStrings();

    // The second batch fails: the first must not stay cleared.
    const FailureOff off;
    trm_FailAfter(1, TrmCode::IoError);
    ClearOmits::Outcome out = ClearOmits::run(db.handle());
    EXPECT_FALSE(out.ok);
    EXPECT_TRUE(
        out.reason.startsWith("The omits could not be cleared; every record is as it was."));
    EXPECT_EQ(db.dataStrings(), before);

    trm_FailAfter(-1, 0);
    std::vector<std::pair<qint64, qint64>> progress;
    out = ClearOmits::run(db.handle(),
                          [&](qint64 done, qint64 total) { progress.emplace_back(done, total); });
    ASSERT_TRUE(out.ok) << out.reason.toStdString();
    const qint64 b = ClearOmits::BatchSize;
    EXPECT_EQ(progress,
              (std::vector<std::pair<qint64, qint64>>{{0, 2 * b}, {b, 2 * b}, {2 * b, 2 * b}}));
    const QByteArrayList after = db.dataStrings();
    for (qsizetype i = 0; i < after.size(); ++i) {
        QByteArray expected = before[i];
        if (expected[DataRecord::OmitOffset] == 'T') expected[DataRecord::OmitOffset] = 'F';
        EXPECT_EQ(after[i], expected) << i;
    }
}

}  // namespace
