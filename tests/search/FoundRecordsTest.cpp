#include <gtest/gtest.h>

#include "records/PickDatabase.h"
#include "search/FoundRecords.h"

namespace {

QByteArray record(const QByteArray& name, const QByteArray& colour, const QByteArray& notes = {}) {
    DataRecord r = PickDatabase::entry({name, colour});
    r.Notes = notes;
    return RecordToString(r);
}

class FoundRecordsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GT(handle, 0);
        for (const auto& [name, colour] :
             {std::pair{"Cherry", "Red"}, {"Apple", "Green"}, {"Banana", "Yellow"}})
            ASSERT_EQ(trm_Insert(handle, record(name, colour)), 0);
    }

    qint64 identityOf(const QByteArray& name) {
        trm_GetEqual(handle, 1, name);
        return trm_GetPosition(handle);
    }

    PickDatabase db{{"NAME", "COLOUR"}};
    const int handle = db.handle;
};

// A search of many records asks now and then whether to go on, and stops
// with nothing. (What a search finds is the find window's test.)
TEST_F(FoundRecordsTest, ALongSearchMayBeStopped) {
    db.add(std::vector<DataRecord>(40000, PickDatabase::entry({"Damson", "Blue"})));
    int asked = 0;
    const FoundRecords::Listing stopped =
        FoundRecords::Matching(handle, 1, TrmSearch::Greater, "B", [&] { return ++asked < 2; });
    EXPECT_EQ(stopped.code, TrmCode::Stopped);
    EXPECT_TRUE(stopped.positions.empty());
    EXPECT_EQ(asked, 2);
}

// A row is handed back only while its record is in the file as listed; the
// find window's test drives the rest.
TEST_F(FoundRecordsTest, APickedRowGivesItsOwnRecordOnlyWhileItIsAsListed) {
    // Notes are not listed: a record stamped or annotated is still the one chosen.
    const qint64 banana = identityOf("Banana");
    trm_Update(handle, record("Banana", "Yellow", "ripe"));
    EXPECT_TRUE(FoundRecords::Pick(handle, banana, {"Banana", "Yellow"}).has_value());
    // The identity of the last record deleted is given to the next one inserted.
    trm_Delete(handle);
    trm_Insert(handle, record("Date", "Brown"));
    EXPECT_EQ(trm_GetPosition(handle), banana);
    EXPECT_FALSE(FoundRecords::Pick(handle, banana, {"Banana", "Yellow"}).has_value());
    EXPECT_FALSE(FoundRecords::Pick(handle, banana, {"Banana", "Brown"}).has_value());
}

}  // namespace
