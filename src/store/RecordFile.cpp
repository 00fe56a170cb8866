#include "store/RecordFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <cstdio>

#include "store/FolderSync.h"
#include "store/KeyLayout.h"
#include "store/KeyOrder.h"
#include "store/ReceiptTable.h"
#include "store/RecordManager.h"
#include "store/RecordSchema.h"
#include "store/RecordText.h"
#include "store/Records.h"
#include "store/SqliteDatabase.h"

namespace {

// Past this many inserts or deletes in one transaction, rebuilding the rank
// index once beats keeping it current change by change.
constexpr int kIncrementalLimit = 64;

// Content versions are drawn from one counter, so that a version names one
// file in one state for the whole run.
qint64 nextContentVersion() {
    static qint64 last = 0;
    return ++last;
}

}  // namespace

int RecordFile::codeOf(int sqliteCode) {
    switch (sqliteCode & 0xFF) {
        case SQLITE_OK:
            return TrmCode::Ok;
        case SQLITE_NOTADB:
            return TrmCode::NotADatabase;
        // Our statements are fixed: one that SQLite refuses meets tables
        // that are not as the program wrote them.
        case SQLITE_ERROR:
        case SQLITE_CORRUPT:
        case SQLITE_FORMAT:
        case SQLITE_SCHEMA:
            return TrmCode::Damaged;
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_AUTH:
        case SQLITE_CANTOPEN:
            return TrmCode::ReadOnly;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return TrmCode::Busy;
        default:
            return TrmCode::IoError;
    }
}

namespace {

int codeOfHeader(RecordSchema::Header header) {
    switch (header) {
        case RecordSchema::Header::Ours:
            return TrmCode::Ok;
        case RecordSchema::Header::Earlier:
            return TrmCode::EarlierVersion;
        case RecordSchema::Header::Newer:
            return TrmCode::NewerVersion;
        case RecordSchema::Header::Missing:
            return TrmCode::FileNotFound;
        case RecordSchema::Header::Unreadable:
            return TrmCode::ReadOnly;
        case RecordSchema::Header::Foreign:
            break;
    }
    return TrmCode::NotADatabase;
}

void removeWithJournal(const QString& path) {
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
}

}  // namespace

int RecordFile::create(const QString& path, const QByteArray& keyLayout, TrmKind kind) {
    const auto keyCount = KeyLayout::KeyCount(keyLayout);
    if (!keyCount) return TrmCode::BadKeyLayout;
    return replace(path, [&](const QString& building) {
        return RecordSchema::Write(building, keyLayout, *keyCount, kind);
    });
}

int RecordFile::replace(const QString& path, const std::function<int(const QString&)>& write) {
    // Built beside the target under a name that is never listed as a database,
    // then moved over it in one step.
    const QString building = path + QStringLiteral(".building");
    removeWithJournal(building);
    const int rc = write(building);
    if (rc != SQLITE_OK) {
        removeWithJournal(building);
        const int code = codeOf(rc);
        return code == TrmCode::ReadOnly ? TrmCode::CannotCreate : code;
    }
    // A journal left by the file being replaced would be played into the new one.
    QFile::remove(path + QStringLiteral("-journal"));
    if (std::rename(QFile::encodeName(building).constData(), QFile::encodeName(path).constData()) !=
        0) {
        removeWithJournal(building);
        return TrmCode::CannotCreate;
    }
    SyncFolder(QFileInfo(path).absolutePath());
    return TrmCode::Ok;
}

RecordFile::RecordFile(std::shared_ptr<SqliteDatabase> db, QString schema)
    : db_(std::move(db)), schema_(std::move(schema)), contentVersion_(nextContentVersion()) {}

RecordFile::~RecordFile() = default;

int RecordFile::open(const QString& path, const std::shared_ptr<SqliteDatabase>& companion,
                     const QString& schema, std::unique_ptr<RecordFile>& opened) {
    if (QFileInfo(path).isDir()) return TrmCode::FileNotFound;
    // Nothing, not even a setting, is written to a file before it is known to be ours.
    if (const int code = codeOfHeader(RecordSchema::ReadHeader(path)); code != TrmCode::Ok) {
        return code;
    }
    std::shared_ptr<SqliteDatabase> db = companion;
    int rc = SQLITE_OK;
    if (!db) {
        db = std::make_shared<SqliteDatabase>(path, false, rc);
        if (rc != SQLITE_OK) return codeOf(rc);
        if ((rc = RecordSchema::DefineKeyOrder(db->handle())) != SQLITE_OK) return codeOf(rc);
        sqlite3_busy_timeout(db->handle(), 2000);
        rc = db->exec(
            "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL; PRAGMA cache_size=-32768");
        if (rc != SQLITE_OK) return codeOf(rc);
    } else {
        if (db->inTransaction()) return TrmCode::TransactionState;
        // Each attachment has a schema name of its own: not worth a cached statement.
        rc = db->execOnce(QStringLiteral("ATTACH DATABASE ?1 AS %1").arg(schema), path.toUtf8());
        if (rc != SQLITE_OK) return codeOf(rc);
    }
    std::unique_ptr<RecordFile> file(new RecordFile(db, schema));
    const int code = file->load();
    if (code != TrmCode::Ok) {
        if (companion) file->detach();
        return code;
    }
    opened = std::move(file);
    return TrmCode::Ok;
}

int RecordFile::load() {
    int rc = SQLITE_OK;
    {
        SqliteQuery layout =
            db_->statement(QStringLiteral("SELECT keys, kind FROM %1.layout").arg(schema_), rc);
        if (!layout) return codeOf(rc);
        if (layout->step() != SQLITE_ROW) return TrmCode::Damaged;
        keyLayout_ = layout->blob(0);
        const auto keyCount = KeyLayout::KeyCount(keyLayout_);
        const auto kind = RecordColumns::kindNamed(QString::fromUtf8(layout->bytes(1)));
        if (!keyCount || !kind) return TrmCode::Damaged;
        keyCount_ = *keyCount;
        columns_ = RecordColumns(*kind);
    }
    if (!tablesAsWritten()) return TrmCode::Damaged;
    dataVersion_ = dataVersion();
    // A damaged file must not pass for an empty one.
    return recount();
}

int RecordFile::recount() {
    int rc = SQLITE_OK;
    SqliteQuery count =
        db_->statement(QStringLiteral("SELECT count(*) FROM %1.records").arg(schema_), rc);
    if (!count) return codeOf(rc);
    if ((rc = count->step()) != SQLITE_ROW) return codeOf(rc);
    count_ = count->int64(0);
    return TrmCode::Ok;
}

// SQLite's count of commits made to the file by other connections: another
// copy of the program, or the command line, adding or removing records.
qint64 RecordFile::dataVersion() {
    int rc = SQLITE_OK;
    SqliteQuery version =
        db_->statement(QStringLiteral("PRAGMA %1.data_version").arg(schema_), rc);
    return version && version->step() == SQLITE_ROW ? version->int64(0) : -1;
}

// What the handle keeps of the file (its count, the positions of its
// records) is taken again once someone else has changed it.
void RecordFile::followOtherWriters() {
    if (db_->inTransaction()) return;  // no one else can commit meanwhile
    const qint64 version = dataVersion();
    if (version == dataVersion_) return;
    dataVersion_ = version;
    ranks_.invalidate();
    recount();
}

qint64 RecordFile::count() {
    followOtherWriters();
    return count_;
}

// Every column and key index a file of its kind is written with, so that a
// file damaged by hand or by another program is refused at once rather than
// failing in every operation later.
bool RecordFile::tablesAsWritten() {
    QStringList columns;
    int rc = SQLITE_OK;
    SqliteQuery info =
        db_->statement(QStringLiteral("PRAGMA %1.table_info(records)").arg(schema_), rc);
    if (!info) return false;
    while (info->step() == SQLITE_ROW) columns << QString::fromUtf8(info->bytes(1));
    if (columns !=
        QStringList{QStringLiteral("id")} + columns_.names().split(QStringLiteral(", "))) {
        return false;
    }
    SqliteQuery indexes = db_->statement(
        QStringLiteral("SELECT count(*) FROM %1.sqlite_master WHERE type = 'index' AND "
                       "tbl_name = 'records'")
            .arg(schema_),
        rc);
    return indexes && indexes->step() == SQLITE_ROW && indexes->int64(0) == keyCount_ + 1;
}

int RecordFile::detach() {
    if (schema_ == QLatin1String("main")) return TrmCode::Ok;
    if (db_->inTransaction()) return TrmCode::TransactionState;
    insertStatement_ = updateStatisticsStatement_ = updateFlagStatement_ = updateAllStatement_ =
        nullptr;
    db_->dropStatements(schema_);
    const int rc = db_->exec(QStringLiteral("DETACH DATABASE %1").arg(schema_));
    return codeOf(rc);
}

// Statements name their file's schema as {S}, the members' columns as {M},
// and key k, as its index holds it, as {KEY}.
QString RecordFile::sql(const char* pattern, int key) const {
    return QString::fromLatin1(pattern)
        .replace(QLatin1String("{S}"), schema_)
        .replace(QLatin1String("{M}"), columns_.names())
        .replace(QLatin1String("{KEY}"), RecordSchema::KeyExpression(key));
}

int RecordFile::fail(int sqliteCode) {
    result_ = codeOf(sqliteCode);
    detail_ = db_->lastError();
    return result_;
}

int RecordFile::succeed() {
    result_ = TrmCode::Ok;
    detail_.clear();
    return result_;
}

// The record string as given, in the buffer a row is bound from.
QByteArray RecordFile::normalized(const QByteArray& record) const {
    return record.size() == columns_.width() ? record : RecordBuffer(record, columns_.width());
}

QByteArray RecordFile::keyOf(const QByteArray& record, int key) {
    return KeyOrder::Key(
        QByteArrayView(record).sliced(KeyLayout::KeyLength * (key - 1), KeyLayout::KeyLength));
}

// Runs a fetch whose first column is the id, then the members; the record
// found becomes current on `key`.
QByteArray RecordFile::fetch(const QString& statement, int key, const QByteArray* keyValue,
                             qint64 id, int notFound) {
    int rc = SQLITE_OK;
    SqliteQuery stmt = db_->statement(statement, rc);
    if (!stmt) {
        fail(rc);
        return {};
    }
    if (keyValue) stmt->bindText(1, *keyValue);
    if (id != 0) stmt->bind(2, id);
    rc = stmt->step();
    if (rc == SQLITE_DONE) {
        result_ = notFound;
        detail_.clear();
        return {};
    }
    if (rc != SQLITE_ROW) {
        fail(rc);
        return {};
    }
    const QByteArray record = columns_.read(*stmt, 1);
    current_ = Current{true, key, keyOf(record, key), stmt->int64(0)};
    succeed();
    return record;
}

bool RecordFile::hasKey(int key) {
    if (key >= 1 && key <= keyCount_) return true;
    result_ = TrmCode::BadKeyNumber;
    return false;
}

QByteArray RecordFile::getFirst(int key) {
    if (!hasKey(key)) return {};
    return fetch(sql("SELECT id, {M} FROM {S}.records ORDER BY {KEY}, id LIMIT 1", key), key,
                 nullptr, 0, TrmCode::EndOfFile);
}

QByteArray RecordFile::getLast(int key) {
    if (!hasKey(key)) return {};
    return fetch(sql("SELECT id, {M} FROM {S}.records ORDER BY {KEY} DESC, id DESC LIMIT 1", key),
                 key, nullptr, 0, TrmCode::EndOfFile);
}

// One step along the key path: first among the records with the same key
// (by identity), then to the nearest key. Two bounded index searches; a single
// row-value comparison would scan a long run of duplicates.
QByteArray RecordFile::step(bool forward) {
    if (!current_.valid) return result_ = TrmCode::NoCurrentRecord, QByteArray();
    Current from = current_;
    // A record inserted is current without its key worked out: most are never stepped from.
    if (from.keyValue.isEmpty()) from.keyValue = storedKey(from.id, from.key);
    const char* sameKey = forward ? "SELECT id, {M} FROM {S}.records WHERE {KEY} = ?1 AND id > ?2 "
                                    "ORDER BY {KEY}, id LIMIT 1"
                                  : "SELECT id, {M} FROM {S}.records WHERE {KEY} = ?1 AND id < ?2 "
                                    "ORDER BY {KEY} DESC, id DESC LIMIT 1";
    const char* nextKey = forward ? "SELECT id, {M} FROM {S}.records WHERE {KEY} > ?1 "
                                    "ORDER BY {KEY}, id LIMIT 1"
                                  : "SELECT id, {M} FROM {S}.records WHERE {KEY} < ?1 "
                                    "ORDER BY {KEY} DESC, id DESC LIMIT 1";
    QByteArray found =
        fetch(sql(sameKey, from.key), from.key, &from.keyValue, from.id, TrmCode::EndOfFile);
    if (result_ != TrmCode::EndOfFile) return found;
    return fetch(sql(nextKey, from.key), from.key, &from.keyValue, 0, TrmCode::EndOfFile);
}

QByteArray RecordFile::getNext() {
    return step(true);
}

QByteArray RecordFile::getPrev() {
    return step(false);
}

namespace {

const char* comparisonOf(RecordFile::Search how) {
    static constexpr const char* kOperators[] = {"=", ">=", "<=", ">", "<"};
    return kOperators[static_cast<int>(how)];
}

}  // namespace

// A key value as the index holds keys: padded or cut to the key's width first.
QByteArray RecordFile::searchKey(const QByteArray& value) {
    return KeyOrder::Key(RecordText::fixedWidth(value, KeyLayout::KeyLength));
}

QByteArray RecordFile::search(Search how, int key, const QByteArray& value) {
    if (!hasKey(key)) return {};
    const QString statement =
        sql("SELECT id, {M} FROM {S}.records WHERE {KEY} %1 ?1 ORDER BY {KEY}, id LIMIT 1", key)
            .arg(QLatin1String(comparisonOf(how)));
    const QByteArray wanted = searchKey(value);
    return fetch(statement, key, &wanted, 0, TrmCode::KeyNotFound);
}

QByteArray RecordFile::getDirect(qint64 id) {
    return fetch(sql("SELECT id, {M} FROM {S}.records WHERE id = ?2"), 1, nullptr, id,
                 TrmCode::NoCurrentRecord);
}

QByteArray RecordFile::storedKey(qint64 id, int key) {
    int rc = SQLITE_OK;
    SqliteQuery stmt =
        db_->statement(sql("SELECT f%1 FROM {S}.records WHERE id = ?1").arg(key), rc);
    if (!stmt || stmt->bind(1, id).step() != SQLITE_ROW) return {};
    return KeyOrder::Key(stmt->bytes(0));
}

QByteArray RecordFile::storedKey1(qint64 id) {
    return storedKey(id, 1);
}

bool RecordFile::ensureRanks() {
    followOtherWriters();
    if (ranks_.valid()) return true;
    int rc = SQLITE_OK;
    SqliteQuery stmt = db_->statement(sql("SELECT id FROM {S}.records ORDER BY {KEY}, id", 1), rc);
    if (!stmt) return fail(rc), false;
    std::vector<qint64> ids;
    ids.reserve(static_cast<std::size_t>(count_));
    while ((rc = stmt->step()) == SQLITE_ROW) ids.push_back(stmt->int64(0));
    if (rc != SQLITE_DONE) return fail(rc), false;
    ranks_.assign(std::move(ids));
    return true;
}

QByteArray RecordFile::getNth(qint64 n) {
    if (!ensureRanks()) return {};
    if (n < 1 || n > qint64(ranks_.size())) return result_ = TrmCode::EndOfFile, QByteArray();
    return getDirect(ranks_.idAt(static_cast<std::size_t>(n - 1)));
}

// Binds the value a byte test compares with.
void RecordFile::bindByte(SqliteStatement& stmt, int index, const RecordColumns::ByteTest& test) {
    if (test.text) {
        stmt.bindText(index, test.value);
    } else {
        stmt.bind(index, test.value);
    }
}

qint64 RecordFile::countWhere(int offset, char value) {
    const auto test = columns_.byteAt(offset, value);
    if (!test) return result_ = TrmCode::BadOffset, 0;
    int rc = SQLITE_OK;
    SqliteQuery stmt = db_->statement(
        sql("SELECT count(*) FROM {S}.records WHERE %1 = ?1").arg(test->expression), rc);
    if (!stmt) return fail(rc), 0;
    bindByte(*stmt, 1, *test);
    if ((rc = stmt->step()) != SQLITE_ROW) return fail(rc), 0;
    succeed();
    return stmt->int64(0);
}

qint64 RecordFile::countCopies(const QByteArray& given) {
    if (kind() != TrmKind::Data || !fits(given)) return result_ = TrmCode::BadRecord, 0;
    // Key 1's index narrows the search to the records that sort alike; SQLite
    // then compares the fields of those, however many copies there are. The
    // first field is compared as "+f1": as plain "f1 = ?" SQLite would put the
    // value in place of f1 in the key's expression and no longer see its index.
    const int key = 1 + columns_.statisticsCount() + RecordColumns::FieldColumns;
    const QString fields =
        columns_.fieldsUnchanged(1).replace(QLatin1String(" f1 ="), QLatin1String(" +f1 ="));
    int rc = SQLITE_OK;
    SqliteQuery stmt = db_->statement(
        sql("SELECT count(*) FROM {S}.records WHERE {KEY} = ?%1%2 AND omit <> 'T'")
            .arg(key)
            .arg(fields),
        rc);
    if (!stmt) return fail(rc), 0;
    const QByteArray record = normalized(given);
    const QByteArray key1 = keyOf(record, 1);
    columns_.bindSplit(*stmt, record, 1);
    stmt->bindText(key, key1);
    if ((rc = stmt->step()) != SQLITE_ROW) return fail(rc), 0;
    succeed();
    return stmt->int64(0);
}

namespace {

// The records whose byte is (not) the value: those that differ are read as
// the two ranges either side of the value, so a selection of the few costs
// no read of the many. The index gives them by byte, then identity.
const char* selectionWhere(bool equal) {
    return equal ? "SELECT id%2 FROM {S}.records WHERE %1 = ?1"
                 : "SELECT id%2 FROM {S}.records WHERE %1 < ?1 UNION ALL "
                   "SELECT id%2 FROM {S}.records WHERE %1 > ?1";
}

}  // namespace

std::vector<qint64> RecordFile::identitiesWhere(int offset, char value, bool equal) {
    std::vector<qint64> ids;
    const auto test = columns_.byteAt(offset, value);
    if (!test) return result_ = TrmCode::BadOffset, ids;
    int rc = SQLITE_OK;
    SqliteQuery stmt =
        db_->statement(sql(selectionWhere(equal)).arg(test->expression, QString()), rc);
    if (!stmt) return fail(rc), ids;
    bindByte(*stmt, 1, *test);
    while ((rc = stmt->step()) == SQLITE_ROW) ids.push_back(stmt->int64(0));
    if (rc != SQLITE_DONE) return fail(rc), std::vector<qint64>();
    // Only one byte value comes sorted.
    if (!std::is_sorted(ids.begin(), ids.end())) std::sort(ids.begin(), ids.end());
    succeed();
    return ids;
}

int RecordFile::scanWhere(int offset, char value, bool equal,
                          const std::function<bool(qint64 id, const QByteArray& record)>& visit) {
    const auto test = columns_.byteAt(offset, value);
    if (!test) return result_ = TrmCode::BadOffset;
    int rc = SQLITE_OK;
    SqliteQuery stmt = db_->statement(
        sql(selectionWhere(equal)).arg(test->expression, QStringLiteral(", ") + columns_.names()),
        rc);
    if (!stmt) return fail(rc);
    bindByte(*stmt, 1, *test);
    while ((rc = stmt->step()) == SQLITE_ROW) {
        if (!visit(stmt->int64(0), columns_.read(*stmt, 1))) break;
    }
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) return fail(rc);
    return succeed();
}

std::vector<qint64> RecordFile::positionsWhere(int offset, char value, bool equal) {
    std::vector<qint64> positions;
    if (!ensureRanks()) return positions;
    // Mark the identities asked for, then read the marks in rank order.
    const std::vector<qint64> chosen = identitiesWhere(offset, value, equal);
    if (result_ != TrmCode::Ok) return positions;
    std::vector<bool> matching(chosen.empty() ? 0 : static_cast<std::size_t>(chosen.back()) + 1);
    for (const qint64 id : chosen) matching[static_cast<std::size_t>(id)] = true;
    const std::vector<qint64>& ids = ranks_.ids();
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const auto id = static_cast<std::size_t>(ids[i]);
        if (id < matching.size() && matching[id]) positions.push_back(qint64(i) + 1);
    }
    return positions;
}

// A statement of its own rather than a cached one: the visitor may use the
// file meanwhile (fetch, count, even scan again) without resetting this walk.
int RecordFile::walk(const QString& statement,
                     const std::function<bool(const SqliteStatement&)>& row) {
    sqlite3_stmt* raw = nullptr;
    const QByteArray text = statement.toUtf8();
    int rc = sqlite3_prepare_v2(db_->handle(), text.constData(), -1, &raw, nullptr);
    SqliteStatement stmt(raw);
    if (rc != SQLITE_OK) return fail(rc);
    while ((rc = stmt.step()) == SQLITE_ROW) {
        if (!row(stmt)) break;
    }
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) return fail(rc);
    return succeed();
}

int RecordFile::scan(int key, const Visitor& visit) {
    if (!hasKey(key)) return result_;
    return walk(
        sql("SELECT id, {M} FROM {S}.records ORDER BY {KEY}, id", key),
        [&](const SqliteStatement& row) { return visit(row.int64(0), columns_.read(row, 1)); });
}

int RecordFile::scanStored(const Visitor& visit) {
    return walk(
        sql("SELECT id, {M} FROM {S}.records ORDER BY id"),
        [&](const SqliteStatement& row) { return visit(row.int64(0), columns_.read(row, 1)); });
}

// The key's index holds the identities: the records themselves are not read.
int RecordFile::scanIdentities(int key, const std::function<bool(qint64 id)>& visit) {
    if (!hasKey(key)) return result_;
    return walk(sql("SELECT id FROM {S}.records ORDER BY {KEY}, id", key),
                [&](const SqliteStatement& row) { return visit(row.int64(0)); });
}

void RecordFile::contentChanged() {
    contentVersion_ = nextContentVersion();
}

qint64 RecordFile::contentVersion() {
    // Unknown is taken as changed: a version must never vouch for content it did not see.
    const qint64 seen = dataVersion();
    if (seen < 0 || seen != seenDataVersion_) {
        seenDataVersion_ = seen;
        contentChanged();
    }
    return contentVersion_;
}

void RecordFile::noteChange() {
    if (db_->inTransaction() && ++changesInTransaction_ > kIncrementalLimit) ranks_.invalidate();
}

// Prepared on first use and kept in `slot`: a batch of many rows neither
// builds nor looks up the statement's text per row.
SqliteStatement* RecordFile::kept(SqliteStatement*& slot, const std::function<QString()>& text,
                                  int& rc) {
    rc = SQLITE_OK;
    if (slot) return &slot->reset();
    SqliteQuery stmt = db_->statement(text(), rc);
    slot = stmt.release();
    return slot;
}

// A record longer than the file's (a history record given to a data file)
// would lose its end without a word.
bool RecordFile::fits(const QByteArray& record) const {
    return !record.isEmpty() &&
           RecordText::withoutPadding(record).size() <= qsizetype(columns_.width());
}

int RecordFile::insert(const QByteArray& given) {
    if (!fits(given)) return result_ = TrmCode::BadRecord;
    int rc = SQLITE_OK;
    SqliteStatement* stmt = kept(
        insertStatement_,
        [this] {
            return sql("INSERT INTO {S}.records({M}) VALUES(%1)").arg(columns_.placeholders(1));
        },
        rc);
    if (!stmt) return fail(rc);
    SqliteQuery running(stmt);
    const QByteArray record = normalized(given);
    columns_.bind(*stmt, record, 1);
    rc = stmt->step();
    if (rc != SQLITE_DONE) return fail(rc);
    const qint64 id = sqlite3_last_insert_rowid(db_->handle());
    ++count_;
    noteChange();
    contentChanged();
    QByteArray key1;
    if (ranks_.valid()) {
        key1 = keyOf(record, 1);
        ranks_.insertAt(ranks_.lowerBound(key1, id, [this](qint64 i) { return storedKey1(i); }),
                        id);
    }
    current_ = Current{true, 1, key1, id};
    return succeed();
}

// Most updates change no field (a pick's stamp, the omit flag, notes, dates):
// those write the other members alone, matching the stored fields in the
// same statement, so that no key index is rewritten. The first try matches
// the omit flag too, so that a change of it is known to change the records
// a pick draws from.
int RecordFile::update(const QByteArray& given) {
    if (!current_.valid) return result_ = TrmCode::NoCurrentRecord;
    if (!fits(given)) return result_ = TrmCode::BadRecord;
    const qint64 id = current_.id;
    const QByteArray record = normalized(given);
    bool written = false;
    for (const bool sameFlag : {true, false}) {
        int rc = SQLITE_OK;
        SqliteStatement* sameFields = kept(
            sameFlag ? updateStatisticsStatement_ : updateFlagStatement_,
            [this, sameFlag] {
                return sql("UPDATE {S}.records SET %1 WHERE id = ?1%2%3")
                    .arg(columns_.statisticsAssignments(2), columns_.fieldsUnchanged(2),
                         sameFlag ? columns_.omitUnchanged(2) : QString());
            },
            rc);
        if (!sameFields) return fail(rc);
        SqliteQuery running(sameFields);
        sameFields->bind(1, id);
        columns_.bindSplit(*sameFields, record, 2);
        if ((rc = sameFields->step()) != SQLITE_DONE) return fail(rc);
        if ((written = sqlite3_changes(db_->handle()) > 0)) {
            if (!sameFlag) contentChanged();
            break;
        }
    }
    if (!written) {
        const int code = updateWithFields(id, record);
        if (code != TrmCode::Ok) return code;
    }
    current_.keyValue = keyOf(record, current_.key);
    return succeed();
}

int RecordFile::updateWithFields(qint64 id, const QByteArray& record) {
    const QByteArray oldKey1 = storedKey1(id);
    if (oldKey1.isEmpty()) return result_ = TrmCode::NoCurrentRecord;
    int rc = SQLITE_OK;
    SqliteStatement* stmt = kept(
        updateAllStatement_,
        [this] {
            return sql("UPDATE {S}.records SET ({M}) = (%1) WHERE id = ?1")
                .arg(columns_.placeholders(2));
        },
        rc);
    if (!stmt) return fail(rc);
    SqliteQuery running(stmt);
    stmt->bind(1, id);
    columns_.bind(*stmt, record, 2);
    if ((rc = stmt->step()) != SQLITE_DONE) return fail(rc);
    contentChanged();
    const QByteArray newKey1 = keyOf(record, 1);
    if (newKey1 == oldKey1) return TrmCode::Ok;
    noteChange();
    if (ranks_.valid()) {
        auto keyOfRanked = [&](qint64 i) { return i == id ? oldKey1 : storedKey1(i); };
        ranks_.remove(oldKey1, id, keyOfRanked);
    }
    if (ranks_.valid()) {
        ranks_.insertAt(ranks_.lowerBound(newKey1, id, [this](qint64 i) { return storedKey1(i); }),
                        id);
    }
    return TrmCode::Ok;
}

int RecordFile::updateDirect(qint64 id, const QByteArray& record) {
    const Current before = current_;
    current_ = Current{true, 1, {}, id};
    const int code = update(record);
    if (code != TrmCode::Ok) current_ = before;
    return code;
}

int RecordFile::setByteWhere(int offset, char from, char to, int limit, int& changed) {
    changed = 0;
    const auto column = columns_.flagColumn(offset);
    if (!column) return result_ = TrmCode::BadOffset;
    const auto was = columns_.byteAt(offset, from);
    const auto becomes = columns_.byteAt(offset, to);
    int rc = SQLITE_OK;
    SqliteQuery stmt =
        db_->statement(sql("UPDATE {S}.records SET %1 = ?2 WHERE id IN "
                           "(SELECT id FROM {S}.records WHERE %1 = ?3 ORDER BY id LIMIT ?4)")
                           .arg(*column),
                       rc);
    if (!stmt) return fail(rc);
    bindByte(*stmt, 2, *becomes);
    bindByte(*stmt, 3, *was);
    rc = stmt->bind(4, qint64(limit)).step();
    if (rc != SQLITE_DONE) return fail(rc);
    changed = sqlite3_changes(db_->handle());
    if (changed > 0) contentChanged();
    return succeed();
}

int RecordFile::remove() {
    if (!current_.valid) return result_ = TrmCode::NoCurrentRecord;
    const qint64 id = current_.id;
    const QByteArray key1 = storedKey1(id);
    int rc = SQLITE_OK;
    SqliteQuery stmt = db_->statement(sql("DELETE FROM {S}.records WHERE id = ?1"), rc);
    if (!stmt) return fail(rc);
    rc = stmt->bind(1, id).step();
    if (rc != SQLITE_DONE) return fail(rc);
    if (sqlite3_changes(db_->handle()) == 0) return result_ = TrmCode::NoCurrentRecord;
    --count_;
    noteChange();
    contentChanged();
    if (ranks_.valid()) {
        ranks_.remove(key1, id, [&](qint64 i) { return i == id ? key1 : storedKey1(i); });
    }
    // The deleted record stays the place on the key path: next and previous
    // move on from where it stood.
    return succeed();
}

int RecordFile::beginBulkLoad() {
    if (!db_->inTransaction() || bulkLoading_) return result_ = TrmCode::TransactionState;
    const int rc = db_->exec(RecordSchema::DropIndexes(keyCount_, schema_));
    if (rc != SQLITE_OK) return fail(rc);
    bulkLoading_ = true;
    contentChanged();
    // The rank index would be kept row by row through the load: rebuilt once afterwards.
    ranks_.invalidate();
    ++changesInTransaction_;
    return succeed();
}

int RecordFile::endBulkLoad(const std::function<bool()>& keepGoing) {
    if (!db_->inTransaction() || !bulkLoading_) return result_ = TrmCode::TransactionState;
    const int rc = RecordSchema::BuildIndexes(*db_, keyCount_, schema_, keepGoing);
    if (rc != SQLITE_OK) return fail(rc);
    bulkLoading_ = false;
    return succeed();
}

void RecordFile::transactionEnded(bool committed) {
    bulkLoading_ = false;
    // Rolled back, the file holds again what an earlier version named, but
    // what was worked out meanwhile under the newer one no longer holds.
    if (!committed) contentChanged();
    if (!committed && changesInTransaction_ > 0) {
        ranks_.invalidate();
        recount();
    }
    changesInTransaction_ = 0;
}

int RecordFile::addReceipt(const TrmReceipt& receipt) {
    // Only history files keep receipts, beside the records they speak of.
    if (kind() != TrmKind::History) return result_ = TrmCode::BadRecord;
    const int rc = ReceiptTable(*db_, schema_).add(receipt);
    return rc == SQLITE_OK ? succeed() : fail(rc);
}

int RecordFile::readReceipts(const QByteArray* stamp, bool withPool, std::vector<TrmReceipt>& out) {
    const int rc = ReceiptTable(*db_, schema_).read(stamp, withPool, out);
    return rc == SQLITE_OK ? succeed() : fail(rc);
}

// A statement of its own would cost a prepare per row shown; the cached one
// is reset before any other use of the connection.
QByteArray RecordFile::peek(qint64 id) {
    int rc = SQLITE_OK;
    SqliteQuery stmt = db_->statement(sql("SELECT {M} FROM {S}.records WHERE id = ?1"), rc);
    if (!stmt || stmt->bind(1, id).step() != SQLITE_ROW) return {};
    return columns_.read(*stmt, 0);
}

int RecordFile::identities(std::vector<qint64>& ids) {
    ids.clear();
    if (!ensureRanks()) return result_;
    ids = ranks_.ids();
    return succeed();
}

// The key's index gives the records in order; the current record is not moved.
int RecordFile::findAll(Search how, int key, const QByteArray& value, std::vector<qint64>& ids,
                        const std::function<bool()>& keepGoing) {
    ids.clear();
    if (!hasKey(key)) return result_;
    int rc = SQLITE_OK;
    SqliteQuery stmt =
        db_->statement(sql("SELECT id FROM {S}.records WHERE {KEY} %1 ?1 ORDER BY {KEY}, id", key)
                           .arg(QLatin1String(comparisonOf(how))),
                       rc);
    if (!stmt) return fail(rc);
    stmt->bindText(1, searchKey(value));
    constexpr std::size_t askEvery = 16384;
    while ((rc = stmt->step()) == SQLITE_ROW) {
        ids.push_back(stmt->int64(0));
        if (keepGoing && ids.size() % askEvery == 0 && !keepGoing()) {
            ids.clear();
            detail_.clear();
            return result_ = TrmCode::Stopped;
        }
    }
    if (rc != SQLITE_DONE) return fail(rc);
    if (ids.empty()) {
        detail_.clear();
        return result_ = TrmCode::KeyNotFound;
    }
    return succeed();
}
