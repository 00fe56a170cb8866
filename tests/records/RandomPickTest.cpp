#include <gtest/gtest.h>

#include <QFile>
#include <QSet>
#include <limits>
#include <map>

#include "PickDatabase.h"
#include "records/RandomPick.h"
#include "records/RandomSource.h"
#include "store/CodePage.h"
#include "store/RecordManager.h"

namespace {

using Status = RandomPick::Status;
constexpr qint32 Most = std::numeric_limits<qint32>::max();

QByteArray nameOf(const DataRecord& record) {
    return CodePage::trimmed(record.Field[0]);
}

QByteArrayList namesOf(const std::vector<HistoryRecord>& history) {
    QByteArrayList names;
    for (const HistoryRecord& h : history) names << nameOf(h.Record);
    return names;
}

// 99.9% points of chi-square by degrees of freedom.
double critical(int freedom) {
    static const std::map<int, double> table{{3, 16.27}, {19, 43.82}};
    return table.at(freedom);
}

double chiSquare(const std::map<QByteArray, int>& observed,
                 const std::map<QByteArray, double>& expected) {
    double sum = 0;
    for (const auto& [name, e] : expected) {
        const auto it = observed.find(name);
        const double o = it == observed.end() ? 0 : it->second;
        sum += (o - e) * (o - e) / e;
    }
    return sum;
}

class RandomPickTest : public ::testing::Test {
protected:
    void TearDown() override { trm_FailAfter(-1, 0); }

    RandomPick::Outcome pick(qint32 n, RandomSource& random) {
        return RandomPick::run({db.handle(), db.historyPath(), n, QStringLiteral("07-04-2004"),
                                QStringLiteral("14:05:09")},
                               random);
    }
    RandomPick::Outcome pick(qint32 n, std::uint64_t seed = 1) {
        FixedRandomSource random(seed);
        return pick(n, random);
    }

    void addNamed(const QByteArray& names, const QByteArray& omitted = {}) {
        db.addNamed(names, omitted);
    }

    // How often each entry was drawn over `picks` picks of `n`.
    std::map<QByteArray, int> countDraws(int picks, qint32 n, std::uint64_t seed) {
        FixedRandomSource random(seed);
        std::map<QByteArray, int> observed;
        for (int i = 0; i < picks; ++i) {
            const RandomPick::Outcome out = pick(n, random);
            EXPECT_EQ(out.status, Status::Picked);
            for (const QByteArray& name : namesOf(out.history)) ++observed[name];
        }
        return observed;
    }

    PickDatabase db;
};

TEST_F(RandomPickTest, PickingEveryRecordStampsEachOnceAndRecordsItInTheHistory) {
    std::vector<DataRecord> before;
    for (int i = 0; i < 5; ++i) {
        DataRecord r = PickDatabase::entry({QByteArray(1, char('A' + i)), "x"}, "F", i * 10);
        r.LastPicked = "12-31-1999";
        r.Notes = "note " + QByteArray::number(i);
        before.push_back(r);
    }
    db.add(before);

    const RandomPick::Outcome out = pick(5);

    ASSERT_EQ(out.status, Status::Picked) << out.reason.toStdString();
    const std::vector<DataRecord> after = db.data();
    ASSERT_EQ(after.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        DataRecord expected = before[i];
        expected.LastPicked = "07-04-2004";
        expected.TimesPicked = before[i].TimesPicked + 1;
        EXPECT_EQ(RecordToString(after[i]), RecordToString(expected)) << "record " << i;
    }

    // What was reported is what was stored, in draw order, each entry once.
    const std::vector<HistoryRecord> stored = db.history();
    ASSERT_EQ(out.history.size(), 5u);
    ASSERT_EQ(stored.size(), 5u);
    QByteArrayList drawn = namesOf(out.history);
    EXPECT_EQ(QSet<QByteArray>(drawn.begin(), drawn.end()).size(), 5);
    for (const HistoryRecord& h : out.history) {
        EXPECT_EQ(h.PickDate, "07-04-2004");
        EXPECT_EQ(h.PickTime, "14:05:09");
        const auto match = std::find_if(stored.begin(), stored.end(), [&](const HistoryRecord& s) {
            return RecordToString(s) == RecordToString(h);
        });
        EXPECT_NE(match, stored.end()) << "not in the history file: " << nameOf(h.Record).data();
        const DataRecord& now = after[static_cast<std::size_t>(nameOf(h.Record)[0] - 'A')];
        EXPECT_EQ(RecordToString(h.Record), RecordToString(now));
    }
    ASSERT_EQ(out.lines.size(), 5);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(out.lines[qsizetype(i)], RandomPick::resultLine(out.history[i].Record));
    }
}

TEST_F(RandomPickTest, AnOmittedRecordIsNeverDrawn) {
    addNamed("ABCDEFGHIJKLMNOPQRST", "BDFHJLNPRT");
    const QByteArrayList omittedBefore = [&] {
        QByteArrayList out;
        for (const QByteArray& r : db.dataStrings())
            if (r[DataRecord::OmitOffset] == 'T') out << r;
        return out;
    }();

    // Asking for every drawable record must give exactly those, whatever the seed.
    for (std::uint64_t seed : {1u, 2u, 3u}) {
        const RandomPick::Outcome out = pick(10, seed);
        ASSERT_EQ(out.status, Status::Picked) << out.reason.toStdString();
        QByteArrayList names = namesOf(out.history);
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names.join(), "ACEGIKMOQS") << "seed " << seed;
    }
    QByteArrayList omittedAfter;
    for (const QByteArray& r : db.dataStrings())
        if (r[DataRecord::OmitOffset] == 'T') omittedAfter << r;
    EXPECT_EQ(omittedAfter, omittedBefore);
}

TEST_F(RandomPickTest, OneDrawableRecordAmongOmittedOnesIsAlwaysTheOneDrawn) {
    addNamed("ABC", "AC");
    for (std::uint64_t seed = 1; seed <= 5; ++seed) {
        const RandomPick::Outcome out = pick(1, seed);
        ASSERT_EQ(out.status, Status::Picked);
        EXPECT_EQ(namesOf(out.history), QByteArrayList{"B"});
    }
}

TEST_F(RandomPickTest, CopiesOfOneEntryAreNeverPickedTwiceInOnePick) {
    const DataRecord a = PickDatabase::entry({"Ann", "Lee"});
    const DataRecord b = PickDatabase::entry({"Bob", "Day"});
    const DataRecord c = PickDatabase::entry({"Bob", "Dey"});  // differs in one field only
    db.add({a, a, a, b, b, c});
    for (std::uint64_t seed = 1; seed <= 8; ++seed) {
        const RandomPick::Outcome out = pick(3, seed);
        ASSERT_EQ(out.status, Status::Picked);
        QStringList lines = out.lines;
        lines.sort();
        EXPECT_EQ(lines, (QStringList{QStringLiteral("Ann,Lee,,,,,,,,,,\r\n======"),
                                      QStringLiteral("Bob,Day,,,,,,,,,,\r\n======"),
                                      QStringLiteral("Bob,Dey,,,,,,,,,,\r\n======")}))
            << "seed " << seed;
    }
    // Each pick stamped one copy of each entry: 8 picks over 3 copies of Ann.
    int annPicks = 0;
    for (const DataRecord& r : db.data())
        if (nameOf(r) == "Ann") annPicks += r.TimesPicked;
    EXPECT_EQ(annPicks, 8);
}

TEST_F(RandomPickTest, BlankRecordsAndARecordOfZeroCanAllBeDrawn) {
    db.add({PickDatabase::entry({"0"}), PickDatabase::entry({}), PickDatabase::entry({}),
            PickDatabase::entry({"X"})});
    const RandomPick::Outcome out = pick(4);
    ASSERT_EQ(out.status, Status::Picked) << out.reason.toStdString();
    for (const DataRecord& r : db.data()) EXPECT_EQ(r.TimesPicked, 1) << nameOf(r).data();
}

TEST_F(RandomPickTest, APickThatCannotBeCompletedSaysWhyAndWritesNothing) {
    struct Case {
        const char* omitted;
        std::vector<QByteArrayList> extra;  // further records
        qint32 wanted;
        QString reason;
    };
    const Case cases[] = {
        {"BCD",
         {},
         3,
         QStringLiteral("You asked for 3 picks, but only 2 of the 5 records can be drawn: the "
                        "others are omitted from picks.\r\nNothing was picked.")},
        {"ABCDE",
         {},
         1,
         QStringLiteral("You asked for 1 picks, but only 0 of the 5 records can be drawn: the "
                        "others are omitted from picks.\r\nNothing was picked.")},
        {"",
         {{"A", "Team A"}, {"A", "Team A"}, {"B", "Team B"}},
         6,
         QStringLiteral("You asked for 6 picks, but only 5 different entries can be drawn: the "
                        "other records repeat them or are omitted from picks.\r\nNothing was "
                        "picked.")},
    };
    for (const Case& c : cases) {
        PickDatabase fresh;
        std::vector<DataRecord> records;
        for (char name : QByteArray("ABCDE")) {
            records.push_back(
                PickDatabase::entry({QByteArray(1, name), "Team " + QByteArray(1, name)},
                                    QByteArray(c.omitted).contains(name) ? "T" : "F"));
        }
        for (const QByteArrayList& fields : c.extra) records.push_back(PickDatabase::entry(fields));
        fresh.add(records);
        const QByteArrayList before = fresh.dataStrings();

        FixedRandomSource random(9);
        const RandomPick::Outcome out = RandomPick::run(
            {fresh.handle(), fresh.historyPath(), c.wanted, "07-04-2004", "14:05:09"}, random);

        EXPECT_EQ(out.status, Status::NotEnough) << c.wanted;
        EXPECT_EQ(out.reason, c.reason);
        EXPECT_TRUE(out.lines.isEmpty());
        EXPECT_EQ(fresh.dataStrings(), before);
        EXPECT_TRUE(fresh.history().empty());
    }
}

TEST_F(RandomPickTest, AFailedWriteLeavesBothFilesAsTheyWere) {
    addNamed("ABCDE");
    const QByteArrayList before = db.dataStrings();
    // Three picks make six writes (an update and a history record each); fail each in turn.
    for (int writes = 0; writes < 6; ++writes) {
        trm_FailAfter(writes, TrmCode::IoError);
        const RandomPick::Outcome out = pick(3, 40 + std::uint64_t(writes));
        trm_FailAfter(-1, 0);
        EXPECT_EQ(out.status, Status::StoreFailed) << "failing write " << writes;
        EXPECT_EQ(out.code, TrmCode::IoError);
        EXPECT_TRUE(out.reason.startsWith(
            QStringLiteral("The pick could not be stored, so nothing was picked.\r\n") +
            trm_ResultText(TrmCode::IoError)))
            << out.reason.toStdString();
        EXPECT_TRUE(out.history.empty());
        EXPECT_EQ(db.dataStrings(), before) << "failing write " << writes;
        EXPECT_TRUE(db.history().empty()) << "failing write " << writes;
    }
    // And the files still take a pick afterwards.
    ASSERT_EQ(pick(5).status, Status::Picked);
    for (const DataRecord& r : db.data()) EXPECT_EQ(r.TimesPicked, 1);
    EXPECT_EQ(db.history().size(), 5u);
}

TEST_F(RandomPickTest, AMissingHistoryFileIsReportedAndNothingIsStamped) {
    addNamed("AB");
    const QByteArrayList before = db.dataStrings();
    ASSERT_TRUE(QFile::remove(db.historyPath()));
    const RandomPick::Outcome out = pick(1);
    EXPECT_EQ(out.status, Status::StoreFailed);
    EXPECT_EQ(out.code, TrmCode::FileNotFound);
    EXPECT_EQ(db.dataStrings(), before);
}

TEST_F(RandomPickTest, ACountAtItsLargestStaysThere) {
    db.add({PickDatabase::entry({"Max"}, "F", Most)});
    const RandomPick::Outcome out = pick(1);
    ASSERT_EQ(out.status, Status::Picked);
    EXPECT_EQ(db.data().at(0).TimesPicked, Most);
    EXPECT_EQ(db.history().at(0).Record.TimesPicked, Most);

    const std::pair<qint32, qint32> counts[] = {{0, 1}, {41, 42}, {Most - 1, Most}, {Most, Most}};
    for (const auto& [times, next] : counts) EXPECT_EQ(RandomPick::countAfterPick(times), next);
}

TEST(RandomPickRules, SameContentNeedsEveryFieldEqualAndOneNotBlank) {
    struct Case {
        QByteArrayList candidate;
        QByteArrayList earlier;
        bool repeats;
    };
    const Case cases[] = {
        {{"Ann", "Lee"}, {"Ann", "Lee"}, true},
        {{"Ann", "Lee", "", "", "", "", "", "", "", "", "", "z"},
         {"Ann", "Lee", "", "", "", "", "", "", "", "", "", "z"},
         true},
        {{"Ann", "Lee"}, {"Ann", "Lea"}, false},
        {{"Ann", "Lee"}, {"Ann", ""}, false},
        {{"Ann"}, {"ann"}, false},
        {{"Ann "}, {"Ann"}, true},  // stored padded to width, so the same
        {{"", "Lee"}, {"", "Lee"}, true},
        {{}, {}, false},
        {{"0"}, {}, false},
        {{"", "", "", "", "", "", "", "", "", "", "", "12"}, {}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(
            RandomPick::repeats(PickDatabase::entry(c.candidate), PickDatabase::entry(c.earlier)),
            c.repeats)
            << c.candidate.join('|').data() << " vs " << c.earlier.join('|').data();
    }
}

TEST(RandomPickRules, AResultLineJoinsTheTwelveTrimmedFields) {
    struct Case {
        QByteArrayList fields;
        QString line;
    };
    const Case cases[] = {
        {{"Ann", "Lee"}, QStringLiteral("Ann,Lee,,,,,,,,,,\r\n======")},
        {{"  Ann  ", " Lee"}, QStringLiteral("Ann,Lee,,,,,,,,,,\r\n======")},
        {{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l"},
         QStringLiteral("a,b,c,d,e,f,g,h,i,j,k,l\r\n======")},
        {{"Ren\xe9", "", "x"}, QStringLiteral("Ren\u00e9,,x,,,,,,,,,\r\n======")},
        {{}, QStringLiteral(",,,,,,,,,,,\r\n======")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RandomPick::resultLine(PickDatabase::entry(c.fields)), c.line);
    }
}

TEST_F(RandomPickTest, EachCopyIsOneChanceInTheDraw) {
    // Entries weighted 1 : 2 : 3 : 4 by their copies.
    std::vector<DataRecord> records;
    const std::map<QByteArray, int> copies{{"A", 1}, {"B", 2}, {"C", 3}, {"D", 4}};
    for (const auto& [name, count] : copies)
        for (int i = 0; i < count; ++i) records.push_back(PickDatabase::entry({name}));
    db.add(records);

    const int picks = 1000;
    const std::map<QByteArray, int> observed = countDraws(picks, 1, 1234);
    std::map<QByteArray, double> expected;
    for (const auto& [name, count] : copies) expected[name] = picks * count / 10.0;
    EXPECT_LT(chiSquare(observed, expected), critical(3));
}

TEST_F(RandomPickTest, EveryRecordIsEquallyLikelyToBeInAPick) {
    addNamed("ABCDEFGHIJKLMNOPQRST");
    const int picks = 200;
    const std::map<QByteArray, int> observed = countDraws(picks, 5, 99);
    std::map<QByteArray, double> expected;
    for (char c : QByteArray("ABCDEFGHIJKLMNOPQRST")) expected[QByteArray(1, c)] = picks * 5 / 20.0;
    EXPECT_LT(chiSquare(observed, expected), critical(19));
}

}  // namespace
