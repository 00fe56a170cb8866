#include <gtest/gtest.h>

#include "app/AboutText.h"
#include "app/MenuStates.h"
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

TEST(AboutTextTest, RecordManagerVersionIsMajorFromTheHighBytesAndMinorFromTheLowest) {
    const std::pair<qint32, const char*> cases[] = {
        {0x00030002, "3.2"}, {0x00000105, "0.5"},   {0x0000FFFF, "0.255"},
        {0, "0.0"},          {0x01020304, "258.4"}, {0x00100000, "16.0"},
    };
    for (const auto& [version, text] : cases) {
        EXPECT_EQ(AboutText::recordManagerVersion(version), text) << version;
    }
}

}  // namespace
