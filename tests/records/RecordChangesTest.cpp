#include <gtest/gtest.h>

#include <QFileInfo>

#include "records/RecordChanges.h"
#include "store/RecordManager.h"
#include "support/FileSizeLimit.h"
#include "support/TestFolder.h"

namespace {

// Saves of many copies against a real file: all of them or none. (Updates,
// deletes and single failures are driven through the record window's tests.)
class SaveCopiesTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder.createDatabase("club", {"NAME"});
        path = folder.folder().dataFile("club");
        handle = trm_Open(path, 0);
        ASSERT_GT(handle, 0);
        record.Field[0] = "ANN";
        record.Omit = "F";
        ASSERT_EQ(trm_Insert(handle, RecordToString(record)), 0);
        record.Field[0] = "BOB";
    }
    void TearDown() override { trm_CloseAll(); }

    // The file as a fresh open finds it holds only the first record.
    void expectUnchangedOnDisk() {
        trm_CloseAll();
        handle = trm_Open(path, 0);
        EXPECT_EQ(trm_Count(handle), 1);
        EXPECT_EQ(RecordAtPosition(handle, 880, 2), QByteArray("0"));
    }

    TestFolder folder;
    QString path;
    int handle = 0;
    DataRecord record;
};

TEST_F(SaveCopiesTest, StopsWhenToldWithNothingSavedAndReportsInSteps) {
    std::vector<qint64> reported;
    const ChangeResult stopped =
        RecordChanges::SaveCopies(handle, record, 5000, [&](qint64 saved, qint64 copies) {
            reported.push_back(saved * 10000 + copies);
            return reported.size() < 2;
        });
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_FALSE(stopped.ok());
    EXPECT_EQ(reported, (std::vector<qint64>{2000 * 10000 + 5000, 4000 * 10000 + 5000}));
    EXPECT_EQ(stopped.total, 1);

    const ChangeResult saved = RecordChanges::SaveCopies(handle, record, 3);
    EXPECT_TRUE(saved.ok());
    EXPECT_EQ(saved.total, 4);
    EXPECT_EQ(trm_GetDirect(handle, saved.position), RecordToString(record));
    EXPECT_EQ(RecordAtPosition(handle, 880, 4), RecordToString(record));
}

TEST_F(SaveCopiesTest, ADiskThatFillsPartWaySavesNone) {
    ChangeResult result;
    {
        // Room for a few hundred copies of the 20,000 asked for.
        const FileSizeLimit limit(rlim_t(QFileInfo(path).size() + 256 * 1024));
        result = RecordChanges::SaveCopies(handle, record, 20000);
    }
    EXPECT_FALSE(result.ok());
    EXPECT_FALSE(result.cancelled);
    EXPECT_NE(result.code, TrmCode::Ok);
    EXPECT_FALSE(result.reason.isEmpty());
    EXPECT_EQ(result.total, 1);
    expectUnchangedOnDisk();
}

}  // namespace
