#pragma once

#include "app/RealSeams.h"
#include "store/Clock.h"
#include "store/Session.h"
#include "support/FakePrompter.h"
#include "support/FakeShell.h"
#include "support/TestFolder.h"
#include "ui/AppContext.h"

// What a window is built with when it is tried on its own, away from the main
// window: a fresh data folder, a fake prompter and shell, and a fixed clock.
struct WindowContext {
    TestFolder folder;
    Session session;
    FakePrompter prompter;
    FixedClock clock{QDateTime(QDate(2004, 7, 4), QTime(13, 14, 15), Qt::OffsetFromUTC, 7200)};
    FakeShell shell;
    AppContext context{session, prompter, clock, folder.folder(), shell};

    WindowContext() { WireRealSeams(context, {}); }
};
