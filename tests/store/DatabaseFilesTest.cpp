#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "store/DatabaseFiles.h"
#include "store/DefinitionFile.h"
#include "store/KeyLayout.h"
#include "store/RecordManager.h"
#include "store/Records.h"
#include "store/Session.h"
#include "store/SessionDatabase.h"
#include "store/StoreError.h"
#include "support/TestFolder.h"

namespace {

class DatabaseFilesTest : public ::testing::Test {
protected:
    void TearDown() override { trm_CloseAll(); }

    void write(const QString& name, const QByteArray& bytes = "x") {
        QFile f(folder.file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
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

TEST_F(DatabaseFilesTest, UnusableFieldDefinitionsRefuseTheOpenAndLeaveNothingOpen) {
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
        createFilled("shop", {"NAME"});
        Session session;
        ASSERT_EQ(SessionDatabase::Open(session, folder.folder(), "shop"), 0);
        QFile::remove(folder.file("shop.dfn"));
        if (c.dfn) write("shop.dfn", *c.dfn);
        EXPECT_THROW(SessionDatabase::Open(session, folder.folder(), "shop"), StoreError);
        EXPECT_FALSE(session.hasDatabase());
        EXPECT_EQ(session.DataHandle, 0);
        // The data file was let go again: it can be replaced at once.
        EXPECT_TRUE(DatabaseFiles::Create(folder.folder(), "shop", {"NAME"}).ok());
    }
}

}  // namespace
