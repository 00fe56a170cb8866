#pragma once

#include <optional>

struct Session;

// Which menu items the session allows. An item left empty keeps whatever state
// it had: the refresh only touches the items its rules speak of, so an item a
// rule skips still shows the last decision made about it.
struct MenuStates {
    std::optional<bool> mnuEdit;
    std::optional<bool> mnuEditDisplay;
    std::optional<bool> mnuReports;
    std::optional<bool> mnuToolsImport;
    std::optional<bool> mnuToolsClear;
    std::optional<bool> mnuToolsPublicDraw;
    std::optional<bool> mnuToolsCheck;
    std::optional<bool> mnuToolsUpdates;

    bool operator==(const MenuStates&) const = default;
};

// The menu states for the session, rule by rule, later rules overriding
// earlier ones. File and Help are never disabled and so never appear here.
MenuStates ComputeMenuStates(const Session& session);
