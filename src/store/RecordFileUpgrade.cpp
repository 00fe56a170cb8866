#include "store/RecordFileUpgrade.h"

#include <QFile>
#include <functional>

#include "store/KeyLayout.h"
#include "store/RecordFile.h"
#include "store/RecordManager.h"
#include "store/RecordSchema.h"
#include "store/RecordText.h"
#include "store/Records.h"
#include "store/SqliteDatabase.h"
#include "store/Windows1252.h"

namespace RecordFileUpgrade {

namespace {

enum Step { Reading, Rows, Indexes, Committed, Moved, Steps };

StepHook& stepHook() {
    static StepHook hook;
    return hook;
}

void reach(Step step) {
    if (stepHook()) stepHook()(step);
}

constexpr qint64 kProgressStep = 2000;

// A member in UTF-8 at its width; counts it when it no longer fits.
QByteArray inUtf8(const QByteArray& member, int width, qint64& cut) {
    const QByteArray utf8 = Windows1252::toUnicode(RecordText::withoutPadding(member)).toUtf8();
    if (utf8.size() > width) ++cut;
    return RecordText::fixedWidth(utf8, width);
}

void convertMembers(DataRecord& r, qint64& cut) {
    for (QByteArray& field : r.Field) field = inUtf8(field, DataRecord::FieldWidth, cut);
    r.DateEntered = inUtf8(r.DateEntered, DataRecord::DateWidth, cut);
    r.LastPicked = inUtf8(r.LastPicked, DataRecord::DateWidth, cut);
    r.Omit = inUtf8(r.Omit, 1, cut);
    r.Notes = inUtf8(r.Notes, DataRecord::NotesWidth, cut);
}

QByteArray converted(const QByteArray& old, TrmKind kind, qint64& cut) {
    if (kind == TrmKind::Data) {
        DataRecord r = RecordFromString<DataRecord>(old);
        convertMembers(r, cut);
        return RecordToString(r);
    }
    HistoryRecord h = RecordFromString<HistoryRecord>(old);
    convertMembers(h.Record, cut);
    h.PickDate = inUtf8(h.PickDate, HistoryRecord::PickWidth, cut);
    h.PickTime = inUtf8(h.PickTime, HistoryRecord::PickWidth, cut);
    return RecordToString(h);
}

// The earlier file, read through a connection of its own.
class EarlierFile {
public:
    explicit EarlierFile(const QString& path) : db_(path, false, rc_) {}

    int code() const { return rc_; }
    sqlite3* handle() const { return db_.handle(); }
    // Its key layout and number of records; false when it has no such tables.
    bool describe(QByteArray& layout, qint64& records) {
        SqliteQuery keys = db_.statement(QStringLiteral("SELECT keys FROM layout"), rc_);
        if (!keys || (rc_ = keys->step()) != SQLITE_ROW) return false;
        layout = keys->blob(0);
        SqliteQuery count = db_.statement(QStringLiteral("SELECT count(*) FROM records"), rc_);
        if (!count || (rc_ = count->step()) != SQLITE_ROW) return false;
        records = count->int64(0);
        rc_ = SQLITE_OK;
        return true;
    }

private:
    int rc_ = SQLITE_OK;
    SqliteDatabase db_;
};

// Copies every record, converted, into the new file's table.
class Copy {
public:
    Copy(const Copy&) = delete;
    Copy& operator=(const Copy&) = delete;
    Copy(EarlierFile& from, TrmKind kind, qint64 total, const Progress& progress, Outcome& outcome)
        : from_(from), columns_(kind), total_(total), progress_(progress), outcome_(outcome) {}

    int operator()(SqliteDatabase& to) {
        reach(Rows);
        sqlite3_stmt* raw = nullptr;
        int rc = sqlite3_prepare_v2(from_.handle(), "SELECT id, data FROM records ORDER BY id", -1,
                                    &raw, nullptr);
        SqliteStatement rows(raw);
        if (rc != SQLITE_OK) return rc;
        // The same identities: the order of records with equal keys stays.
        SqliteQuery insert =
            to.statement(QStringLiteral("INSERT INTO records(id, %1) VALUES(?1, %2)")
                             .arg(columns_.names(), columns_.placeholders(2)),
                         rc);
        if (!insert) return rc;
        while ((rc = rows.step()) == SQLITE_ROW) {
            const QByteArray record = converted(rows.blob(1), columns_.kind(), outcome_.cut);
            insert->reset().bind(1, rows.int64(0));
            columns_.bind(*insert, record, 2);
            if ((rc = insert->step()) != SQLITE_DONE) return rc;
            if (++outcome_.records % kProgressStep == 0 && !goOn()) return SQLITE_INTERRUPT;
        }
        if (rc != SQLITE_DONE) return rc;
        reach(Indexes);
        return goOn() ? SQLITE_OK : SQLITE_INTERRUPT;
    }

    bool goOn() {
        if (progress_ && !progress_(outcome_.records, total_)) outcome_.stopped = true;
        return !outcome_.stopped;
    }

    EarlierFile& from_;
    RecordColumns columns_;
    qint64 total_;
    const Progress& progress_;
    Outcome& outcome_;
};

int keep(const QString& path) {
    const QString kept = KeptPath(path);
    QFile::remove(kept);
    return QFile::copy(path, kept) ? SQLITE_OK : SQLITE_FULL;
}

}  // namespace

QString KeptPath(const QString& path) {
    return path + QStringLiteral(".earlier");
}

bool Needed(const QString& path) {
    return RecordSchema::ReadHeader(path) == RecordSchema::Header::Earlier;
}

Outcome Convert(const QString& path, TrmKind kind, const Progress& progress) {
    Outcome outcome;
    reach(Reading);
    int failure = SQLITE_OK;
    const int code = RecordFile::replace(path, [&](const QString& building) {
        // Opened for writing, so that SQLite first rolls back what a crash
        // may have left half-written in it.
        EarlierFile from(path);
        QByteArray layout;
        qint64 total = 0;
        if (from.code() != SQLITE_OK || !from.describe(layout, total)) {
            return failure = from.code() == SQLITE_OK ? SQLITE_NOTADB : from.code();
        }
        const auto keyCount = KeyLayout::KeyCount(layout);
        if (!keyCount) return failure = SQLITE_NOTADB;
        Copy copy(from, kind, total, progress, outcome);
        failure = RecordSchema::Write(building, layout, *keyCount, kind, std::ref(copy),
                                      [&copy] { return copy.goOn(); });
        // A value longer than its field once in UTF-8 had to be cut: the file
        // as it was is kept, so that nothing is lost.
        if (failure == SQLITE_OK && outcome.cut > 0) failure = keep(path);
        if (failure == SQLITE_OK) reach(Committed);
        return failure;
    });
    if (outcome.stopped) return outcome;
    if (failure != SQLITE_OK) {
        outcome.code = RecordFile::codeOf(failure);
        return outcome;
    }
    outcome.code = code;
    if (code == TrmCode::Ok) reach(Moved);
    if (code == TrmCode::Ok && outcome.cut > 0) outcome.keptAs << KeptPath(path);
    return outcome;
}

void SetStepHook(StepHook hook) {
    stepHook() = std::move(hook);
}

int StepCount() {
    return Steps;
}

}  // namespace RecordFileUpgrade
