#include "app/MenuStates.h"

#include "store/Session.h"

MenuStates ComputeMenuStates(const Session& session) {
    MenuStates s;
    s.mnuToolsUpdates = true;
    if (!session.hasDatabase()) {
        s.mnuEdit = s.mnuReports = s.mnuToolsClear = s.mnuToolsImport = s.mnuToolsCheck = false;
        s.mnuToolsPublicDraw = false;
        return s;
    }
    // Reading only, the check may run whatever the record window is doing.
    s.mnuEdit = s.mnuReports = s.mnuToolsImport = s.mnuToolsCheck = true;
    // A draw stamps records: not while one is half typed in the record window.
    s.mnuToolsPublicDraw = !session.isTyping();
    s.mnuToolsClear = session.TotalRecords > 0;
    if (session.isTyping()) {
        // A record half typed in the record window must be saved or dropped
        // before another window works on the same records.
        s.mnuToolsClear = s.mnuToolsImport = s.mnuEditDisplay = false;
    } else if (session.DisplayMode == Session::BrowseMode) {
        s.mnuToolsClear = s.mnuToolsImport = s.mnuEditDisplay = true;
    }
    return s;
}
