#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <QFile>

#include "store/DefinitionFile.h"
#include "store/RecordManager.h"
#include "store/Session.h"
#include "store/SessionDatabase.h"
#include "store/StoreError.h"
#include "support/TestFolder.h"

namespace {

// What opening "shop" says, or "" when it opens.
QString opening(const TestFolder& folder) {
    Session session;
    try {
        const int code = SessionDatabase::Open(session, folder.folder(), "shop");
        SessionDatabase::Close(session);
        return code == 0 ? QString() : trm_ResultText(code);
    } catch (const StoreError& e) {
        return e.message();
    }
}

}  // namespace

TEST(SessionDatabase, RefusesFilesThatDoNotBelongTogether) {
    const QString swapped = "\r\nThe files of the database \"shop\" have been swapped or replaced.";
    const std::pair<std::function<void(const TestFolder&)>, QString> cases[] = {
        {[](const TestFolder& f) {
             QFile::rename(f.file("shop.dat"), f.file("x"));
             QFile::rename(f.file("shop.hst"), f.file("shop.dat"));
             QFile::rename(f.file("x"), f.file("shop.hst"));
         },
         "The file shop.dat holds a history of picks, not records." + swapped},
        {[](const TestFolder& f) {
             f.createDatabase("other", {"NAME", "CITY", "TEAM"});
             QFile::remove(f.file("shop.hst"));
             QFile::copy(f.file("other.hst"), f.file("shop.hst"));
         },
         "The history file shop.hst is of a database with other fields than shop.dat." + swapped},
        {[](const TestFolder& f) {
             DefinitionFile::Write(f.file("shop.dfn"), {"NAME", "CITY", "TEAM"});
         },
         "The field definition file shop.dfn names 3 fields, but the data file shop.dat has 2 "
         "keys." +
             swapped},
        {[](const TestFolder& f) { DefinitionFile::Write(f.file("shop.dfn"), {"NAME"}); },
         "The field definition file shop.dfn names 1 field, but the data file shop.dat has 2 "
         "keys." +
             swapped},
        {[](const TestFolder& f) { QFile::remove(f.file("shop.hst")); }, ""},
    };
    for (const auto& [change, said] : cases) {
        TestFolder folder;
        folder.createDatabase("shop", {"NAME", "CITY"});
        change(folder);
        EXPECT_EQ(opening(folder), said);
    }
}

// A crash inside the commit of a pick can leave the list of the two files'
// journals; it goes at the next open, but not while another copy of the
// program is in the middle of a commit that may need it.
TEST(SessionDatabase, RemovesTheLeftoversOfACutOffCommitOnlyWhenNothingNeedsThem) {
    TestFolder folder;
    folder.createDatabase("shop", {"NAME"});
    folder.write("shop.dat-mj1A2B3C9D4", QByteArray("shop.dat-journal\0shop.hst-journal\0", 34));
    folder.write("shop.hst-journal", QByteArray(512, '\0'));  // begun, never made whole
    // Another copy of the program, writing to the history meanwhile.
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t other = fork();
    if (other == 0) {
        const int history = trm_Open(folder.file("shop.hst"), 0);
        const TrmTransaction writing(history);
        if (write(ready[1], "!", 1) != 1 || writing.begun() != TrmCode::Ok) _exit(1);
        pause();
    }
    char said = 0;
    ASSERT_EQ(read(ready[0], &said, 1), 1);
    EXPECT_EQ(opening(folder), "");
    EXPECT_TRUE(folder.files().contains("shop.dat-mj1A2B3C9D4"));
    kill(other, SIGKILL);
    waitpid(other, nullptr, 0);
    EXPECT_EQ(opening(folder), "");
    EXPECT_FALSE(folder.files().contains("shop.dat-mj1A2B3C9D4"));
}
