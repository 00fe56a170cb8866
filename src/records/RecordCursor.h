#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <optional>

#include "store/Records.h"
#include "store/ShownDatabase.h"

struct Session;

// The record a window shows, kept by its identity in the data file, so that
// stepping, editing and deleting act on that record whatever other windows
// fetch meanwhile, and never on a record of a database opened since.
class RecordCursor {
public:
    // The session's database is the one shown from now on; no record yet.
    void take(const Session& session);
    // Still the session's open database.
    bool showsDatabaseOf(const Session& session) const { return database_.isCurrent(session); }
    // The identity of the record shown, 0 when none is.
    qint64 position(const Session& session) const;

    // The first or last record in key-1 order, or the next or previous from
    // the one shown; it becomes the record shown. Nothing, and LastResult
    // set, when there is none.
    std::optional<DataRecord> end(Session& session, bool last);
    std::optional<DataRecord> step(Session& session, bool forward);
    // The record shown as it is stored now (a pick may have stamped it).
    std::optional<DataRecord> reread(const Session& session) const;

    // The file's current record is the one shown (fetched by another window).
    void holdCurrent(const Session& session);
    void hold(qint64 position) { position_ = position; }
    void forget() { position_ = 0; }

private:
    std::optional<DataRecord> take(Session& session, const QByteArray& text, bool whole);

    ShownDatabase database_;
    qint64 position_ = 0;
};
