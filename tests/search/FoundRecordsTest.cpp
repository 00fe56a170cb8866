#include <gtest/gtest.h>

#include "records/PickDatabase.h"
#include "search/FoundRecords.h"

// A search of many records asks now and then whether to go on, and stops
// with nothing. (What a search finds, and which rows hand over their
// records, is the find window's test.)
TEST(FoundRecords, ALongSearchMayBeStopped) {
    PickDatabase db{{"NAME", "COLOUR"}};
    db.add(std::vector<DataRecord>(40000, PickDatabase::entry({"Damson", "Blue"})));
    int asked = 0;
    const FoundRecords::Listing stopped =
        FoundRecords::Matching(db.handle, 1, TrmSearch::Greater, "B", [&] { return ++asked < 2; });
    EXPECT_EQ(stopped.code, TrmCode::Stopped);
    EXPECT_TRUE(stopped.positions.empty());
    EXPECT_EQ(asked, 2);
}
