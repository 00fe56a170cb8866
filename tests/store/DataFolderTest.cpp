#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "store/DataFolder.h"
#include "support/LockedPath.h"
#include "support/TestFolder.h"

namespace {

// Restores an environment variable when the test ends, pass or fail.
class EnvironmentScope {
public:
    EnvironmentScope(const char* name, const QString& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        value.isNull() ? qunsetenv(name) : qputenv(name, value.toLocal8Bit());
    }
    ~EnvironmentScope() { had_ ? qputenv(name_, old_) : qunsetenv(name_); }

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

}  // namespace

TEST(DataFolder, CommandLineThenEnvironmentThenProgramFolderThenHome) {
    TestFolder program, named, fromEnvironment, home;
    const QString nested = named.path() + QStringLiteral("/new/dbs");
    const EnvironmentScope environment("RANDOLA_DATA_DIR", fromEnvironment.path());
    const EnvironmentScope homeScope("HOME", home.path());
    const EnvironmentScope xdgScope("XDG_DATA_HOME", QString());

    EXPECT_EQ(DataFolder::resolve({"randola", "--data-dir", nested}, program.path()).path(),
              nested);
    EXPECT_TRUE(QFileInfo(nested).isDir());  // made when missing
    EXPECT_EQ(DataFolder::resolve({"randola", "--data-dir=" + named.path()}, program.path()).path(),
              named.path());
    EXPECT_EQ(DataFolder::resolve({"randola"}, program.path()).path(), fromEnvironment.path());
    {
        const EnvironmentScope none("RANDOLA_DATA_DIR", QString());
        EXPECT_EQ(DataFolder::resolve({"randola"}, program.path()).path(), program.path());
        // Installed: never into a bin folder, even one that can be written.
        const QString bin = program.path() + QStringLiteral("/bin");
        QDir().mkpath(bin);
        EXPECT_EQ(DataFolder::resolve({"randola"}, bin).path(),
                  home.path() + QStringLiteral("/.local/share/randola3"));
        {
            const EnvironmentScope xdg("XDG_DATA_HOME", named.path());
            EXPECT_EQ(DataFolder::resolve({"randola"}, bin).path(),
                      named.path() + QStringLiteral("/randola3"));
        }
        const LockedPath lock(program.path());
        if (!lock.locked()) GTEST_SKIP() << "this file system cannot lock a folder";
        const QString fallback = home.path() + QStringLiteral("/.local/share/randola3");
        EXPECT_EQ(DataFolder::resolve({"randola"}, program.path()).path(), fallback);
        EXPECT_TRUE(QFileInfo(fallback).isDir());
    }
}

TEST(DataFolder, FindsADatabaseFileWhoseExtensionDiffersInCase) {
    TestFolder folder;
    ASSERT_TRUE(QFile(folder.file("Shop.DAT")).open(QIODevice::WriteOnly));
    EXPECT_EQ(folder.folder().dataFile("Shop"), folder.file("Shop.DAT"));
    EXPECT_EQ(folder.folder().dataFile("shop"), folder.file("shop.dat"));  // names keep their case
    EXPECT_EQ(folder.folder().historyFile("Shop"), folder.file("Shop.hst"));  // none yet
}
