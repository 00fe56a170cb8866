#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "store/RecordFileUpgrade.h"
#include "store/RecordManager.h"
#include "store/RecordText.h"
#include "store/Records.h"
#include "support/EarlierVersionFile.h"
#include "support/TestFolder.h"

namespace {

// A record of the earlier version: its text in Windows-1252.
QByteArray earlier(const QByteArray& name, const QByteArray& notes, qint32 times = 0) {
    DataRecord r;
    r.Field[0] = name;
    r.Field[1] = "x";
    r.Notes = notes;
    r.Omit = "F";
    r.TimesPicked = times;
    return RecordToString(r);
}

// Names and notes of every record along key 1.
QStringList walked(int handle) {
    QStringList seen;
    for (QByteArray r = trm_GetFirst(handle, 1); !r.isEmpty(); r = trm_GetNext(handle)) {
        const DataRecord d = RecordFromString<DataRecord>(r);
        seen << RecordText::toUnicode(RecordText::trimmed(d.Field[0])) + "|" +
                    RecordText::toUnicode(RecordText::trimmed(d.Notes)) + "|" +
                    QString::number(d.TimesPicked);
    }
    return seen;
}

}  // namespace

TEST(RecordFileUpgrade, ConvertsTheTextToUtf8AndKeepsEveryRecordInItsPlace) {
    TestFolder folder;
    const QString path = folder.file("old.dat");
    const QByteArray tooLong(50, '\xE9');  // fifty letters, a hundred bytes in UTF-8
    WriteEarlierVersionFile(
        path, {"NAME", "TEAM"},
        {earlier("Zo\xEB", "first", 3), earlier("ann", "second"), earlier("Caf\xE9", "\x80 5"),
         earlier("ANN", "fourth"), earlier(tooLong, "long")});
    const QByteArray before = folder.readAll("old.dat");

    // Never read as if it were UTF-8: refused until converted, and not touched.
    EXPECT_TRUE(RecordFileUpgrade::Needed(path));
    EXPECT_EQ(trm_Open(path, 0), -TrmCode::EarlierVersion);
    EXPECT_EQ(folder.readAll("old.dat"), before);

    qint64 told = 0;
    const RecordFileUpgrade::Outcome outcome =
        RecordFileUpgrade::Convert(path, TrmKind::Data, [&](qint64 done, qint64 total) {
            told = done;
            return total == 5;
        });
    ASSERT_TRUE(outcome.ok()) << outcome.code;
    EXPECT_EQ(outcome.records, 5);
    EXPECT_EQ(told, 5);
    EXPECT_EQ(outcome.cut, 1);
    EXPECT_EQ(outcome.keptAs, QStringList{path + ".earlier"});
    EXPECT_EQ(folder.readAll("old.dat.earlier"), before);
    EXPECT_FALSE(RecordFileUpgrade::Needed(path));

    const int handle = trm_Open(path, 0);
    ASSERT_GT(handle, 0);
    // Equal keys in the order they were added; the long value cut between characters.
    EXPECT_EQ(walked(handle), QStringList({"ann|second|0", "ANN|fourth|0", "Café|€ 5|0",
                                           "Zoë|first|3", QString(25, u'é') + "|long|0"}));
    trm_CloseAll();
}

TEST(RecordFileUpgrade, AKillAtAnyStepLeavesAFileThatOpensWithEveryRecord) {
    QByteArrayList records;
    for (int i = 0; i < 4500; ++i) records << earlier("N\xE9" + QByteArray::number(i), "n");
    for (int step = 0; step < RecordFileUpgrade::StepCount(); ++step) {
        TestFolder folder;
        const QString path = folder.file("old.hst");
        WriteEarlierVersionFile(path, {"NAME"}, records);
        const pid_t child = fork();
        if (child == 0) {
            // As a kill would: no clean-up of any kind.
            RecordFileUpgrade::SetStepHook([step](int reached) {
                if (reached == step) _exit(0);
            });
            RecordFileUpgrade::Convert(path, TrmKind::History);
            _exit(1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "step " << step;

        if (RecordFileUpgrade::Needed(path)) {
            ASSERT_TRUE(RecordFileUpgrade::Convert(path, TrmKind::History).ok()) << step;
        }
        const int handle = trm_Open(path, 0);
        ASSERT_GT(handle, 0) << "step " << step;
        EXPECT_EQ(trm_Count(handle), 4500) << "step " << step;
        EXPECT_EQ(RecordText::trimmed(trm_GetLast(handle, 1).left(50)), "Né999") << step;
        EXPECT_EQ(trm_GetFirst(handle, 1).size(), 900);
        trm_CloseAll();
    }
}
