#include <gtest/gtest.h>

#include <QFileInfo>

#include "records/RecordChanges.h"
#include "store/CodePage.h"
#include "store/RecordManager.h"
#include "support/FileSizeLimit.h"
#include "support/TestFolder.h"

namespace {

DataRecord entry(const QByteArray& name, const QByteArray& city = {}) {
    DataRecord r;
    r.Field[0] = name;
    r.Field[1] = city;
    r.DateEntered = "07-04-2004";
    r.TimesPicked = 2;
    r.Omit = "F";
    r.Notes = "note";
    return r;
}

class RecordChangesTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder.createDatabase(QStringLiteral("club"),
                              {QStringLiteral("NAME"), QStringLiteral("CITY")});
        handle = trm_Open(folder.folder().dataFile(QStringLiteral("club")), 0);
        ASSERT_GT(handle, 0);
    }
    void TearDown() override { trm_CloseAll(); }

    QByteArrayList names() {
        QByteArrayList seen;
        for (QByteArray r = trm_GetFirst(handle, 1); !r.isEmpty(); r = trm_GetNext(handle)) {
            seen << CodePage::trimmed(RecordFromString<DataRecord>(r).Field[0]);
        }
        return seen;
    }

    qint64 insert(const DataRecord& r) {
        EXPECT_EQ(trm_Insert(handle, RecordToString(r)), 0);
        return trm_GetPosition(handle);
    }

    qint64 fileSize() const {
        return QFileInfo(folder.folder().dataFile(QStringLiteral("club"))).size();
    }

    TestFolder folder;
    int handle = 0;
};

TEST_F(RecordChangesTest, SaveCopiesStoresIdenticalCopiesAndCountsThem) {
    insert(entry("ANN"));
    const ChangeResult result = RecordChanges::SaveCopies(handle, entry("BOB", "ROME"), 3);
    ASSERT_TRUE(result.ok()) << result.reason.toStdString();
    EXPECT_EQ(result.total, 4);
    EXPECT_EQ(trm_Count(handle), 4);
    EXPECT_EQ(names(), (QByteArrayList{"ANN", "BOB", "BOB", "BOB"}));

    // Every copy is the record byte for byte; the position names the last one.
    const QByteArray expected = RecordToString(entry("BOB", "ROME"));
    for (qint64 n = 2; n <= 4; ++n) EXPECT_EQ(RecordAtPosition(handle, 880, n), expected);
    EXPECT_EQ(trm_GetDirect(handle, result.position), expected);
    EXPECT_EQ(RecordAtPosition(handle, 880, 4), trm_GetDirect(handle, result.position));
    EXPECT_EQ(trm_GetPosition(handle), result.position);
}

TEST_F(RecordChangesTest, SaveCopiesReportsProgressAndStopsWithNothingSaved) {
    insert(entry("ANN"));
    std::vector<qint64> reported;
    auto stopAtSecondReport = [&](qint64 saved, qint64 copies) {
        EXPECT_EQ(copies, 5000);
        reported.push_back(saved);
        return reported.size() < 2;
    };
    const ChangeResult result =
        RecordChanges::SaveCopies(handle, entry("BOB"), 5000, stopAtSecondReport);
    EXPECT_TRUE(result.cancelled);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(reported, (std::vector<qint64>{2000, 4000}));
    EXPECT_EQ(result.total, 1);
    EXPECT_EQ(trm_Count(handle), 1);
    EXPECT_EQ(names(), (QByteArrayList{"ANN"}));
    EXPECT_EQ(RecordAtPosition(handle, 880, 2), QByteArray("0"));

    // The file takes the next save as usual.
    std::vector<qint64> all;
    const ChangeResult again = RecordChanges::SaveCopies(
        handle, entry("CY"), 2, [&](qint64 saved, qint64) { return all.push_back(saved), true; });
    EXPECT_TRUE(again.ok());
    EXPECT_EQ(all, (std::vector<qint64>{2}));
    EXPECT_EQ(names(), (QByteArrayList{"ANN", "CY", "CY"}));
}

TEST_F(RecordChangesTest, SaveCopiesThatRunsOutOfDiskPartWaySavesNone) {
    insert(entry("ANN"));
    const qint64 before = fileSize();
    ChangeResult result;
    {
        // Room for a few hundred copies of the 20,000 asked for.
        const FileSizeLimit limit(rlim_t(before + 256 * 1024));
        result = RecordChanges::SaveCopies(handle, entry("BOB"), 20000);
    }
    EXPECT_FALSE(result.ok());
    EXPECT_FALSE(result.cancelled);
    EXPECT_NE(result.code, TrmCode::Ok);
    EXPECT_FALSE(result.reason.isEmpty());
    EXPECT_EQ(result.total, 1);
    EXPECT_EQ(trm_Count(handle), 1);
    EXPECT_EQ(names(), (QByteArrayList{"ANN"}));

    // What is on disk agrees once the file is opened afresh.
    trm_CloseAll();
    handle = trm_Open(folder.folder().dataFile(QStringLiteral("club")), 0);
    ASSERT_GT(handle, 0);
    EXPECT_EQ(trm_Count(handle), 1);
    EXPECT_EQ(names(), (QByteArrayList{"ANN"}));
}

TEST_F(RecordChangesTest, UpdateAndDeleteActOnTheGivenRecordWhateverWasFetchedSince) {
    insert(entry("ANN"));
    const qint64 bob = insert(entry("BOB"));
    insert(entry("CY"));
    trm_GetFirst(handle, 1);  // another window's fetch: ANN is now current

    const ChangeResult updated = RecordChanges::Update(handle, bob, entry("ZED", "OSLO"));
    ASSERT_TRUE(updated.ok()) << updated.reason.toStdString();
    EXPECT_EQ(updated.position, bob);
    EXPECT_EQ(names(), (QByteArrayList{"ANN", "CY", "ZED"}));
    EXPECT_EQ(trm_GetDirect(handle, bob), RecordToString(entry("ZED", "OSLO")));

    trm_GetLast(handle, 1);
    trm_GetFirst(handle, 1);
    const ChangeResult deleted = RecordChanges::Delete(handle, bob);
    ASSERT_TRUE(deleted.ok()) << deleted.reason.toStdString();
    EXPECT_EQ(deleted.total, 2);
    EXPECT_EQ(names(), (QByteArrayList{"ANN", "CY"}));
}

TEST_F(RecordChangesTest, UpdateAndDeleteOfARecordNoLongerThereChangeNothing) {
    insert(entry("ANN"));
    const qint64 gone = insert(entry("BOB"));
    ASSERT_EQ(trm_Delete(handle), 0);

    using Change = std::function<ChangeResult(qint64)>;
    const std::pair<const char*, Change> changes[] = {
        {"update", [&](qint64 p) { return RecordChanges::Update(handle, p, entry("NEW")); }},
        {"delete", [&](qint64 p) { return RecordChanges::Delete(handle, p); }},
    };
    for (const auto& [name, change] : changes) {
        for (qint64 position : {gone, qint64(0)}) {
            trm_GetFirst(handle, 1);  // a current record the change must not touch
            const ChangeResult result = change(position);
            EXPECT_FALSE(result.ok()) << name << " of " << position;
            EXPECT_EQ(result.code, TrmCode::NoCurrentRecord) << name;
            EXPECT_FALSE(result.reason.isEmpty()) << name;
            EXPECT_EQ(names(), (QByteArrayList{"ANN"})) << name << " of " << position;
        }
    }
}

TEST_F(RecordChangesTest, UpdateAndDeleteThatCannotWriteSayWhyAndChangeNothing) {
    insert(entry("ANN"));
    const qint64 bob = insert(entry("BOB"));
    const QByteArray stored = trm_GetDirect(handle, bob);
    ChangeResult updated;
    ChangeResult deleted;
    {
        const FileSizeLimit limit(256);  // nothing can be written at all
        updated = RecordChanges::Update(handle, bob, entry("ZED"));
        deleted = RecordChanges::Delete(handle, bob);
    }
    for (const ChangeResult& result : {updated, deleted}) {
        EXPECT_FALSE(result.ok());
        EXPECT_NE(result.code, TrmCode::Ok);
        EXPECT_FALSE(result.reason.isEmpty());
    }
    EXPECT_EQ(trm_Count(handle), 2);
    EXPECT_EQ(trm_GetDirect(handle, bob), stored);
    EXPECT_EQ(names(), (QByteArrayList{"ANN", "BOB"}));
}

}  // namespace
