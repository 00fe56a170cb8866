#pragma once

#include "PickDatabase.h"
#include "store/Clock.h"
#include "store/Session.h"
#include "support/FakePrompter.h"
#include "support/FakeShell.h"
#include "ui/AppContext.h"

// The session of a program that has opened a PickDatabase, in Browse mode,
// with the fakes a window is built with. The clock reads 07-04-2004 14:05:09.
struct WindowSession {
    WindowSession() {
        session.DatabaseName = db.name();
        session.DataHandle = db.handle();
        session.DisplayMode = Session::BrowseMode;
    }

    PickDatabase db;
    Session session;
    FakePrompter prompter;
    FixedClock clock{QDateTime(QDate(2004, 7, 4), QTime(14, 5, 9))};
    FakeShell shell;
    AppContext context{session, prompter, clock, db.folder().folder(), shell};
};
