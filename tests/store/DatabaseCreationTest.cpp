#include <gtest/gtest.h>

#include <QFile>
#include <QLockFile>
#include <QMap>
#include <QRegularExpression>

#include "store/CreationJournal.h"
#include "store/DatabaseFiles.h"
#include "store/StoreError.h"
#include "store/RecordManager.h"
#include "support/CutOffCreation.h"
#include "support/FileSizeLimit.h"
#include "support/TestFolder.h"

namespace {

using Contents = QMap<QString, QByteArray>;

Contents contents(const TestFolder& folder) {
    Contents all;
    for (const QString& f : folder.files()) all[f] = folder.readAll(f);
    return all;
}

void write(const TestFolder& folder, const Contents& files) {
    for (auto it = files.begin(); it != files.end(); ++it) folder.write(it.key(), *it);
}

// An earlier database "shop", cut off by a crash as its files were replaced.
const Contents kEarlier = {{"shop.dat", "old dat"},
                           {"shop.dat-journal", "old journal"},
                           {"shop.dfn", "old dfn"},
                           {"shop.hst", "old hst"}};
const Contents kNew = {
    {"shop.dat", "new shop.dat"}, {"shop.dfn", "new shop.dfn"}, {"shop.hst", "new shop.hst"}};

}  // namespace

// Every moment a crash could strike: the folder must come back holding either
// the earlier database or the new one whole, and nothing hidden.
TEST(DatabaseCreation, ACutOffCreationIsUndoneOrFinishedWhenTheFolderIsNextLookedAt) {
    // Earlier database there; steps taken: 4 files aside, 3 new ones in, 4 removed.
    const struct {
        bool earlier;
        int steps;
        Contents expected;
    } cases[] = {
        {true, CutOffCreation::WhileBuilding, kEarlier},
        {true, 2, kEarlier},
        {true, 5, kEarlier},  // every earlier file hidden, the new data file in
        {true, 7, kNew},   // every new file in
        {true, 9, kNew},   // cut off while dropping the earlier files
        {false, 1, {}},    // a first creation, half in
        {false, 3, kNew},  // a first creation, all in
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "earlier " << c.earlier << ", steps " << c.steps);
        TestFolder folder;
        if (c.earlier) write(folder, kEarlier);
        const int total = CutOffCreation::Leave(folder, "shop", c.steps);
        if (c.steps != CutOffCreation::WhileBuilding) {
            EXPECT_EQ(total, c.earlier ? 11 : 3);
        }
        EXPECT_EQ(CreationJournal::MendCutOff(folder.folder()), QStringList());
        EXPECT_EQ(contents(folder), c.expected);
        EXPECT_EQ(DatabaseFiles::List(folder.folder()),
                  c.expected.isEmpty() ? QStringList() : QStringList{"shop"});
    }
}

TEST(DatabaseCreation, ACreationStillGoingOnInAnotherCopyOfTheProgramIsLeftAlone) {
    TestFolder folder;
    write(folder, kEarlier);
    CutOffCreation::Leave(folder, "shop", 5);
    const Contents midway = contents(folder);
    const QStringList journals = folder.files().filter(QRegularExpression("-creation$"));
    ASSERT_EQ(journals.size(), 1);
    {
        // The other copy holds the lock beside its journal while it works.
        QLockFile running(folder.file(journals[0] + ".lock"));
        ASSERT_TRUE(running.tryLock(0));
        EXPECT_EQ(CreationJournal::MendCutOff(folder.folder()), QStringList());
        Contents untouched = contents(folder);
        untouched.remove(journals[0] + ".lock");
        EXPECT_EQ(untouched, midway);
    }
    // Once it has stopped without finishing, the creation is cut off.
    EXPECT_EQ(CreationJournal::MendCutOff(folder.folder()), QStringList());
    EXPECT_EQ(contents(folder), kEarlier);
}

// On a full disk the lock's file can be made but not written: that is told as
// a full disk, and nothing is left behind.
TEST(DatabaseCreation, AFullDiskIsToldAsSuch) {
    TestFolder folder;
    DatabaseFiles::CreateOutcome outcome;
    {
        const FileSizeLimit full(0);
        outcome = DatabaseFiles::Create(folder.folder(), "shop", {"NAME"});
    }
    EXPECT_EQ(outcome.reason, "The creation could not be prepared: the disk is full.");
    EXPECT_EQ(outcome.code, TrmCode::IoError);
    EXPECT_EQ(folder.files(), QStringList());
}
