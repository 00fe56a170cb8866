#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "PickDatabase.h"
#include "records/RandomPick.h"
#include "records/RandomSource.h"
#include "records/RecordChanges.h"

namespace {

RandomPick::Outcome pick(const PickDatabase& db, qint32 n, RandomSource& random) {
    return RandomPick::run({db.handle, db.historyPath(), n, "07-04-2004", "14:05:09"}, random);
}

QString line(const char* first, const char* second = "") {
    return QStringLiteral("%1,%2,,,,,,,,,,\r\n======").arg(first, second);
}

TEST(RandomSource, NeverTheBoundAndTwoMadeInOneSecondDiffer) {
    FixedRandomSource justBelowOne(7, {std::nextafter(1.0, 0.0)});
    EXPECT_EQ(justBelowOne.below(2147483647), 2147483646);
    EXPECT_NE(SystemRandomSource().next(), SystemRandomSource().next());
}

// An entry repeats an earlier one when every field is equal and one not blank;
// records omitted from picks are never drawn.
TEST(RandomPick, DrawsOnlyRecordsNotOmittedAndEachEntryOnce) {
    const DataRecord ann = PickDatabase::entry({"Ann", "Lee"});
    const DataRecord bob = PickDatabase::entry({"Bob", "Day"});
    std::vector<DataRecord> records = {ann, ann, ann, bob, bob};
    for (const QByteArrayList& fields : {QByteArrayList{"Bob", "Dey"},
                                         {"Ann"},
                                         {"ann", "Lee"},
                                         {"", "Lee"},
                                         {"", "Lee"},
                                         {},
                                         {},
                                         {"0"}})
        records.push_back(PickDatabase::entry(fields));
    for (const char* omitted : {"Cy", "Di"}) records.push_back(PickDatabase::entry({omitted}, "T"));
    const QStringList expected = {line(""),           line(""),           line("", "Lee"),
                                  line("0"),          line("Ann"),        line("Ann", "Lee"),
                                  line("Bob", "Day"), line("Bob", "Dey"), line("ann", "Lee")};
    for (std::uint64_t seed = 1; seed <= 4; ++seed) {
        PickDatabase db;
        db.add(records);
        FixedRandomSource random(seed);
        const RandomPick::Outcome out = pick(db, qint32(expected.size()), random);
        ASSERT_EQ(out.status, RandomPick::Status::Picked) << out.reason.toStdString();
        QStringList drawn = out.lines;
        drawn.sort();
        EXPECT_EQ(drawn, expected) << seed;
    }
    EXPECT_EQ(RandomPick::resultLine(PickDatabase::entry({"  Ren\xc3\xa9 ", "", "x"})),
              QStringLiteral("Ren\u00e9,,x,,,,,,,,,\r\n======"));
}

// Pearson's statistic over entries drawn in `picks` picks of `n`, against
// expected shares; below the 99.9% point of chi-square for its freedom.
void expectUniform(const PickDatabase& db, int picks, qint32 n,
                   const std::map<QString, double>& share, double critical) {
    FixedRandomSource random(20040704);
    std::map<QString, int> observed;
    for (int i = 0; i < picks; ++i)
        for (const QString& l : pick(db, n, random).lines) ++observed[l];
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
    for (char c : QByteArray("ABCDEFGHIJKLMNOPQRST"))
        share[line(QByteArray(1, c).data(), ("Team " + QByteArray(1, c)).data())] = 1 / 20.0;
    expectUniform(even, 200, 5, share, 43.82);
}

// A save of many copies, stopped part way or failing, keeps none of them;
// completed, the copies take their places among the records. Enough copies
// that the indexes are built after the rows. (The other changes and their
// failures are driven through the record window.)
TEST(SaveCopies, ManyCopiesAllOrNone) {
    PickDatabase db;
    db.addNamed("AZ");
    constexpr qint32 copies = 12000;
    int reports = 0;
    const ChangeResult stopped =
        RecordChanges::SaveCopies(db.handle, PickDatabase::entry({"B"}), copies,
                                  [&](qint64, qint64) { return ++reports < 2; });
    EXPECT_TRUE(stopped.cancelled && !stopped.ok());
    EXPECT_EQ(reports, 2);
    EXPECT_EQ(stopped.total, 2);

    trm_FailAfter(copies - 1, TrmCode::IoError);  // the last copy cannot be written
    const ChangeResult failed =
        RecordChanges::SaveCopies(db.handle, PickDatabase::entry({"B"}), copies);
    trm_FailAfter(-1, 0);
    EXPECT_EQ(failed.code, TrmCode::IoError);
    EXPECT_EQ(failed.total, 2);
    EXPECT_EQ(db.dataStrings().size(), 2);

    const ChangeResult saved =
        RecordChanges::SaveCopies(db.handle, PickDatabase::entry({"b"}), copies);
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(saved.total, copies + 2);
    EXPECT_EQ(trm_GetDirect(db.handle, saved.position).left(1), "b");
    EXPECT_EQ(RecordAtPosition(db.handle, 880, copies + 2).left(1), "Z");
    EXPECT_EQ(RecordAtPosition(db.handle, 880, 2).left(1), "b");
    EXPECT_EQ(trm_GetGreater(db.handle, 1, "A").left(1), "b");
    EXPECT_EQ(trm_CountWhere(db.handle, DataRecord::OmitOffset, 'F'), copies + 2);
}

}  // namespace
