#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <functional>
#include <random>
#include <vector>

#include "store/KeyLayout.h"
#include "store/RecordManager.h"
#include "store/RecordText.h"
#include "store/Records.h"
#include "support/TestFolder.h"

namespace {

QByteArray record(const QByteArray& first, const QByteArray& notes = {},
                  const QByteArray& second = {}, const QByteArray& omit = "F") {
    DataRecord r;
    r.Field[0] = first;
    r.Field[1] = second;
    r.Notes = notes;
    r.Omit = omit;
    return RecordToString(r);
}

QByteArray notesOf(const QByteArray& recordString) {
    return RecordText::trimmed(RecordFromString<DataRecord>(recordString).Notes);
}

// Runs SQL on a record file from a connection of its own: the first value of each row.
QStringList queryOn(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    QStringList values;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    const auto collect = [](void* out, int, char** row, char**) {
        *static_cast<QStringList*>(out) << QString::fromUtf8(row[0]);
        return 0;
    };
    EXPECT_EQ(sqlite3_exec(db, sql, collect, &values, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
    return values;
}

// The indexes a record file holds on disk, as SQLite itself lists them.
QStringList indexesOf(const QString& path) {
    return queryOn(path, "SELECT name FROM sqlite_master WHERE type = 'index' ORDER BY name");
}

const QStringList kAllIndexes = {"flag", "key1", "key2"};

class RecordManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = folder.file("shop.dat");
        ASSERT_EQ(trm_Create(path, KeyLayout::Build({"NAME", "CITY"}), 1), 0);
        handle = trm_Open(path, 0);
        ASSERT_GT(handle, 0);
    }
    void TearDown() override {
        trm_FailAfter(-1, 0);
        trm_CloseAll();
    }

    // The notes a walk visits, each record checked against a fetch by its
    // identity made meanwhile (which must not break the walk).
    struct Walked {
        int code = -1;
        QByteArrayList notes;
    };
    Walked walkWith(const std::function<int(const TrmVisitor&)>& walker) {
        Walked w;
        w.code = walker([&](qint64 id, const QByteArray& r) {
            w.notes << notesOf(r);
            EXPECT_EQ(trm_GetDirect(handle, id), r);
            return true;
        });
        return w;
    }

    void insert(const QByteArray& name, const QByteArray& notes) {
        ASSERT_EQ(trm_Insert(handle, record(name, notes)), 0);
    }

    TestFolder folder;
    QString path;
    int handle = 0;
};

// Duplicates in the order they were added, whichever way the walk goes.
TEST_F(RecordManagerTest, BrowsingFoldsCaseKeepsDuplicatesInOrderBothWaysAndStopsAtTheEnds) {
    for (auto [name, notes] :
         {std::pair{"b", "1"}, {"A", "2"}, {"a", "3"}, {"c", "4"}, {"B", "5"}, {"C", "6"}})
        insert(name, notes);
    QByteArrayList forward, backward;
    for (QByteArray r = trm_GetFirst(handle, 1); !r.isEmpty(); r = trm_GetNext(handle))
        forward << notesOf(r);
    for (QByteArray r = trm_GetLast(handle, 1); !r.isEmpty(); r = trm_GetPrev(handle))
        backward << notesOf(r);
    EXPECT_EQ(forward, QByteArrayList({"2", "3", "1", "5", "4", "6"}));
    EXPECT_EQ(backward, QByteArrayList({"6", "4", "5", "1", "3", "2"}));
    // Running off an end leaves the place where it was.
    EXPECT_EQ(trm_Result(handle), TrmCode::EndOfFile);
    EXPECT_EQ(notesOf(trm_GetNext(handle)), "3");
}

// Another program's database is refused before a byte of it changes, even one
// SQLite would otherwise switch out of its write-ahead mode; one of ours with
// a table, a column, an index or pages gone is said to be damaged.
TEST_F(RecordManagerTest, FilesNotOursAreRefusedUntouchedAndDamagedOnesSaidSo) {
    EXPECT_EQ(trm_Open(folder.file("none.dat"), 0), -TrmCode::FileNotFound);
    EXPECT_EQ(trm_OpenShared(folder.file("none.hst"), handle), -TrmCode::FileNotFound);
    const QString wal = folder.write("wal.dat", "");
    queryOn(wal, "PRAGMA journal_mode=WAL; CREATE TABLE t(x); INSERT INTO t VALUES(1);");
    const QStringList foreign = {wal, folder.write("text.dat", "name,city\nAnn,Oslo\n"),
                                 folder.write("empty.dat", ""),
                                 folder.write("short.dat", QByteArray("SQLite format 3\0", 16))};
    const QByteArray walBefore = folder.readAll("wal.dat");
    const QStringList files = folder.files();
    for (const QString& file : foreign) {
        EXPECT_EQ(trm_Open(file, 0), -TrmCode::NotADatabase) << file.toStdString();
        EXPECT_EQ(trm_OpenShared(file, handle), -TrmCode::NotADatabase) << file.toStdString();
    }
    EXPECT_EQ(folder.readAll("wal.dat"), walBefore);
    EXPECT_EQ(folder.files(), files);
    {
        TrmTransaction tx(handle);  // the open file works on, and fills past its first pages
        for (int i = 0; i < 500; ++i) ASSERT_EQ(trm_Insert(handle, record("B")), 0);
        ASSERT_EQ(tx.commit(), 0);
    }
    trm_CloseAll();
    const QByteArray whole = folder.readAll("shop.dat");
    for (const char* damage :
         {"DROP TABLE layout", "DROP INDEX key2; ALTER TABLE records DROP COLUMN f2",
          "DROP INDEX flag", "UPDATE layout SET kind = 'other'"}) {
        folder.write("shop.dat", whole);
        queryOn(path, damage);
        EXPECT_EQ(trm_Open(path, 0), -TrmCode::Damaged) << damage;
    }
    // Damaged past the header, the field list and the index roots, it must
    // not pass for an empty database.
    QByteArray spoilt = whole;
    std::fill(spoilt.begin() + 6 * 4096, spoilt.end(), '\xff');
    folder.write("shop.dat", spoilt);
    EXPECT_EQ(trm_Open(path, 0), -TrmCode::Damaged);
    EXPECT_EQ(trm_ResultText(TrmCode::Damaged),
              "The file is damaged: its tables are not as RANDOLA writes them.");
}

// Positions must agree with a plain sorted model through every kind of change,
// inside and outside transactions.
TEST_F(RecordManagerTest, PositionsFollowEveryChange) {
    std::mt19937 random(7);
    std::vector<std::pair<QByteArray, int>> model;  // (folded key, serial) in key order
    int serial = 0;
    const auto place = [&](QByteArray key, int id) {
        const std::pair<QByteArray, int> row{key.toUpper(), id};
        model.insert(std::upper_bound(model.begin(), model.end(), row), row);
        return record(key, QByteArray::number(id));
    };
    const auto keyText = [&] { return QByteArray(1, char("aBcDeF"[random() % 6])); };
    const auto check = [&] {
        ASSERT_EQ(trm_Count(handle), int(model.size()));
        for (std::size_t i = 0; i < model.size(); ++i) {
            ASSERT_EQ(notesOf(RecordAtPosition(handle, 880, qint64(i) + 1)),
                      QByteArray::number(model[i].second))
                << "position " << i + 1;
        }
    };
    for (int i = 0; i < 40; ++i) ASSERT_EQ(trm_Insert(handle, place(keyText(), serial++)), 0);
    check();
    for (int round = 0; round < 30; ++round) {
        const std::size_t victim = random() % model.size();
        RecordAtPosition(handle, 880, qint64(victim) + 1);
        const int id = model[victim].second;
        model.erase(model.begin() + qint64(victim));
        if (round % 2 == 0) {
            ASSERT_EQ(trm_Delete(handle), 0);
        } else {
            ASSERT_EQ(trm_Update(handle, place(keyText(), id)), 0);
        }
        ASSERT_EQ(trm_Insert(handle, place(keyText(), serial++)), 0);
        check();
    }
    {
        TrmTransaction tx(handle);  // enough changes to drop the index for one rebuild
        for (int i = 0; i < 100; ++i) ASSERT_EQ(trm_Insert(handle, place(keyText(), serial++)), 0);
        check();
        ASSERT_EQ(tx.commit(), 0);
    }
    check();
    EXPECT_EQ(RecordAtPosition(handle, 880, 0), "0");

    // Another program's changes (a connection of its own) are followed as well.
    const int other = trm_Open(path, 0);
    for (int i = 0; i < 5; ++i) ASSERT_EQ(trm_Insert(other, place(keyText(), serial++)), 0);
    check();
    trm_Close(other);
}

// Building the indexes of a large load asks again and again whether to go
// on; a no ends the load in failure and the roll-back leaves the file as it was.
TEST_F(RecordManagerTest, BulkLoadAsksToGoOnWhileItBuildsTheIndexes) {
    insert("m", "before");
    for (const bool goOn : {false, true}) {
        SCOPED_TRACE(goOn);
        int asked = 0;
        {
            TrmTransaction tx(handle);
            ASSERT_EQ(trm_BeginBulkLoad(handle), 0);
            for (int i = 0; i < 5000; ++i)
                ASSERT_EQ(trm_Insert(handle, record(QByteArray::number(i), "n")), 0);
            const int code = trm_EndBulkLoad(handle, [&] {
                ++asked;
                return goOn;
            });
            EXPECT_EQ(code, goOn ? TrmCode::Ok : TrmCode::IoError);
            if (goOn) {
                ASSERT_EQ(tx.commit(), 0);
            }
        }
        EXPECT_GE(asked, 1);
        EXPECT_EQ(trm_Count(handle), goOn ? 5001 : 1);
        EXPECT_EQ(indexesOf(path), kAllIndexes);
    }
    EXPECT_EQ(notesOf(trm_GetEqual(handle, 1, "4999")), "n");
}

}  // namespace

// The walks a report over a whole file needs: along a key, in the order the
// file keeps the records, and the identities alone in a key's order. Each
// visits every record once, may stop early and leaves the current record alone.
TEST_F(RecordManagerTest, WalksVisitEveryRecordOnceAndLeaveTheCurrentRecord) {
    for (auto [name, notes] :
         {std::pair{"pear", "p"}, {"Apple", "a1"}, {"cherry", "c"}, {"apple", "a2"}})
        insert(name, notes);
    ASSERT_FALSE(trm_GetEqual(handle, 1, "cherry").isEmpty());
    ASSERT_EQ(trm_Update(handle, record("zebra", "c")), TrmCode::Ok);  // moves nothing stored
    const auto identities = [&](int key) {
        return [this, key](const TrmVisitor& v) {
            return trm_ScanIdentities(handle, key,
                                      [&](qint64 id) { return v(id, trm_Peek(handle, id)); });
        };
    };
    using Walker = std::function<int(const TrmVisitor&)>;
    const std::pair<Walker, QByteArrayList> walks[] = {
        {[&](const TrmVisitor& v) { return trm_Scan(handle, 1, v); }, {"a1", "a2", "p", "c"}},
        {[&](const TrmVisitor& v) { return trm_ScanStored(handle, v); }, {"p", "a1", "c", "a2"}},
        {identities(1), {"a1", "a2", "p", "c"}},
        {identities(2), {"p", "a1", "c", "a2"}},  // all blank: insertion order
    };
    for (const auto& [walker, notes] : walks) {
        const Walked all = walkWith(walker);
        ASSERT_EQ(all.code, TrmCode::Ok);
        EXPECT_EQ(all.notes, notes);
        ASSERT_FALSE(trm_GetFirst(handle, 1).isEmpty());
        int visited = 0;
        EXPECT_EQ(walker([&](qint64, const QByteArray&) { return ++visited < 2; }), TrmCode::Ok);
        EXPECT_EQ(visited, 2);
        EXPECT_EQ(notesOf(trm_GetNext(handle)), "a2");  // still just after the first record
    }
}
