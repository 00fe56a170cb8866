#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <map>

#include "store/DatabaseFiles.h"
#include "store/DefinitionFile.h"
#include "store/KeyLayout.h"
#include "store/RecordManager.h"
#include "store/Records.h"
#include "store/Session.h"
#include "store/SessionDatabase.h"
#include "store/StoreError.h"
#include "support/LockedPath.h"
#include "support/TestFolder.h"

namespace {

// File names with a digest of their bytes (readable when a comparison fails).
using Snapshot = std::map<std::string, std::string>;

class DatabaseFilesTest : public ::testing::Test {
protected:
    void TearDown() override { trm_CloseAll(); }

    void write(const QString& name, const QByteArray& bytes = "x") {
        QFile f(folder.file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    // Every file of the folder with its bytes: "as it was" means exactly this.
    Snapshot snapshot() const {
        Snapshot all;
        for (const QString& name : folder.files()) {
            all[name.toStdString()] =
                QCryptographicHash::hash(folder.readAll(name), QCryptographicHash::Sha1)
                    .toHex()
                    .toStdString();
        }
        return all;
    }

    // A database holding one record, so that a replacement shows.
    void createFilled(const QString& name, const QStringList& fields) {
        folder.createDatabase(name, fields);
        const int h = trm_Open(folder.file(name + ".dat"), 0);
        ASSERT_GT(h, 0);
        DataRecord r;
        r.Field[0] = "OLD";
        ASSERT_EQ(trm_Insert(h, RecordToString(r)), 0);
        trm_Close(h);
    }

    int countOf(const QString& name) {
        const int h = trm_Open(folder.file(name), 0);
        EXPECT_GT(h, 0) << name.toStdString();
        const int n = trm_Count(h);
        trm_Close(h);
        return n;
    }

    TestFolder folder;
};

TEST_F(DatabaseFilesTest, ListsDataFilesByNameIgnoringCaseAndSkipsTheUninstaller) {
    for (const char* name :
         {"shop.dat", "shop.dfn", "shop.hst", "unins000.dat", "UNINS000.DAT", "Zoo.dat",
          "apple.dat", "Banana.DAT", "notes.txt", "dat", ".hidden.dat", "apple.dat.old"}) {
        write(name);
    }
    QDir(folder.path()).mkdir("folder.dat");
    EXPECT_EQ(DatabaseFiles::List(folder.folder()),
              QStringList({".hidden", "apple", "Banana", "shop", "UNINS000", "Zoo"}));
}

TEST_F(DatabaseFilesTest, CreateMakesTheThreeFilesAndNothingElse) {
    const auto outcome =
        DatabaseFiles::Create(folder.folder(), " shop", {"ITEM", "COLOUR", "SIZE"});
    ASSERT_TRUE(outcome.ok()) << outcome.reason.toStdString();
    EXPECT_EQ(folder.files(), QStringList({" shop.dat", " shop.dfn", " shop.hst"}));
    EXPECT_EQ(folder.readAll(" shop.dfn"), DefinitionFile::Build({"ITEM", "COLOUR", "SIZE"}));
    EXPECT_EQ(countOf(" shop.dat"), 0);
    EXPECT_EQ(countOf(" shop.hst"), 0);
    // Keyed on every field: the third key exists, a fourth does not.
    const int h = trm_Open(folder.file(" shop.dat"), 0);
    trm_GetEqual(h, 3, "X");
    EXPECT_EQ(trm_Result(h), TrmCode::KeyNotFound);
    trm_GetEqual(h, 4, "X");
    EXPECT_EQ(trm_Result(h), TrmCode::BadKeyNumber);
}

TEST_F(DatabaseFilesTest, CreateReplacesAnEarlierDatabaseWholeAndClearsItsJournals) {
    createFilled("shop", {"A", "B", "C", "D"});
    write("shop.dat-journal", "stale journal of the old file");
    write("other.dat");
    const auto outcome = DatabaseFiles::Create(folder.folder(), "shop", {"NAME"});
    ASSERT_TRUE(outcome.ok()) << outcome.reason.toStdString();
    EXPECT_EQ(folder.files(), QStringList({"other.dat", "shop.dat", "shop.dfn", "shop.hst"}));
    EXPECT_EQ(folder.readAll("shop.dfn"), DefinitionFile::Build({"NAME"}));
    EXPECT_EQ(folder.readAll("shop.dfn").size(), 312);
    EXPECT_EQ(countOf("shop.dat"), 0);
}

// Each way a creation can fail must leave the folder byte for byte as it was.
TEST_F(DatabaseFilesTest, FailedCreateLeavesTheFolderAsItWas) {
    struct Case {
        const char* what;
        QString name;
        const char* lock;  // folder ("") or file to lock, or nullptr
    };
    const QString tooLong(252, QLatin1Char('n'));
    const Case cases[] = {
        {"read-only folder", "shop", ""},
        {"an old file that cannot be moved aside", "shop", "shop.hst"},
        {"a name too long for a file", tooLong, nullptr},
        {"a name with a slash", "sub/shop", nullptr},
    };
    createFilled("shop", {"A", "B"});
    write("shop.hst-journal", "journal");
    QDir(folder.path()).mkdir("sub");
    const Snapshot before = snapshot();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::optional<LockedPath> lock;
        if (c.lock) {
            lock.emplace(folder.file(c.lock));
            if (!lock->locked()) {
                ADD_FAILURE() << "this machine cannot stage: " << c.what;
                continue;
            }
        }
        const auto outcome = DatabaseFiles::Create(folder.folder(), c.name, {"NAME"});
        EXPECT_FALSE(outcome.ok());
        EXPECT_NE(outcome.code, 0);
        EXPECT_FALSE(outcome.reason.isEmpty());
        lock.reset();
        EXPECT_EQ(snapshot(), before);
        EXPECT_TRUE(QDir(folder.file("sub")).isEmpty());
        EXPECT_EQ(countOf("shop.dat"), 1);
    }
}

TEST_F(DatabaseFilesTest, NameProblemNamesTheCharactersAFileNameCannotHold) {
    EXPECT_EQ(DatabaseFiles::NameProblem("a/b"),
              "A database name cannot contain the character \"/\".");
    EXPECT_FALSE(DatabaseFiles::NameProblem(QStringLiteral("a") + QChar(0)).isEmpty());
    for (const char* fine : {" shop", "my shop", "shop.v2", "..", "ÄÖÜ", "a\\b"}) {
        EXPECT_TRUE(DatabaseFiles::NameProblem(QString::fromUtf8(fine)).isEmpty()) << fine;
    }
}

TEST_F(DatabaseFilesTest, DeleteRemovesWhatThereIsAndNamesWhatWasMissing) {
    folder.createDatabase("whole", {"A"});
    folder.createDatabase("partial", {"A"});
    QFile::remove(folder.file("partial.hst"));
    QFile::remove(folder.file("partial.dfn"));
    write("keep.dat");

    EXPECT_EQ(DatabaseFiles::Delete(folder.folder(), "whole"), QStringList());
    EXPECT_EQ(DatabaseFiles::Delete(folder.folder(), "partial"),
              QStringList({"partial.hst", "partial.dfn"}));
    EXPECT_EQ(folder.files(), QStringList({"keep.dat"}));
}

TEST_F(DatabaseFilesTest, DeleteInALockedFolderSaysSoAndKeepsTheFiles) {
    folder.createDatabase("shop", {"A"});
    const Snapshot before = snapshot();
    LockedPath lock(folder.path());
    ASSERT_TRUE(lock.locked());
    try {
        DatabaseFiles::Delete(folder.folder(), "shop");
        ADD_FAILURE() << "a delete in a locked folder reported success";
    } catch (const StoreError& e) {
        EXPECT_TRUE(e.message().startsWith("The file shop.dat could not be deleted: "))
            << e.message().toStdString();
    }
    EXPECT_EQ(snapshot(), before);
}

TEST_F(DatabaseFilesTest, ExtensionsInCapitalsAreFoundForOpeningReplacingAndDeleting) {
    folder.createDatabase("tmp", {"NAME"});
    for (const auto& [from, to] :
         {std::pair{"tmp.dat", "Shop.DAT"}, {"tmp.hst", "Shop.Hst"}, {"tmp.dfn", "Shop.dfn"}}) {
        ASSERT_TRUE(QFile::rename(folder.file(from), folder.file(to)));
    }
    EXPECT_EQ(DatabaseFiles::List(folder.folder()), QStringList({"Shop"}));
    Session session;
    EXPECT_EQ(SessionDatabase::Open(session, folder.folder(), "Shop"), 0);
    SessionDatabase::Close(session);
    ASSERT_TRUE(DatabaseFiles::Create(folder.folder(), "Shop", {"A", "B"}).ok());
    EXPECT_EQ(folder.files(), QStringList({"Shop.DAT", "Shop.Hst", "Shop.dfn"}));
    EXPECT_EQ(folder.readAll("Shop.dfn"), DefinitionFile::Build({"A", "B"}));
    // Only the extension may differ in case: "shop" is another database.
    EXPECT_EQ(DatabaseFiles::Delete(folder.folder(), "shop"),
              QStringList({"shop.dat", "shop.hst", "shop.dfn"}));
    EXPECT_EQ(DatabaseFiles::Delete(folder.folder(), "Shop"), QStringList());
    EXPECT_EQ(folder.files(), QStringList());
}

class SessionDatabaseTest : public DatabaseFilesTest {
protected:
    void openShop() {
        createFilled("shop", {"NAME"});
        ASSERT_EQ(SessionDatabase::Open(session, folder.folder(), "shop"), 0);
    }
    void expectNoDatabase() {
        EXPECT_FALSE(session.hasDatabase());
        EXPECT_EQ(session.DataHandle, 0);
        EXPECT_EQ(session.TotalRecords, 0);
    }
    Session session;
};

TEST_F(SessionDatabaseTest, OpenSetsNameHandleAndCountAndClosesTheEarlierOne) {
    openShop();
    const int first = session.DataHandle;
    EXPECT_EQ(session.DatabaseName, "shop");
    EXPECT_EQ(session.TotalRecords, 1);
    folder.createDatabase(" blank", {"NAME"});
    ASSERT_EQ(SessionDatabase::Open(session, folder.folder(), " blank"), 0);
    EXPECT_EQ(session.DatabaseName, " blank");
    EXPECT_EQ(session.TotalRecords, 0);
    EXPECT_EQ(trm_FileIsOpen(first), 0);
    EXPECT_NE(trm_FileIsOpen(session.DataHandle), 0);
}

TEST_F(SessionDatabaseTest, AForeignDataFileGivesItsOwnCodeAndLeavesNothingOpen) {
    openShop();
    const int earlier = session.DataHandle;
    session.LastResult = 77;
    write("foreign.dat", QByteArray(4096, 'z'));
    write("foreign.dfn", DefinitionFile::Build({"NAME"}));
    EXPECT_EQ(SessionDatabase::Open(session, folder.folder(), "foreign"), TrmCode::NotADatabase);
    EXPECT_EQ(session.LastResult, TrmCode::NotADatabase);
    EXPECT_EQ(trm_FileIsOpen(earlier), 0);
    expectNoDatabase();
}

TEST_F(SessionDatabaseTest, UnusableFieldDefinitionsRefuseTheOpen) {
    struct Case {
        const char* what;
        std::optional<QByteArray> dfn;
    };
    const Case cases[] = {
        {"missing", std::nullopt},
        {"short", DefinitionFile::Build({"NAME"}).left(30)},
        {"no field in use", DefinitionFile::Build({})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        openShop();
        QFile::remove(folder.file("shop.dfn"));
        if (c.dfn) write("shop.dfn", *c.dfn);
        EXPECT_THROW(SessionDatabase::Open(session, folder.folder(), "shop"), StoreError);
        expectNoDatabase();
        // The data file was let go again: it can be replaced at once.
        EXPECT_TRUE(DatabaseFiles::Create(folder.folder(), "shop", {"NAME"}).ok());
    }
}

}  // namespace
