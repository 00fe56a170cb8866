#pragma once

#include <QString>

// What a task window asks of the main window. The main window implements it;
// window tests use a fake that records the calls.
class Shell {
public:
    enum class Window {
        Create,
        Open,
        Display,
        Find,
        ReportViewer,
        History,
        ImportMenu,
        Import,
        Export,
        Email,
        ClearOmits,
        PublicDraw,
        InternetUpdate,
        About,
        Help,
    };

    virtual ~Shell() = default;

    // "RANDOLA 3.00 - [name] [Total Records = n]" from the session; "RANDOLA 3.00"
    // when no database is open.
    virtual void ShowCountedTitle() = 0;
    virtual void RefreshMenus() = 0;
    // Asks the windows holding typed, unsaved work on the open database to let
    // it go before another database takes its place; false when the user keeps it.
    virtual bool mayChangeDatabase() = 0;
    // Shows the window (a task window already open is brought forward).
    virtual void showWindow(Window window) = 0;
    // Hands an address to the desktop, which opens it with its default handler.
    virtual void ShellOpen(const QString& address) = 0;
};
