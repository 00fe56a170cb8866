#include <gtest/gtest.h>

#include "app/AboutText.h"
#include "app/MainTitle.h"
#include "app/MenuStates.h"
#include "store/FieldRules.h"
#include "store/Session.h"

namespace {

Session session(const QString& name, qint32 total, qint16 mode) {
    Session s;
    s.DatabaseName = name;
    s.TotalRecords = total;
    s.DisplayMode = mode;
    return s;
}

constexpr std::nullopt_t keep = std::nullopt;

struct MenuCase {
    const char* what;
    Session session;
    // edit, editDisplay, reports, import, clear, updates
    MenuStates expected;
};

TEST(MenuStatesTest, FollowTheSessionRuleByRule) {
    const MenuCase cases[] = {
        {"no database", session("", 0, 0), {false, keep, false, false, false, true}},
        {"blank name is no database",
         session("   ", 5, 1),
         {false, keep, false, false, false, true}},
        {"no database in add mode", session("", 0, 2), {false, keep, false, false, false, true}},
        {"empty database, record window never opened",
         session("shop", 0, 0),
         {true, keep, true, true, false, true}},
        {"records, record window never opened",
         session("shop", 3, 0),
         {true, keep, true, true, true, true}},
        {"browse mode enables clear even when empty",
         session("shop", 0, 1),
         {true, true, true, true, true, true}},
        {"browse mode with records", session("shop", 9, 1), {true, true, true, true, true, true}},
        {"add mode", session("shop", 9, 2), {true, false, true, false, false, true}},
        {"edit mode", session("shop", 9, 3), {true, false, true, false, false, true}},
        {"an unknown mode changes nothing more",
         session("shop", 9, 7),
         {true, keep, true, true, true, true}},
    };
    for (const MenuCase& c : cases) {
        SCOPED_TRACE(c.what);
        const MenuStates got = ComputeMenuStates(c.session);
        EXPECT_EQ(got.mnuEdit, c.expected.mnuEdit);
        EXPECT_EQ(got.mnuEditDisplay, c.expected.mnuEditDisplay);
        EXPECT_EQ(got.mnuReports, c.expected.mnuReports);
        EXPECT_EQ(got.mnuToolsImport, c.expected.mnuToolsImport);
        EXPECT_EQ(got.mnuToolsClear, c.expected.mnuToolsClear);
        EXPECT_EQ(got.mnuToolsUpdates, c.expected.mnuToolsUpdates);
    }
}

TEST(MainTitleTest, TakesItsThreeForms) {
    struct Case {
        Session session;
        bool counted;
        const char* title;
    };
    const Case cases[] = {
        {session("", 4, 0), true, "RANDOLA 3.00"},
        {session("  ", 4, 0), false, "RANDOLA 3.00"},
        {session("shop", 1234567, 0), false, "RANDOLA 3.00 - [shop]"},
        {session("shop", 1234567, 0), true, "RANDOLA 3.00 - [shop] [Total Records = 1234567]"},
        {session(" my shop", 0, 0), true, "RANDOLA 3.00 - [ my shop] [Total Records = 0]"},
    };
    for (const Case& c : cases) EXPECT_EQ(MainTitle(c.session, c.counted), c.title);
}

TEST(AboutTextTest, RecordManagerVersionIsMajorFromTheHighBytesAndMinorFromTheLowest) {
    const std::pair<qint32, const char*> cases[] = {
        {0x00030002, "3.2"}, {0x00000105, "0.5"},   {0x0000FFFF, "0.255"},
        {0, "0.0"},          {0x01020304, "258.4"}, {0x00100000, "16.0"},
    };
    for (const auto& [version, text] : cases) {
        EXPECT_EQ(AboutText::recordManagerVersion(version), text) << version;
    }
    EXPECT_TRUE(AboutText::recordManagerCaption(0x00030002)
                    .startsWith("Record Manager 3.2 over SQLite 3."));
    EXPECT_TRUE(AboutText::mailCaption().startsWith("libcurl "));
}

TEST(FieldRulesTest, AcceptOnlyCapitalLettersUpToTwelveFields) {
    using V = FieldRules::Verdict;
    const std::tuple<const char*, int, V> cases[] = {
        {"NAME", 0, V::Accepted},
        {"Z", 11, V::Accepted},
        {"ABCDEFGHIJKLMNOPQRSTUVWXY", 0, V::Accepted},
        {"", 0, V::Empty},
        {"   ", 12, V::Empty},
        {"FIRST NAME", 0, V::InvalidFormat},
        {" NAME", 0, V::InvalidFormat},
        {"ITEM2", 0, V::InvalidFormat},
        {"NAME@", 0, V::InvalidFormat},
        {"name", 0, V::InvalidFormat},
        {"ÄRGER", 0, V::InvalidFormat},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", 0, V::InvalidFormat},
        {"NAME", 12, V::TooMany},
        {"NAME1", 12, V::InvalidFormat},
    };
    for (const auto& [name, count, verdict] : cases) {
        EXPECT_EQ(FieldRules::Check(QString::fromUtf8(name), count), verdict) << name << count;
    }
}

}  // namespace
