#include <gtest/gtest.h>

#include <QFile>
#include <algorithm>
#include <random>
#include <vector>

#include "store/CodePage.h"
#include "store/KeyLayout.h"
#include "store/RecordManager.h"
#include "store/Records.h"
#include "support/TestFolder.h"

namespace {

QByteArray record(const QByteArray& first, const QByteArray& second = {},
                  const QByteArray& notes = {}, const QByteArray& omit = "F") {
    DataRecord r;
    r.Field[0] = first;
    r.Field[1] = second;
    r.Notes = notes;
    r.Omit = omit;
    return RecordToString(r);
}

QByteArray notesOf(const QByteArray& recordString) {
    return CodePage::trimmed(RecordFromString<DataRecord>(recordString).Notes);
}

class RecordManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = folder.file("shop.dat");
        ASSERT_EQ(trm_Create(path, KeyLayout::Build({"NAME", "CITY"}), 1), 0);
        handle = trm_Open(path, 0);
        ASSERT_GT(handle, 0);
    }
    void TearDown() override { trm_CloseAll(); }

    // Notes of every record from first to last along a key.
    QByteArrayList walk(int key = 1) {
        QByteArrayList seen;
        for (QByteArray r = trm_GetFirst(handle, key); !r.isEmpty(); r = trm_GetNext(handle)) {
            seen << notesOf(r);
        }
        EXPECT_EQ(trm_Result(handle), TrmCode::EndOfFile);
        return seen;
    }

    void insertAll(const std::vector<std::pair<QByteArray, QByteArray>>& rows) {
        for (const auto& [name, notes] : rows)
            ASSERT_EQ(trm_Insert(handle, record(name, {}, notes)), 0);
    }

    TestFolder folder;
    QString path;
    int handle = 0;
};

TEST_F(RecordManagerTest, KeyOrderFoldsCaseAndKeepsDuplicatesInInsertionOrder) {
    insertAll({{"b", "1"}, {"A", "2"}, {"a", "3"}, {"c", "4"}, {"B", "5"}, {"a", "6"}});
    EXPECT_EQ(walk(), QByteArrayList({"2", "3", "6", "1", "5", "4"}));
    EXPECT_EQ(trm_Count(handle), 6);
}

TEST_F(RecordManagerTest, NextAndPreviousStopAtTheEndsWithEndOfFile) {
    insertAll({{"A", "a"}, {"B", "b"}, {"C", "c"}});
    EXPECT_EQ(notesOf(trm_GetFirst(handle, 1)), "a");
    EXPECT_EQ(notesOf(trm_GetNext(handle)), "b");
    EXPECT_EQ(notesOf(trm_GetNext(handle)), "c");
    EXPECT_TRUE(trm_GetNext(handle).isEmpty());
    EXPECT_EQ(trm_Result(handle), TrmCode::EndOfFile);
    // Running off the end leaves the place where it was.
    EXPECT_EQ(notesOf(trm_GetPrev(handle)), "b");
    EXPECT_EQ(notesOf(trm_GetLast(handle, 1)), "c");
    EXPECT_EQ(notesOf(trm_GetPrev(handle)), "b");
    EXPECT_EQ(notesOf(trm_GetPrev(handle)), "a");
    EXPECT_TRUE(trm_GetPrev(handle).isEmpty());
    EXPECT_EQ(trm_Result(handle), TrmCode::EndOfFile);
    EXPECT_EQ(notesOf(trm_GetNext(handle)), "b");
}

TEST_F(RecordManagerTest, EmptyFileAndBadArgumentsGiveTheirCodes) {
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
    EXPECT_EQ(trm_Result(999), TrmCode::FileNotOpen);
    EXPECT_EQ(trm_FileIsOpen(999), 0);
    EXPECT_NE(trm_FileIsOpen(handle), 0);
}

TEST_F(RecordManagerTest, KeyedSearchesFindTheFirstRecordThatComparesSo) {
    for (const char* city : {"Oslo", "Bergen", "Oslo", "Tromso", "Alta"}) {
        ASSERT_EQ(trm_Insert(handle, record("n", city, city)), 0);
    }
    struct Case {
        QByteArray (*fetch)(int, int, const QByteArray&);
        QByteArray value;
        QByteArray expected;  // city found; empty: none
    };
    const Case cases[] = {
        {trm_GetEqual, "oslo", "Oslo"},           {trm_GetEqual, "Molde", ""},
        {trm_GetEqualOrGreater, "Molde", "Oslo"}, {trm_GetEqualOrGreater, "Oslo", "Oslo"},
        {trm_GetGreater, "Oslo", "Tromso"},       {trm_GetGreater, "Tromso", ""},
        {trm_GetEqualOrLess, "Bergen", "Alta"},   {trm_GetLess, "Alta", ""},
        {trm_GetLess, "Bergen", "Alta"},
    };
    for (const Case& c : cases) {
        const QByteArray found = c.fetch(handle, 2, c.value);
        EXPECT_EQ(notesOf(found), c.expected) << c.value.constData();
        EXPECT_EQ(trm_Result(handle), c.expected.isEmpty() ? TrmCode::KeyNotFound : TrmCode::Ok);
    }
    // The search sets the key path: next follows key 2 from the record found.
    trm_GetEqual(handle, 2, "Bergen");
    EXPECT_EQ(notesOf(trm_GetNext(handle)), "Oslo");
    EXPECT_EQ(notesOf(trm_GetNext(handle)), "Oslo");
    EXPECT_EQ(notesOf(trm_GetNext(handle)), "Tromso");
    EXPECT_TRUE(trm_GetEqual(handle, 7, "x").isEmpty());
    EXPECT_EQ(trm_Result(handle), TrmCode::BadKeyNumber);
}

TEST_F(RecordManagerTest, RecordsAreStoredByteForByteAndSurviveReopening) {
    DataRecord r;
    r.Field[0] = "Zoe";
    r.TimesPicked = 0;  // NUL bytes inside the record
    r.Omit = "T";
    const QByteArray bytes = RecordToString(r);
    ASSERT_EQ(trm_Insert(handle, bytes), 0);
    insertAll({{"Adam", "x"}});
    ASSERT_EQ(trm_Close(handle), 0);
    EXPECT_EQ(trm_FileIsOpen(handle), 0);
    handle = trm_Open(path, 0);
    ASSERT_GT(handle, 0);
    EXPECT_EQ(trm_Count(handle), 2);
    EXPECT_EQ(trm_GetLast(handle, 1), bytes);
}

TEST_F(RecordManagerTest, UpdateReordersAndDeleteKeepsThePlaceOnThePath) {
    insertAll({{"A", "a"}, {"B", "b"}, {"C", "c"}});
    trm_GetFirst(handle, 1);
    ASSERT_EQ(trm_Update(handle, record("D", {}, "a")), 0);  // A becomes D: now last
    EXPECT_EQ(walk(), QByteArrayList({"b", "c", "a"}));
    trm_GetEqual(handle, 1, "B");
    ASSERT_EQ(trm_Delete(handle), 0);
    EXPECT_EQ(trm_Delete(handle), TrmCode::NoCurrentRecord);  // already gone
    EXPECT_EQ(notesOf(trm_GetNext(handle)), "c");
    EXPECT_EQ(trm_Count(handle), 2);
}

TEST_F(RecordManagerTest, DirectFetchReturnsToARecordAfterOtherFetches) {
    insertAll({{"A", "a"}, {"B", "b"}, {"C", "c"}});
    trm_GetEqual(handle, 1, "B");
    const qint64 shown = trm_GetPosition(handle);
    trm_GetLast(handle, 1);
    EXPECT_EQ(notesOf(trm_GetDirect(handle, shown)), "b");
    ASSERT_EQ(trm_Delete(handle), 0);
    EXPECT_TRUE(trm_GetDirect(handle, shown).isEmpty());
    EXPECT_EQ(trm_Result(handle), TrmCode::NoCurrentRecord);
}

TEST_F(RecordManagerTest, OpenRefusesMissingAndForeignFiles) {
    EXPECT_EQ(trm_Open(folder.file("none.dat"), 0), -TrmCode::FileNotFound);
    const auto writeFile = [&](const char* name, const QByteArray& bytes) {
        QFile f(folder.file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    writeFile("text.dat", "name,city\nAnn,Oslo\n");
    writeFile("empty.dat", "");
    writeFile("short.dat", QByteArray("SQLite format 3\0", 16));
    for (const char* name : {"text.dat", "empty.dat", "short.dat"}) {
        EXPECT_EQ(trm_Open(folder.file(name), 0), -TrmCode::NotADatabase) << name;
    }
    EXPECT_EQ(trm_Count(handle), 0);  // the open file is unaffected
}

TEST_F(RecordManagerTest, CreateReplacesOnlyWithACompleteFile) {
    insertAll({{"A", "a"}});
    trm_CloseAll();
    EXPECT_EQ(trm_Create(path, "not a layout", 1), TrmCode::BadKeyLayout);
    handle = trm_Open(path, 0);
    EXPECT_EQ(trm_Count(handle), 1);  // the refused create left the old file alone
    trm_CloseAll();
    ASSERT_EQ(trm_Create(path, KeyLayout::Build({"ONLY"}), 1), 0);
    handle = trm_Open(path, 0);
    EXPECT_EQ(trm_Count(handle), 0);
    EXPECT_TRUE(trm_GetFirst(handle, 2).isEmpty());  // one key now
    EXPECT_EQ(trm_Result(handle), TrmCode::BadKeyNumber);
    EXPECT_EQ(folder.files(), QStringList({"shop.dat"}));
    EXPECT_EQ(trm_Create(folder.file("gone/x.dat"), KeyLayout::Build({"A"}), 1),
              TrmCode::CannotCreate);
    EXPECT_EQ(folder.files(), QStringList({"shop.dat"}));
}

TEST_F(RecordManagerTest, AbortedTransactionLeavesRecordsCountAndPositionsAsBefore) {
    insertAll({{"M", "m"}, {"N", "n"}});
    ASSERT_EQ(QByteArray(RecordAtPosition(handle, 880, 2)).left(1), "N");
    {
        TrmTransaction tx(handle);
        ASSERT_EQ(tx.begun(), 0);
        for (int i = 0; i < 100; ++i) ASSERT_EQ(trm_Insert(handle, record("A")), 0);
        trm_GetFirst(handle, 1);
        ASSERT_EQ(trm_Delete(handle), 0);
        EXPECT_EQ(trm_Count(handle), 101);
        EXPECT_EQ(RecordAtPosition(handle, 880, 101).left(1), "N");
    }  // not committed
    EXPECT_EQ(trm_Count(handle), 2);
    EXPECT_EQ(walk(), QByteArrayList({"m", "n"}));
    EXPECT_EQ(RecordAtPosition(handle, 880, 2).left(1), "N");
    EXPECT_EQ(RecordAtPosition(handle, 880, 3), "0");
}

TEST_F(RecordManagerTest, SharedTransactionCommitsBothFilesOrNeither) {
    const QString historyPath = folder.file("shop.hst");
    ASSERT_EQ(trm_Create(historyPath, KeyLayout::Build({"NAME", "CITY"}), 1), 0);
    insertAll({{"A", "a"}});
    const auto pickOnce = [&](bool commit) {
        const int history = trm_OpenShared(historyPath, handle);
        EXPECT_GT(history, 0);
        {
            TrmTransaction tx(handle);
            trm_GetFirst(handle, 1);
            EXPECT_EQ(trm_Update(handle, record("A", {}, "picked")), 0);
            EXPECT_EQ(trm_Insert(history, record("A", {}, "picked").append(20, ' ')), 0);
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
    ASSERT_GT(history, 0);
    EXPECT_EQ(trm_Count(history), 1);
    EXPECT_EQ(trm_GetFirst(history, 1).size(), 900);
}

TEST_F(RecordManagerTest, InjectedFailureStopsOneWriteOnly) {
    trm_FailAfter(1, TrmCode::IoError);
    EXPECT_EQ(trm_Insert(handle, record("A")), 0);
    EXPECT_EQ(trm_Insert(handle, record("B")), TrmCode::IoError);
    EXPECT_EQ(trm_Insert(handle, record("C")), 0);
    EXPECT_EQ(trm_Count(handle), 2);
    trm_FailAfter(-1, 0);
}

TEST_F(RecordManagerTest, SharedOpenRefusesAForeignFileAndWorksOnAfterwards) {
    QFile f(folder.file("bad.hst"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a history");
    f.close();
    EXPECT_EQ(trm_OpenShared(folder.file("bad.hst"), handle), -TrmCode::NotADatabase);
    EXPECT_EQ(trm_OpenShared(folder.file("none.hst"), handle), -TrmCode::FileNotFound);
    EXPECT_EQ(trm_Insert(handle, record("A")), 0);
    EXPECT_EQ(folder.files(), QStringList({"bad.hst", "shop.dat"}));
}

// Positions must agree with a plain sorted model through every kind of change,
// inside and outside transactions.
TEST_F(RecordManagerTest, PositionsFollowEveryChange) {
    std::mt19937 random(7);
    struct Row {
        QByteArray key;
        int serial;
    };
    std::vector<Row> model;  // in key order, ties in insertion order
    int serial = 0;
    const auto keyText = [&] { return QByteArray(1, char('a' + random() % 6)); };
    const auto insertRow = [&] {
        const QByteArray k = keyText();
        ASSERT_EQ(trm_Insert(handle, record(k, {}, QByteArray::number(serial))), 0);
        auto at = std::upper_bound(
            model.begin(), model.end(), k,
            [](const QByteArray& v, const Row& r) { return v.toUpper() < r.key.toUpper(); });
        model.insert(at, Row{k, serial++});
    };
    const auto check = [&] {
        ASSERT_EQ(trm_Count(handle), int(model.size()));
        for (std::size_t i = 0; i < model.size(); ++i) {
            ASSERT_EQ(notesOf(RecordAtPosition(handle, 880, qint64(i) + 1)),
                      QByteArray::number(model[i].serial))
                << "position " << i + 1;
        }
    };
    for (int i = 0; i < 40; ++i) insertRow();
    check();
    for (int round = 0; round < 30; ++round) {
        const std::size_t victim = random() % model.size();
        RecordAtPosition(handle, 880, qint64(victim) + 1);
        if (round % 2 == 0) {
            ASSERT_EQ(trm_Delete(handle), 0);
            model.erase(model.begin() + qint64(victim));
        } else {
            Row moved = model[victim];
            moved.key = keyText();
            ASSERT_EQ(trm_Update(handle, record(moved.key, {}, QByteArray::number(moved.serial))),
                      0);
            model.erase(model.begin() + qint64(victim));
            auto at =
                std::upper_bound(model.begin(), model.end(), moved, [](const Row& a, const Row& b) {
                    const QByteArray ka = a.key.toUpper(), kb = b.key.toUpper();
                    return ka < kb || (ka == kb && a.serial < b.serial);
                });
            model.insert(at, moved);
        }
        insertRow();
        check();
    }
    {
        TrmTransaction tx(handle);  // enough changes to drop the index for one rebuild
        for (int i = 0; i < 100; ++i) insertRow();
        check();
        ASSERT_EQ(tx.commit(), 0);
    }
    check();
    EXPECT_EQ(RecordAtPosition(handle, 880, 0), "0");
    EXPECT_EQ(RecordAtPosition(handle, 880, qint64(model.size()) + 1), "0");
}

TEST_F(RecordManagerTest, PositionsWhereSelectsByTheOmitByte) {
    insertAll({});
    const char* flags[] = {"T", "F", "t", "T", " "};
    const char* names[] = {"e", "d", "c", "b", "a"};  // positions are by name: a=1 .. e=5
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(trm_Insert(handle, record(names[i], {}, {}, flags[i])), 0);
    EXPECT_EQ(trm_PositionsWhere(handle, 624, 'T', true), (std::vector<qint64>{2, 5}));
    EXPECT_EQ(trm_PositionsWhere(handle, 624, 'T', false), (std::vector<qint64>{1, 3, 4}));
    EXPECT_EQ(trm_PositionsWhere(handle, 0, 'c', true), (std::vector<qint64>{3}));
}

TEST(RecordManagerVersion, IsOnePointZero) {
    EXPECT_EQ(trm_Version() / 256 / 256, 1);
    EXPECT_EQ(trm_Version() % 256, 0);
}

TEST_F(RecordManagerTest, SetByteWhereRefusesKeysAndFollowsTransactions) {
    ASSERT_EQ(trm_Insert(handle, record("A", {}, "xyz")), 0);
    const QByteArray before = trm_GetFirst(handle, 1);
    // Two keys: bytes 0-99 are keys and stay.
    EXPECT_EQ(trm_SetByteWhere(handle, 99, ' ', 'Z', 10), -TrmCode::BadOffset);
    EXPECT_EQ(trm_Result(handle), TrmCode::BadOffset);
    EXPECT_EQ(trm_GetFirst(handle, 1), before);

    // Any byte past the keys, in batches; an aborted transaction takes it back.
    {
        TrmTransaction transaction(handle);
        EXPECT_EQ(trm_SetByteWhere(handle, 625, 'x', 'q', 10), 1);
        EXPECT_EQ(trm_GetFirst(handle, 1)[625], 'q');
    }
    EXPECT_EQ(trm_GetFirst(handle, 1), before);
    ASSERT_EQ(trm_Insert(handle, record("B", {}, "xyz")), 0);
    EXPECT_EQ(trm_SetByteWhere(handle, 625, 'x', 'q', 1), 1);
    EXPECT_EQ(trm_SetByteWhere(handle, 625, 'x', 'q', 1), 1);
    EXPECT_EQ(trm_SetByteWhere(handle, 625, 'x', 'q', 1), 0);
    EXPECT_EQ(walk(), QByteArrayList({"qyz", "qyz"}));
}

}  // namespace
