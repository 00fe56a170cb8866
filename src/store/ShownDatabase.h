#pragma once

#include <QString>
#include <QtGlobal>

#include "store/Session.h"

// The session's database as it was when a window took what it shows from it.
// Another database may be opened while the window stays open, or the same one
// closed and opened again under a new handle; what the window shows must then
// not be mixed with the database now open.
class ShownDatabase {
public:
    void take(const Session& session) {
        name_ = session.DatabaseName;
        handle_ = session.DataHandle;
    }
    // Still the session's open database.
    bool isCurrent(const Session& session) const {
        return handle_ == session.DataHandle && name_ == session.DatabaseName;
    }

private:
    QString name_;
    qint32 handle_ = 0;
};
