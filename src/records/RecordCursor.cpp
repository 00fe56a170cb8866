#include "records/RecordCursor.h"

#include "store/RecordManager.h"
#include "store/RecordText.h"
#include "store/Session.h"

void RecordCursor::take(const Session& session) {
    database_.take(session);
    position_ = 0;
}

qint64 RecordCursor::position(const Session& session) const {
    return showsDatabaseOf(session) ? position_ : 0;
}

std::optional<DataRecord> RecordCursor::end(Session& session, bool last) {
    if (session.TotalRecords <= 0) return std::nullopt;
    const QByteArray text =
        last ? trm_GetLast(session.DataHandle, 1) : trm_GetFirst(session.DataHandle, 1);
    // An empty text: the count was out of date and the file is empty.
    return take(session, text, !text.isEmpty());
}

std::optional<DataRecord> RecordCursor::step(Session& session, bool forward) {
    // From the record on screen, not from wherever another window left the
    // file's current record.
    if (const qint64 shown = position(session)) trm_GetDirect(session.DataHandle, shown);
    const QByteArray text =
        forward ? trm_GetNext(session.DataHandle) : trm_GetPrev(session.DataHandle);
    return take(session, text, !RecordText::trimmed(text).isEmpty());
}

std::optional<DataRecord> RecordCursor::take(Session& session, const QByteArray& text,
                                             bool whole) {
    const int code = trm_Result(session.DataHandle);
    if (code != TrmCode::Ok || !whole) {
        session.LastResult = code;
        return std::nullopt;
    }
    position_ = trm_GetPosition(session.DataHandle);
    return RecordFromString<DataRecord>(text);
}

std::optional<DataRecord> RecordCursor::reread(const Session& session) const {
    const qint64 shown = position(session);
    if (shown == 0) return std::nullopt;
    const QByteArray text = trm_GetDirect(session.DataHandle, shown);
    if (trm_Result(session.DataHandle) != TrmCode::Ok || text.isEmpty()) return std::nullopt;
    return RecordFromString<DataRecord>(text);
}

void RecordCursor::holdCurrent(const Session& session) {
    position_ = trm_GetPosition(session.DataHandle);
}
