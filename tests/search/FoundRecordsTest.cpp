#include <gtest/gtest.h>

#include "records/PickDatabase.h"
#include "search/FoundRecords.h"
#include "store/RecordText.h"

namespace {

QByteArray record(const QByteArray& name, const QByteArray& colour, const QByteArray& notes = {}) {
    DataRecord r = PickDatabase::entry({name, colour});
    r.Notes = notes;
    return RecordToString(r);
}

QByteArray nameOf(const QByteArray& recordString) {
    return RecordText::trimmed(recordString.left(DataRecord::FieldWidth));
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
    QByteArrayList names(const std::vector<qint64>& positions) {
        QByteArrayList out;
        for (qint64 p : positions) out << nameOf(trm_Peek(handle, p));
        return out;
    }

    PickDatabase db{{"NAME", "COLOUR"}};
    const int handle = db.handle;
};

TEST(RowNumberTest, HasAtLeastTwoDigitsAndNoGrouping) {
    const std::pair<qint64, const char*> rows[] = {
        {1, "01"}, {7, "07"}, {10, "10"}, {100, "100"}, {1234567, "1234567"}};
    for (const auto& [row, shown] : rows) EXPECT_EQ(FoundRecords::RowNumber(row), shown) << row;
}

// The grid reads its rows while the record window browses: neither the
// listing, the search nor a row's read may move the file's current record.
TEST_F(FoundRecordsTest, ListingSearchingAndReadingRowsLeaveTheCurrentRecord) {
    trm_GetFirst(handle, 1);  // Apple
    const FoundRecords::Listing all = FoundRecords::All(handle);
    EXPECT_EQ(all.code, 0);
    EXPECT_EQ(names(all.positions), (QByteArrayList{"Apple", "Banana", "Cherry"}));
    const FoundRecords::Listing found =
        FoundRecords::Matching(handle, 2, TrmSearch::Greater, "green");
    EXPECT_EQ(found.code, 0);
    EXPECT_EQ(names(found.positions), (QByteArrayList{"Cherry", "Banana"}));  // Red, Yellow
    EXPECT_EQ(FoundRecords::CellsOf(handle, found.positions[0], 2), (QStringList{"Cherry", "Red"}));
    EXPECT_EQ(nameOf(trm_GetNext(handle)), "Banana");

    const FoundRecords::Listing none = FoundRecords::Matching(handle, 1, TrmSearch::Less, "APPLE");
    EXPECT_EQ(none.code, TrmCode::KeyNotFound);
    EXPECT_TRUE(none.positions.empty());
    EXPECT_EQ(FoundRecords::Matching(handle, 3, TrmSearch::Equal, "x").code, TrmCode::BadKeyNumber);

    // A search of many records asks now and then whether to go on, and stops with nothing.
    db.add(std::vector<DataRecord>(40000, PickDatabase::entry({"Damson", "Blue"})));
    int asked = 0;
    const FoundRecords::Listing stopped =
        FoundRecords::Matching(handle, 1, TrmSearch::Greater, "B", [&] { return ++asked < 2; });
    EXPECT_EQ(stopped.code, TrmCode::Stopped);
    EXPECT_TRUE(stopped.positions.empty());
    EXPECT_EQ(asked, 2);
}

// A row is handed back only while its record is in the file as listed.
TEST_F(FoundRecordsTest, APickedRowGivesItsOwnRecordOnlyWhileItIsAsListed) {
    const qint64 banana = identityOf("Banana");
    const QStringList shown = {"Banana", "Yellow"};
    trm_GetFirst(handle, 1);
    const std::optional<DataRecord> picked = FoundRecords::Pick(handle, banana, shown);
    ASSERT_TRUE(picked.has_value());
    EXPECT_EQ(RecordText::trimmed(picked->Field[1]), "Yellow");
    EXPECT_EQ(trm_GetPosition(handle), banana);  // the record window goes on from it

    // Notes are not listed: a record stamped or annotated is still the one chosen.
    trm_Update(handle, record("Banana", "Yellow", "ripe"));
    EXPECT_TRUE(FoundRecords::Pick(handle, banana, shown).has_value());
    trm_Update(handle, record("Banana", "Brown"));
    EXPECT_FALSE(FoundRecords::Pick(handle, banana, shown).has_value());

    // The identity of the last record deleted is given to the next one inserted.
    const qint64 last = identityOf("Banana");
    trm_Delete(handle);
    EXPECT_FALSE(FoundRecords::CellsOf(handle, last, 2).has_value());
    EXPECT_FALSE(FoundRecords::Pick(handle, last, {"Banana", "Brown"}).has_value());
    trm_Insert(handle, record("Date", "Brown"));
    EXPECT_EQ(trm_GetPosition(handle), last);
    EXPECT_FALSE(FoundRecords::Pick(handle, last, {"Banana", "Brown"}).has_value());
}

}  // namespace
