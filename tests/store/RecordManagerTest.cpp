#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QFile>
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

    // Notes of every record from first to last along key 1.
    QByteArrayList walk() {
        QByteArrayList seen;
        for (QByteArray r = trm_GetFirst(handle, 1); !r.isEmpty(); r = trm_GetNext(handle))
            seen << notesOf(r);
        EXPECT_EQ(trm_Result(handle), TrmCode::EndOfFile);
        return seen;
    }

    // The identities and notes a walk visits, each record checked against a
    // fetch by its identity made meanwhile (which must not break the walk).
    struct Walked {
        int code = -1;
        QList<qint64> ids;
        QByteArrayList notes;
    };
    Walked walkWith(const std::function<int(const TrmVisitor&)>& walker) {
        Walked w;
        w.code = walker([&](qint64 id, const QByteArray& r) {
            w.ids << id;
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

TEST_F(RecordManagerTest, BrowsingFoldsCaseKeepsDuplicatesInOrderAndStopsAtTheEnds) {
    for (auto [name, notes] : {std::pair{"b", "1"}, {"A", "2"}, {"a", "3"}, {"c", "4"}, {"B", "5"}})
        insert(name, notes);
    EXPECT_EQ(walk(), QByteArrayList({"2", "3", "1", "5", "4"}));
    EXPECT_EQ(trm_Count(handle), 5);
    // Running off either end leaves the place where it was.
    EXPECT_TRUE(trm_GetNext(handle).isEmpty());
    EXPECT_EQ(notesOf(trm_GetPrev(handle)), "5");
    EXPECT_EQ(notesOf(trm_GetFirst(handle, 1)), "2");
    EXPECT_TRUE(trm_GetPrev(handle).isEmpty());
    EXPECT_EQ(trm_Result(handle), TrmCode::EndOfFile);
    EXPECT_EQ(notesOf(trm_GetNext(handle)), "3");
    EXPECT_EQ(notesOf(trm_GetLast(handle, 1)), "4");
}

TEST_F(RecordManagerTest, MisuseGivesItsCodeAndChangesNothing) {
    EXPECT_TRUE(trm_GetFirst(handle, 1).isEmpty());
    EXPECT_EQ(trm_Result(handle), TrmCode::EndOfFile);
    EXPECT_TRUE(trm_GetNext(handle).isEmpty());
    EXPECT_EQ(trm_Result(handle), TrmCode::NoCurrentRecord);
    EXPECT_EQ(trm_Update(handle, record("x")), TrmCode::NoCurrentRecord);
    EXPECT_EQ(trm_Delete(handle), TrmCode::NoCurrentRecord);
    EXPECT_TRUE(trm_GetFirst(handle, 3).isEmpty());
    EXPECT_EQ(trm_Result(handle), TrmCode::BadKeyNumber);
    EXPECT_EQ(trm_Insert(handle, QByteArray()), TrmCode::BadRecord);
    EXPECT_EQ(trm_Insert(999, record("x")), TrmCode::FileNotOpen);
    EXPECT_EQ(trm_FileIsOpen(999), 0);
    EXPECT_EQ(trm_Count(handle), 0);
}

TEST_F(RecordManagerTest, KeyedSearchesFindTheFirstRecordThatComparesSo) {
    for (const char* city : {"Oslo", "Bergen", "Oslo", "Tromso", "Alta"})
        ASSERT_EQ(trm_Insert(handle, record("n", city, city)), 0);
    struct Case {
        QByteArray (*fetch)(int, int, const QByteArray&);
        QByteArray value;
        QByteArray expected;  // empty: none found
    };
    const Case cases[] = {
        {trm_GetEqual, "oslo", "Oslo"},
        {trm_GetEqual, "Molde", ""},
        {trm_GetEqualOrGreater, "Molde", "Oslo"},
        {trm_GetGreater, "Oslo", "Tromso"},
        {trm_GetGreater, "Tromso", ""},
        {trm_GetEqualOrLess, "Bergen", "Alta"},
        {trm_GetLess, "Alta", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(notesOf(c.fetch(handle, 2, c.value)), c.expected) << c.value.constData();
        EXPECT_EQ(trm_Result(handle), c.expected.isEmpty() ? TrmCode::KeyNotFound : TrmCode::Ok);
    }
    // The search sets the key path: next follows key 2 through its duplicates.
    trm_GetEqual(handle, 2, "Bergen");
    for (const char* next : {"Oslo", "Oslo", "Tromso"})
        EXPECT_EQ(notesOf(trm_GetNext(handle)), next);
}

TEST_F(RecordManagerTest, ChangesKeepBytesSurviveReopeningAndFollowTheShownRecord) {
    DataRecord r;
    r.Field[0] = "Zoe";
    r.TimesPicked = 0;  // NUL bytes inside the record
    const QByteArray bytes = RecordToString(r);
    ASSERT_EQ(trm_Insert(handle, bytes), 0);
    insert("A", "a");
    insert("B", "b");
    trm_GetEqual(handle, 1, "A");
    const qint64 shown = trm_GetPosition(handle);
    ASSERT_EQ(trm_Update(handle, record("D", "a")), 0);  // A becomes D and moves
    trm_GetEqual(handle, 1, "B");
    ASSERT_EQ(trm_Delete(handle), 0);
    EXPECT_EQ(trm_Delete(handle), TrmCode::NoCurrentRecord);
    EXPECT_EQ(notesOf(trm_GetNext(handle)), "a");  // on from where B stood
    EXPECT_EQ(notesOf(trm_GetDirect(handle, shown)), "a");

    ASSERT_EQ(trm_Close(handle), 0);
    handle = trm_Open(path, 0);
    ASSERT_GT(handle, 0);
    EXPECT_EQ(trm_Count(handle), 2);
    EXPECT_EQ(trm_GetLast(handle, 1), bytes);
    EXPECT_EQ(walk(), QByteArrayList({"a", ""}));
}

TEST_F(RecordManagerTest, OpenRefusesMissingAndForeignFiles) {
    EXPECT_EQ(trm_Open(folder.file("none.dat"), 0), -TrmCode::FileNotFound);
    for (const QString& foreign :
         {folder.write("text.dat", "name,city\nAnn,Oslo\n"), folder.write("empty.dat", ""),
          folder.write("short.dat", QByteArray("SQLite format 3\0", 16))}) {
        EXPECT_EQ(trm_Open(foreign, 0), -TrmCode::NotADatabase) << foreign.toStdString();
        EXPECT_EQ(trm_OpenShared(foreign, handle), -TrmCode::NotADatabase) << foreign.toStdString();
    }
    EXPECT_EQ(trm_OpenShared(folder.file("none.hst"), handle), -TrmCode::FileNotFound);
    EXPECT_EQ(trm_Insert(handle, record("A")), 0);  // the open file works on

    // A file damaged past its first page must not pass for an empty database.
    {
        TrmTransaction tx(handle);
        for (int i = 0; i < 500; ++i) ASSERT_EQ(trm_Insert(handle, record("B")), 0);
        ASSERT_EQ(tx.commit(), 0);
    }
    trm_CloseAll();
    QFile damaged(path);
    ASSERT_TRUE(damaged.open(QIODevice::ReadWrite));
    damaged.seek(6 * 4096);  // past the header, the field list and the index roots
    damaged.write(QByteArray(int(damaged.size()) - 6 * 4096, '\xff'));
    damaged.close();
    EXPECT_EQ(trm_Open(path, 0), -TrmCode::Damaged);
}

// Another program's database is refused before a byte of it changes, even one
// SQLite would otherwise switch out of its write-ahead mode; one of ours with
// a table, a column or an index gone is said to be damaged.
TEST_F(RecordManagerTest, FilesNotOursAreLeftUntouchedAndDamagedOnesSaidSo) {
    const QString foreign = folder.write("wal.dat", "");
    queryOn(foreign, "PRAGMA journal_mode=WAL; CREATE TABLE t(x); INSERT INTO t VALUES(1);");
    const QByteArray before = folder.readAll("wal.dat");
    const QStringList files = folder.files();
    EXPECT_EQ(trm_Open(foreign, 0), -TrmCode::NotADatabase);
    EXPECT_EQ(trm_OpenShared(foreign, handle), -TrmCode::NotADatabase);
    EXPECT_EQ(folder.readAll("wal.dat"), before);
    EXPECT_EQ(folder.files(), files);

    insert("A", "a");
    trm_CloseAll();
    const QByteArray whole = folder.readAll("shop.dat");
    for (const char* damage :
         {"DROP TABLE layout", "DROP INDEX key2; ALTER TABLE records DROP COLUMN f2",
          "DROP INDEX flag", "UPDATE layout SET kind = 'other'"}) {
        folder.write("shop.dat", whole);
        queryOn(path, damage);
        EXPECT_EQ(trm_Open(path, 0), -TrmCode::Damaged) << damage;
    }
    EXPECT_EQ(trm_ResultText(TrmCode::Damaged),
              "The file is damaged: its tables are not as RANDOLA writes them.");
}

TEST_F(RecordManagerTest, CreateReplacesOnlyWithACompleteFile) {
    insert("A", "a");
    trm_CloseAll();
    EXPECT_EQ(trm_Create(path, "not a layout", 1), TrmCode::BadKeyLayout);
    EXPECT_EQ(trm_Create(folder.file("gone/x.dat"), KeyLayout::Build({"A"}), 1),
              TrmCode::CannotCreate);
    handle = trm_Open(path, 0);
    EXPECT_EQ(trm_Count(handle), 1);  // the refused creates left the old file alone
    trm_CloseAll();
    ASSERT_EQ(trm_Create(path, KeyLayout::Build({"ONLY"}), 1), 0);
    handle = trm_Open(path, 0);
    EXPECT_EQ(trm_Count(handle), 0);
    trm_GetFirst(handle, 2);
    EXPECT_EQ(trm_Result(handle), TrmCode::BadKeyNumber);  // one key now
    EXPECT_EQ(folder.files(), QStringList({"shop.dat"}));
}

TEST_F(RecordManagerTest, FailedOrAbortedChangesLeaveRecordsCountAndPositionsAsBefore) {
    insert("M", "m");
    insert("N", "n");
    trm_FailAfter(0, TrmCode::IoError);
    EXPECT_EQ(trm_Insert(handle, record("B")), TrmCode::IoError);
    {
        TrmTransaction tx(handle);
        ASSERT_EQ(tx.begun(), 0);
        for (int i = 0; i < 100; ++i) ASSERT_EQ(trm_Insert(handle, record("A")), 0);
        trm_GetFirst(handle, 1);
        ASSERT_EQ(trm_Delete(handle), 0);
        EXPECT_EQ(RecordAtPosition(handle, 880, 101).left(1), "N");
    }  // not committed
    EXPECT_EQ(trm_Count(handle), 2);
    EXPECT_EQ(walk(), QByteArrayList({"m", "n"}));
    EXPECT_EQ(RecordAtPosition(handle, 880, 2).left(1), "N");
    EXPECT_EQ(RecordAtPosition(handle, 880, 3), "0");
}

TEST_F(RecordManagerTest, SharedTransactionCommitsBothFilesOrNeither) {
    const QString historyPath = folder.file("shop.hst");
    ASSERT_EQ(trm_Create(historyPath, KeyLayout::Build({"NAME", "CITY"}), 1, TrmKind::History), 0);
    insert("A", "a");
    const auto pickOnce = [&](bool commit) {
        const int history = trm_OpenShared(historyPath, handle);
        ASSERT_GT(history, 0);
        {
            TrmTransaction tx(handle);
            trm_GetFirst(handle, 1);
            EXPECT_EQ(trm_Update(handle, record("A", "picked")), 0);
            EXPECT_EQ(trm_Insert(history, record("A", "picked").append(20, ' ')), 0);
            if (commit) {
                EXPECT_EQ(tx.commit(), 0);
            }
        }
        EXPECT_EQ(trm_Close(history), 0);
    };
    pickOnce(false);
    EXPECT_EQ(walk(), QByteArrayList({"a"}));
    pickOnce(true);
    EXPECT_EQ(walk(), QByteArrayList({"picked"}));
    trm_CloseAll();
    const int history = trm_Open(historyPath, 0);
    EXPECT_EQ(trm_Count(history), 1);
    EXPECT_EQ(trm_GetFirst(history, 1).size(), 900);
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

TEST_F(RecordManagerTest, OmitByteSelectsPositionsAndIsSetInPlace) {
    const char* flags[] = {"T", "F", "t", "T", " "};
    const char* names[] = {"e", "d", "c", "b", "a"};  // positions by name: a=1 .. e=5
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(trm_Insert(handle, record(names[i], {}, {}, flags[i])), 0);
    EXPECT_EQ(trm_PositionsWhere(handle, 624, 'T', true), (std::vector<qint64>{2, 5}));
    EXPECT_EQ(trm_PositionsWhere(handle, 624, 'T', false), (std::vector<qint64>{1, 3, 4}));
    EXPECT_EQ(trm_PositionsWhere(handle, 0, 'c', true), (std::vector<qint64>{3}));

    EXPECT_EQ(trm_SetByteWhere(handle, 99, ' ', 'Z', 10), -TrmCode::BadOffset);  // inside a key
    const QByteArray before = RecordAtPosition(handle, 880, 2);  // NUL bytes in its count
    {
        TrmTransaction aborted(handle);
        EXPECT_EQ(trm_SetByteWhere(handle, 624, 'T', 'F', 10), 2);
    }
    EXPECT_EQ(RecordAtPosition(handle, 880, 2), before);
    EXPECT_EQ(trm_SetByteWhere(handle, 624, 'T', 'F', 1), 1);
    EXPECT_EQ(trm_SetByteWhere(handle, 624, 'T', 'F', 1), 1);
    EXPECT_EQ(trm_SetByteWhere(handle, 624, 'T', 'F', 1), 0);
    QByteArray expected = before;
    expected[624] = 'F';
    EXPECT_EQ(RecordAtPosition(handle, 880, 2), expected);  // every other byte as it was
    EXPECT_EQ(trm_PositionsWhere(handle, 624, 'T', true), std::vector<qint64>{});
}

// An update that changes no key (here the notes, and a key's case, which
// keys fold away) leaves the key columns, and so their indexes, unwritten.
TEST_F(RecordManagerTest, RecordsWhoseByteDiffersComeInOrderWhateverTheirBytes) {
    // Bytes either side of 'T', and more than one on each side.
    const char* flags[] = {"t", "F", " ", "T", "Z", "A"};
    for (int i = 0; i < 6; ++i) {
        ASSERT_EQ(trm_Insert(handle, record(QByteArray(1, char('a' + i)), {}, {}, flags[i])), 0);
    }
    EXPECT_EQ(trm_IdentitiesWhere(handle, 624, 'T', true), (std::vector<qint64>{4}));
    EXPECT_EQ(trm_IdentitiesWhere(handle, 624, 'T', false), (std::vector<qint64>{1, 2, 3, 5, 6}));
    // Named a..f as inserted, so positions are identities.
    EXPECT_EQ(trm_PositionsWhere(handle, 624, 'T', false), (std::vector<qint64>{1, 2, 3, 5, 6}));
}

TEST_F(RecordManagerTest, UpdatesRewriteTheFieldsOnlyWhenAFieldChanges) {
    insert("ann", "1");
    insert("bob", "2");
    trm_CloseAll();
    // SQLite fires an "UPDATE OF" trigger only for statements that set those columns.
    queryOn(path,
            "CREATE TABLE keyWrites(id); CREATE TRIGGER keysSet AFTER UPDATE OF f1, f2 ON records "
            "BEGIN INSERT INTO keyWrites VALUES(new.id); END;");
    handle = trm_Open(path, 0);
    trm_GetFirst(handle, 1);
    const qint64 ann = trm_GetPosition(handle);
    ASSERT_EQ(trm_Update(handle, record("ann", "notes")), 0);
    ASSERT_EQ(trm_UpdateDirect(handle, ann, record("ann", "again", {}, "T")), 0);
    EXPECT_EQ(queryOn(path, "SELECT count(*) FROM keyWrites"), QStringList{"0"});
    EXPECT_EQ(trm_GetPosition(handle), ann);

    ASSERT_EQ(trm_UpdateDirect(handle, ann, record("cy", "moved")), 0);
    EXPECT_EQ(queryOn(path, "SELECT count(*) FROM keyWrites"), QStringList{"1"});
    EXPECT_EQ(walk(), QByteArrayList({"2", "moved"}));
    EXPECT_EQ(notesOf(trm_GetEqual(handle, 1, "CY")), "moved");
    EXPECT_EQ(notesOf(RecordAtPosition(handle, 880, 2)), "moved");

    trm_GetFirst(handle, 1);
    EXPECT_EQ(trm_UpdateDirect(handle, ann + 99, record("dan")), TrmCode::NoCurrentRecord);
    EXPECT_EQ(notesOf(trm_GetNext(handle)), "moved");  // the place kept
    EXPECT_EQ(trm_Count(handle), 2);
}

TEST_F(RecordManagerTest, BulkLoadIsRefusedOutsideATransactionOrOutOfTurn) {
    EXPECT_EQ(trm_BeginBulkLoad(handle), TrmCode::TransactionState);
    EXPECT_EQ(trm_EndBulkLoad(handle), TrmCode::TransactionState);
    EXPECT_EQ(trm_BeginBulkLoad(handle + 99), TrmCode::FileNotOpen);
    TrmTransaction tx(handle);
    EXPECT_EQ(trm_EndBulkLoad(handle), TrmCode::TransactionState);
    EXPECT_EQ(trm_BeginBulkLoad(handle), TrmCode::Ok);
    EXPECT_EQ(trm_BeginBulkLoad(handle), TrmCode::TransactionState);
    EXPECT_EQ(trm_EndBulkLoad(handle), TrmCode::Ok);
    EXPECT_EQ(tx.commit(), TrmCode::Ok);
    EXPECT_EQ(indexesOf(path), kAllIndexes);
}

// However a bulk load ends, the file keeps every index, and its order,
// positions, count, keyed searches and omit selections agree with its rows.
TEST_F(RecordManagerTest, BulkLoadLeavesACompleteFileOrTheOneBefore) {
    insert("m", "before");
    enum class End { Loaded, CommittedWithoutEnd, Aborted, FailedInsert };
    for (End end : {End::Aborted, End::FailedInsert, End::CommittedWithoutEnd, End::Loaded}) {
        SCOPED_TRACE(int(end));
        const int countBefore = trm_Count(handle);
        const QByteArrayList orderBefore = walk();
        RecordAtPosition(handle, 880, 1);  // a rank index in use when the load begins
        {
            TrmTransaction tx(handle);
            ASSERT_EQ(trm_BeginBulkLoad(handle), 0);
            if (end == End::FailedInsert) trm_FailAfter(2, TrmCode::IoError);
            for (const char* name : {"z", "A", "k", "a"}) {
                const int code =
                    trm_Insert(handle, record(name, name, {}, name[0] == 'k' ? "T" : "F"));
                if (end == End::FailedInsert && code != 0) break;
                ASSERT_EQ(code, 0);
            }
            if (end == End::Loaded) {
                ASSERT_EQ(trm_EndBulkLoad(handle), 0);
            }
            if (end == End::Loaded || end == End::CommittedWithoutEnd) {
                ASSERT_EQ(tx.commit(), 0);
            }
        }
        EXPECT_EQ(indexesOf(path), kAllIndexes);
        if (end == End::Aborted || end == End::FailedInsert) {
            EXPECT_EQ(trm_Count(handle), countBefore);
            EXPECT_EQ(walk(), orderBefore);
            continue;
        }
        EXPECT_EQ(trm_Count(handle), countBefore + 4);
        EXPECT_EQ(notesOf(RecordAtPosition(handle, 880, 2)), notesOf(trm_GetNth(handle, 2)));
        EXPECT_EQ(notesOf(trm_GetEqual(handle, 1, "K")), "k");
        EXPECT_EQ(trm_CountWhere(handle, 624, 'T'), end == End::Loaded ? 2 : 1);
    }
    EXPECT_EQ(walk(), QByteArrayList({"A", "a", "A", "a", "k", "k", "before", "z", "z"}));
    EXPECT_EQ(trm_PositionsWhere(handle, 624, 'T', true), (std::vector<qint64>{5, 6}));
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
    ASSERT_FALSE(trm_GetLast(handle, 1).isEmpty());
    qint64 shown = trm_GetPosition(handle);
    const Walked first = walkWith([&](const TrmVisitor& v) { return trm_Scan(handle, 1, v); });
    ASSERT_EQ(first.code, TrmCode::Ok);
    EXPECT_EQ(first.notes, (QByteArrayList{"a1", "a2", "c", "p"}));
    EXPECT_EQ(first.ids.size(), 4);
    trm_GetDirect(handle, shown);
    int visited = 0;
    EXPECT_EQ(trm_Scan(handle, 1, [&](qint64, const QByteArray&) { return ++visited < 2; }),
              TrmCode::Ok);
    EXPECT_EQ(visited, 2);
    EXPECT_EQ(notesOf(trm_GetNext(handle)), "");  // still at the last record
    EXPECT_EQ(trm_Result(handle), TrmCode::EndOfFile);

    ASSERT_FALSE(trm_GetEqual(handle, 1, "cherry").isEmpty());
    ASSERT_EQ(trm_Update(handle, record("zebra", "c")), TrmCode::Ok);
    ASSERT_FALSE(trm_GetFirst(handle, 1).isEmpty());
    shown = trm_GetPosition(handle);
    const QList<qint64> keyed =
        walkWith([&](const TrmVisitor& v) { return trm_Scan(handle, 1, v); }).ids;
    const Walked stored = walkWith([&](const TrmVisitor& v) { return trm_ScanStored(handle, v); });
    ASSERT_EQ(stored.code, TrmCode::Ok);
    EXPECT_EQ(stored.notes, (QByteArrayList{"p", "a1", "c", "a2"}));  // a changed key moves nothing
    const auto sorted = [](QList<qint64> ids) { return std::sort(ids.begin(), ids.end()), ids; };
    EXPECT_EQ(sorted(stored.ids), sorted(keyed));  // each record once

    QList<qint64> identities;
    QByteArrayList bySecondKey;
    ASSERT_EQ(trm_ScanIdentities(handle, 1, [&](qint64 id) { return identities << id, true; }),
              TrmCode::Ok);
    EXPECT_EQ(identities, keyed);
    ASSERT_EQ(trm_ScanIdentities(handle, 2,
                                 [&](qint64 id) {
                                     bySecondKey << notesOf(trm_GetDirect(handle, id));
                                     return true;
                                 }),
              TrmCode::Ok);
    EXPECT_EQ(bySecondKey, (QByteArrayList{"p", "a1", "c", "a2"}));  // all blank: insertion order

    trm_GetDirect(handle, shown);
    visited = 0;
    EXPECT_EQ(trm_ScanStored(handle, [&](qint64, const QByteArray&) { return ++visited < 2; }),
              TrmCode::Ok);
    EXPECT_EQ(trm_ScanIdentities(handle, 1, [&](qint64) { return ++visited < 3; }), TrmCode::Ok);
    EXPECT_EQ(visited, 3);
    EXPECT_EQ(notesOf(trm_GetNext(handle)), "a2");  // still just after the first record
    EXPECT_EQ(trm_Scan(handle, 13, [](qint64, const QByteArray&) { return true; }),
              TrmCode::BadKeyNumber);
    EXPECT_EQ(trm_ScanIdentities(handle, 13, [](qint64) { return true; }), TrmCode::BadKeyNumber);
    EXPECT_EQ(trm_ScanStored(99, [](qint64, const QByteArray&) { return true; }),
              TrmCode::FileNotOpen);
    EXPECT_EQ(trm_ScanIdentities(99, 1, [](qint64) { return true; }), TrmCode::FileNotOpen);
}
