#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "store/RecordFileUpgrade.h"
#include "store/RecordManager.h"
#include "store/RecordText.h"
#include "store/Records.h"
#include "support/EarlierVersionFile.h"
#include "support/TestFolder.h"

TEST(RecordFileUpgrade, AKillAtAnyStepLeavesAFileThatOpensWithEveryRecord) {
    QByteArrayList records;  // their text in Windows-1252
    DataRecord r;
    r.Omit = "F";
    for (int i = 0; i < 4500; ++i) {
        r.Field[0] = "N\xE9" + QByteArray::number(i);
        records << RecordToString(r);
    }
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
