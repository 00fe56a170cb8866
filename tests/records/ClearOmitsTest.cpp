#include <gtest/gtest.h>

#include "PickDatabase.h"
#include "records/ClearOmits.h"
#include "store/RecordManager.h"

namespace {

class ClearOmitsTest : public ::testing::Test {
protected:
    void TearDown() override { trm_FailAfter(-1, 0); }

    PickDatabase db;
};

TEST_F(ClearOmitsTest, OnlyAFlagOfExactlyTIsRewritten) {
    db.addFlags("TFTt X");
    const QByteArrayList before = db.dataStrings();
    const ClearOmits::Outcome out = ClearOmits::run(db.handle());
    ASSERT_TRUE(out.ok) << out.reason.toStdString();
    EXPECT_EQ(out.cleared, 2);
    const QByteArrayList after = db.dataStrings();
    ASSERT_EQ(after.size(), before.size());
    for (qsizetype i = 0; i < after.size(); ++i) {
        QByteArray expected = before[i];
        if (expected[DataRecord::OmitOffset] == 'T') expected[DataRecord::OmitOffset] = 'F';
        EXPECT_EQ(after[i], expected) << "record " << i;
    }
}

TEST_F(ClearOmitsTest, AFailureHalfWayClearsNothingAndSaysWhy) {
    // Enough omitted records for three batches; the second one fails.
    const QByteArray many = QByteArray(2 * ClearOmits::BatchSize + 50, 'T') + "F";
    db.addFlags(many);
    const QByteArrayList before = db.dataStrings();
    trm_FailAfter(1, TrmCode::IoError);
    qint64 reported = 0;
    const ClearOmits::Outcome out =
        ClearOmits::run(db.handle(), [&](qint64 done, qint64) { reported = done; });
    trm_FailAfter(-1, 0);
    EXPECT_FALSE(out.ok);
    EXPECT_EQ(reported, ClearOmits::BatchSize);  // the first batch had gone through
    EXPECT_EQ(out.code, TrmCode::IoError);
    EXPECT_TRUE(out.reason.startsWith(
        QStringLiteral("The omits could not be cleared; every record is as it was.\r\n") +
        trm_ResultText(TrmCode::IoError)))
        << out.reason.toStdString();
    EXPECT_EQ(db.dataStrings(), before);

    // The file takes the next run.
    EXPECT_TRUE(ClearOmits::run(db.handle()).ok);
    EXPECT_EQ(db.omitFlags(), QByteArray(many.size(), 'F'));
}

TEST_F(ClearOmitsTest, ProgressRisesByBatchesToTheTotal) {
    struct Case {
        int omitted;
        int others;
        std::vector<std::pair<qint64, qint64>> calls;
    };
    const qint64 b = ClearOmits::BatchSize;
    const Case cases[] = {
        {0, 3, {{0, 0}}},
        {0, 0, {{0, 0}}},
        {3, 2, {{0, 3}, {3, 3}}},
        {int(2 * b + 7),
         5,
         {{0, 2 * b + 7}, {b, 2 * b + 7}, {2 * b, 2 * b + 7}, {2 * b + 7, 2 * b + 7}}},
    };
    for (const Case& c : cases) {
        PickDatabase fresh;
        std::vector<DataRecord> records;
        for (int i = 0; i < c.omitted + c.others; ++i) {
            records.push_back(
                PickDatabase::entry({QByteArray::number(i)}, i < c.omitted ? "T" : "F"));
        }
        fresh.add(records);

        std::vector<std::pair<qint64, qint64>> calls;
        const ClearOmits::Outcome out = ClearOmits::run(
            fresh.handle(), [&](qint64 done, qint64 total) { calls.emplace_back(done, total); });
        EXPECT_TRUE(out.ok);
        EXPECT_EQ(out.cleared, c.omitted);
        EXPECT_EQ(calls, c.calls) << c.omitted << " omitted";
    }
}

}  // namespace
