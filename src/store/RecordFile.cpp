#include "store/RecordFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>

#include "store/CodePage.h"
#include "store/FolderSync.h"
#include "store/KeyLayout.h"
#include "store/RecordManager.h"
#include "store/SqliteDatabase.h"

namespace {

// "RND3": marks a SQLite file as one of this program's record files.
constexpr qint64 kApplicationId = 0x524E4433;
constexpr int kSchemaVersion = 1;
// Byte 624 is the omit flag of data and history records; substr counts from 1.
constexpr int kFlagOffset = 624;
constexpr const char* kFlagExpression = "substr(data, 625, 1)";
// Past this many inserts or deletes in one transaction, rebuilding the rank
// index once beats keeping it current change by change.
constexpr int kIncrementalLimit = 64;

int codeOf(int sqliteCode) {
    switch (sqliteCode & 0xFF) {
        case SQLITE_OK:
            return TrmCode::Ok;
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
        case SQLITE_FORMAT:
            return TrmCode::NotADatabase;
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

// The secondary indexes: one per key and the omit flag's.
QString indexSql(int keyCount, const QString& schema) {
    QString indexes;
    for (int k = 1; k <= keyCount; ++k) {
        indexes += QStringLiteral("CREATE INDEX %1.key%2 ON records(k%2);").arg(schema).arg(k);
    }
    return indexes + QStringLiteral("CREATE INDEX %1.flag ON records(%2);")
                         .arg(schema, QLatin1String(kFlagExpression));
}

QString dropIndexSql(int keyCount, const QString& schema) {
    QString drops;
    for (int k = 1; k <= keyCount; ++k) {
        drops += QStringLiteral("DROP INDEX IF EXISTS %1.key%2;").arg(schema).arg(k);
    }
    return drops + QStringLiteral("DROP INDEX IF EXISTS %1.flag;").arg(schema);
}

QString schemaSql(int keyCount, const QString& schema) {
    QString columns;
    for (int k = 1; k <= keyCount; ++k) columns += QStringLiteral(", k%1 BLOB NOT NULL").arg(k);
    return QStringLiteral(
               "CREATE TABLE %1.layout(keys BLOB NOT NULL);"
               "CREATE TABLE %1.records(id INTEGER PRIMARY KEY, data BLOB NOT NULL%2);")
               .arg(schema, columns) +
           indexSql(keyCount, schema);
}

void removeWithJournal(const QString& path) {
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
}

int writeNewFile(const QString& path, const QByteArray& keyLayout, int keyCount) {
    int rc = SQLITE_OK;
    SqliteDatabase db(path, true, rc);
    if (rc != SQLITE_OK) return rc;
    const QString setup = QStringLiteral(
                              "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL;"
                              "PRAGMA application_id=%1; PRAGMA user_version=%2; BEGIN;")
                              .arg(kApplicationId)
                              .arg(kSchemaVersion) +
                          schemaSql(keyCount, QStringLiteral("main"));
    if ((rc = db.exec(setup)) != SQLITE_OK) return rc;
    SqliteQuery insert = db.statement(QStringLiteral("INSERT INTO layout VALUES(?1)"), rc);
    if (!insert) return rc;
    rc = insert->bind(1, keyLayout).step();
    if (rc != SQLITE_DONE) return rc;
    return db.exec("COMMIT");
}

}  // namespace

int RecordFile::create(const QString& path, const QByteArray& keyLayout) {
    const auto keyCount = KeyLayout::KeyCount(keyLayout);
    if (!keyCount) return TrmCode::BadKeyLayout;
    // Built beside the target under a name that is never listed as a database,
    // then moved over it in one step.
    const QString building = path + QStringLiteral(".building");
    removeWithJournal(building);
    const int rc = writeNewFile(building, keyLayout, *keyCount);
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

RecordFile::RecordFile(std::shared_ptr<SqliteDatabase> db, QString schema, int keyCount)
    : db_(std::move(db)), schema_(std::move(schema)), keyCount_(keyCount) {}

RecordFile::~RecordFile() = default;

int RecordFile::open(const QString& path, const std::shared_ptr<SqliteDatabase>& companion,
                     const QString& schema, std::unique_ptr<RecordFile>& opened) {
    if (!QFileInfo(path).isFile()) return TrmCode::FileNotFound;
    std::shared_ptr<SqliteDatabase> db = companion;
    int rc = SQLITE_OK;
    if (!db) {
        db = std::make_shared<SqliteDatabase>(path, false, rc);
        if (rc != SQLITE_OK) return codeOf(rc);
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
    std::unique_ptr<RecordFile> file(new RecordFile(db, schema, 0));
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
    SqliteQuery id = db_->statement(QStringLiteral("PRAGMA %1.application_id").arg(schema_), rc);
    if (!id) return codeOf(rc);
    rc = id->step();
    if (rc != SQLITE_ROW) return codeOf(rc);
    if (id->int64(0) != kApplicationId) return TrmCode::NotADatabase;
    SqliteQuery layout =
        db_->statement(QStringLiteral("SELECT keys FROM %1.layout").arg(schema_), rc);
    if (!layout || layout->step() != SQLITE_ROW) return TrmCode::NotADatabase;
    const auto keyCount = KeyLayout::KeyCount(layout->blob(0));
    if (!keyCount) return TrmCode::NotADatabase;
    keyCount_ = *keyCount;
    SqliteQuery count =
        db_->statement(QStringLiteral("SELECT count(*) FROM %1.records").arg(schema_), rc);
    if (!count) return codeOf(rc);
    // A damaged file must not pass for an empty one.
    if ((rc = count->step()) != SQLITE_ROW) return codeOf(rc);
    count_ = count->int64(0);
    return TrmCode::Ok;
}

int RecordFile::detach() {
    if (schema_ == QLatin1String("main")) return TrmCode::Ok;
    if (db_->inTransaction()) return TrmCode::TransactionState;
    insertStatement_ = updateDataStatement_ = updateAllStatement_ = nullptr;
    db_->dropStatements(schema_);
    const int rc = db_->exec(QStringLiteral("DETACH DATABASE %1").arg(schema_));
    return codeOf(rc);
}

// Statements name their file's schema as {S} and the key column's number as {K}.
QString RecordFile::sql(const char* pattern, int key) const {
    return QString::fromLatin1(pattern)
        .replace(QLatin1String("{S}"), schema_)
        .replace(QLatin1String("{K}"), QString::number(key));
}

// The byte at `offset` as SQL; the omit flag's form is the one its index covers.
QString RecordFile::byteExpression(int offset) {
    return offset == kFlagOffset ? QString::fromLatin1(kFlagExpression)
                                 : QStringLiteral("substr(data, %1, 1)").arg(offset + 1);
}

qint64 RecordFile::countWhere(int offset, char value) {
    int rc = SQLITE_OK;
    SqliteQuery stmt = db_->statement(
        sql("SELECT count(*) FROM {S}.records WHERE %1 = ?1").arg(byteExpression(offset)), rc);
    if (!stmt) return fail(rc), 0;
    if ((rc = stmt->bind(1, QByteArray(1, value)).step()) != SQLITE_ROW) return fail(rc), 0;
    succeed();
    return stmt->int64(0);
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

// Runs a fetch whose first column is the id, second the record, third the
// key on the path; the record found becomes current on `key`.
QByteArray RecordFile::fetch(const QString& statement, int key, const QByteArray* keyValue,
                             qint64 id, int notFound) {
    int rc = SQLITE_OK;
    SqliteQuery stmt = db_->statement(statement, rc);
    if (!stmt) {
        fail(rc);
        return {};
    }
    if (keyValue) stmt->bind(1, *keyValue);
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
    current_ = Current{true, key, stmt->blob(2), stmt->int64(0)};
    succeed();
    return stmt->blob(1);
}

QByteArray RecordFile::getFirst(int key) {
    if (key < 1 || key > keyCount_) return result_ = TrmCode::BadKeyNumber, QByteArray();
    return fetch(sql("SELECT id, data, k{K} FROM {S}.records ORDER BY k{K}, id LIMIT 1", key), key,
                 nullptr, 0, TrmCode::EndOfFile);
}

QByteArray RecordFile::getLast(int key) {
    if (key < 1 || key > keyCount_) return result_ = TrmCode::BadKeyNumber, QByteArray();
    return fetch(
        sql("SELECT id, data, k{K} FROM {S}.records ORDER BY k{K} DESC, id DESC LIMIT 1", key), key,
        nullptr, 0, TrmCode::EndOfFile);
}

// One step along the key path: first among the records with the same key
// (by identity), then to the nearest key. Two bounded index searches; a single
// row-value comparison would scan a long run of duplicates.
QByteArray RecordFile::step(bool forward) {
    if (!current_.valid) return result_ = TrmCode::NoCurrentRecord, QByteArray();
    const Current from = current_;
    const char* sameKey =
        forward ? "SELECT id, data, k{K} FROM {S}.records WHERE k{K} = ?1 AND id > ?2 "
                  "ORDER BY k{K}, id LIMIT 1"
                : "SELECT id, data, k{K} FROM {S}.records WHERE k{K} = ?1 AND id < ?2 "
                  "ORDER BY k{K} DESC, id DESC LIMIT 1";
    const char* nextKey = forward ? "SELECT id, data, k{K} FROM {S}.records WHERE k{K} > ?1 "
                                    "ORDER BY k{K}, id LIMIT 1"
                                  : "SELECT id, data, k{K} FROM {S}.records WHERE k{K} < ?1 "
                                    "ORDER BY k{K} DESC, id DESC LIMIT 1";
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

QByteArray RecordFile::search(Search how, int key, const QByteArray& value) {
    if (key < 1 || key > keyCount_) return result_ = TrmCode::BadKeyNumber, QByteArray();
    static constexpr const char* kOperators[] = {"=", ">=", "<=", ">", "<"};
    const QString statement =
        sql("SELECT id, data, k{K} FROM {S}.records WHERE k{K} %1 ?1 ORDER BY k{K}, id LIMIT 1",
            key)
            .arg(QLatin1String(kOperators[static_cast<int>(how)]));
    const QByteArray folded = CodePage::foldCase(CodePage::fixedWidth(value, KeyLayout::KeyLength));
    return fetch(statement, key, &folded, 0, TrmCode::KeyNotFound);
}

QByteArray RecordFile::getDirect(qint64 id) {
    const QString statement = sql("SELECT id, data, k1 FROM {S}.records WHERE id = ?2");
    return fetch(statement, 1, nullptr, id, TrmCode::NoCurrentRecord);
}

QByteArray RecordFile::storedKey1(qint64 id) {
    int rc = SQLITE_OK;
    SqliteQuery stmt = db_->statement(sql("SELECT k1 FROM {S}.records WHERE id = ?1"), rc);
    if (!stmt || stmt->bind(1, id).step() != SQLITE_ROW) return {};
    return stmt->blob(0);
}

bool RecordFile::ensureRanks() {
    if (ranks_.valid()) return true;
    int rc = SQLITE_OK;
    SqliteQuery stmt = db_->statement(sql("SELECT id FROM {S}.records ORDER BY k1, id"), rc);
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

std::vector<qint64> RecordFile::identitiesWhere(int offset, char value, bool equal) {
    std::vector<qint64> ids;
    // The records that differ are read as the two ranges either side of the
    // value, so a selection of the few costs no read of the many. The index
    // gives them by byte, then identity: only one byte value comes sorted.
    const QString expression = byteExpression(offset);
    const QString query = equal ? sql("SELECT id FROM {S}.records WHERE %1 = ?1")
                                : sql("SELECT id FROM {S}.records WHERE %1 < ?1 UNION ALL "
                                      "SELECT id FROM {S}.records WHERE %1 > ?1");
    int rc = SQLITE_OK;
    SqliteQuery stmt = db_->statement(query.arg(expression), rc);
    if (!stmt) return fail(rc), ids;
    stmt->bind(1, QByteArray(1, value));
    while ((rc = stmt->step()) == SQLITE_ROW) ids.push_back(stmt->int64(0));
    if (rc != SQLITE_DONE) return fail(rc), std::vector<qint64>();
    if (!std::is_sorted(ids.begin(), ids.end())) std::sort(ids.begin(), ids.end());
    succeed();
    return ids;
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
    if (key < 1 || key > keyCount_) return result_ = TrmCode::BadKeyNumber;
    return walk(sql("SELECT id, data FROM {S}.records ORDER BY k{K}, id", key),
                [&](const SqliteStatement& row) { return visit(row.int64(0), row.blob(1)); });
}

int RecordFile::scanStored(const Visitor& visit) {
    return walk(sql("SELECT id, data FROM {S}.records ORDER BY id"),
                [&](const SqliteStatement& row) { return visit(row.int64(0), row.blob(1)); });
}

// The key's index holds the identities: the records themselves are not read.
int RecordFile::scanIdentities(int key, const std::function<bool(qint64 id)>& visit) {
    if (key < 1 || key > keyCount_) return result_ = TrmCode::BadKeyNumber;
    return walk(sql("SELECT id FROM {S}.records ORDER BY k{K}, id", key),
                [&](const SqliteStatement& row) { return visit(row.int64(0)); });
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

// `pattern` once per key, with the key's number for {K} and its parameter's,
// counted from `first`, for {P}.
QString RecordFile::keyColumns(const char* pattern, int first) const {
    QString columns;
    for (int k = 1; k <= keyCount_; ++k) {
        columns += QString::fromLatin1(pattern)
                       .replace(QLatin1String("{K}"), QString::number(k))
                       .replace(QLatin1String("{P}"), QString::number(k + first - 1));
    }
    return columns;
}

void RecordFile::bindKeys(SqliteStatement& stmt, const QByteArray& keys, int first) const {
    for (int k = 1; k <= keyCount_; ++k) {
        stmt.bindStatic(k + first - 1, keys.constData() + KeyLayout::KeyLength * (k - 1),
                        KeyLayout::KeyLength);
    }
}

// Every key of the record, folded, as one block of 50-byte slices.
QByteArray RecordFile::keysOf(const QByteArray& record) const {
    return CodePage::foldCase(CodePage::fixedWidth(record, KeyLayout::KeyLength * keyCount_));
}

int RecordFile::insert(const QByteArray& record) {
    if (record.isEmpty()) return result_ = TrmCode::BadRecord;
    int rc = SQLITE_OK;
    SqliteStatement* stmt = kept(
        insertStatement_,
        [this] {
            return sql("INSERT INTO {S}.records(data%1) VALUES(?1%2)")
                .arg(keyColumns(", k{K}", 2), keyColumns(", ?{P}", 2));
        },
        rc);
    if (!stmt) return fail(rc);
    SqliteQuery running(stmt);
    const QByteArray keys = keysOf(record);
    stmt->bind(1, record);
    bindKeys(*stmt, keys, 2);
    rc = stmt->step();
    if (rc != SQLITE_DONE) return fail(rc);
    const qint64 id = sqlite3_last_insert_rowid(db_->handle());
    const QByteArray key1 = keys.left(KeyLayout::KeyLength);
    ++count_;
    noteChange();
    if (ranks_.valid()) {
        ranks_.insertAt(ranks_.lowerBound(key1, id, [this](qint64 i) { return storedKey1(i); }),
                        id);
    }
    current_ = Current{true, 1, key1, id};
    return succeed();
}

// Most updates change no key (a pick's stamp, the omit flag, notes, dates):
// those write the record alone, matching its stored keys in the same
// statement, so that no key column and no key index is rewritten.
int RecordFile::update(const QByteArray& record) {
    if (!current_.valid) return result_ = TrmCode::NoCurrentRecord;
    if (record.isEmpty()) return result_ = TrmCode::BadRecord;
    const qint64 id = current_.id;
    const QByteArray keys = keysOf(record);
    int rc = SQLITE_OK;
    SqliteStatement* sameKeys = kept(
        updateDataStatement_,
        [this] {
            return sql("UPDATE {S}.records SET data = ?1 WHERE id = ?2%1")
                .arg(keyColumns(" AND k{K} = ?{P}", 3));
        },
        rc);
    if (!sameKeys) return fail(rc);
    {
        SqliteQuery running(sameKeys);
        sameKeys->bind(1, record).bind(2, id);
        bindKeys(*sameKeys, keys, 3);
        if ((rc = sameKeys->step()) != SQLITE_DONE) return fail(rc);
    }
    if (sqlite3_changes(db_->handle()) == 0) {
        const int code = updateWithKeys(id, record, keys);
        if (code != TrmCode::Ok) return code;
    }
    current_.keyValue = keys.mid(KeyLayout::KeyLength * (current_.key - 1), KeyLayout::KeyLength);
    return succeed();
}

int RecordFile::updateWithKeys(qint64 id, const QByteArray& record, const QByteArray& keys) {
    const QByteArray oldKey1 = storedKey1(id);
    if (oldKey1.isEmpty()) return result_ = TrmCode::NoCurrentRecord;
    int rc = SQLITE_OK;
    SqliteStatement* stmt = kept(
        updateAllStatement_,
        [this] {
            return sql("UPDATE {S}.records SET data = ?1%1 WHERE id = ?2")
                .arg(keyColumns(", k{K} = ?{P}", 3));
        },
        rc);
    if (!stmt) return fail(rc);
    SqliteQuery running(stmt);
    stmt->bind(1, record).bind(2, id);
    bindKeys(*stmt, keys, 3);
    if ((rc = stmt->step()) != SQLITE_DONE) return fail(rc);
    const QByteArray newKey1 = keys.left(KeyLayout::KeyLength);
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
    if (offset < KeyLayout::KeyLength * keyCount_) return result_ = TrmCode::BadOffset;
    const QString expression = byteExpression(offset);
    // Concatenation yields text; the cast gives the bytes back as a record.
    int rc = SQLITE_OK;
    SqliteQuery stmt = db_->statement(
        sql("UPDATE {S}.records SET data = CAST(substr(data, 1, ?1) || ?2 || substr(data, ?1 + 2) "
            "AS BLOB) WHERE id IN (SELECT id FROM {S}.records WHERE %1 = ?3 ORDER BY id LIMIT ?4)")
            .arg(expression),
        rc);
    if (!stmt) return fail(rc);
    stmt->bind(1, qint64(offset)).bind(2, QByteArray(1, to)).bind(3, QByteArray(1, from));
    rc = stmt->bind(4, qint64(limit)).step();
    if (rc != SQLITE_DONE) return fail(rc);
    changed = sqlite3_changes(db_->handle());
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
    if (ranks_.valid()) {
        ranks_.remove(key1, id, [&](qint64 i) { return i == id ? key1 : storedKey1(i); });
    }
    // The deleted record stays the place on the key path: next and previous
    // move on from where it stood.
    return succeed();
}

int RecordFile::beginBulkLoad() {
    if (!db_->inTransaction() || bulkLoading_) return result_ = TrmCode::TransactionState;
    const int rc = db_->exec(dropIndexSql(keyCount_, schema_));
    if (rc != SQLITE_OK) return fail(rc);
    bulkLoading_ = true;
    // The rank index would be kept row by row through the load: rebuilt once afterwards.
    ranks_.invalidate();
    ++changesInTransaction_;
    return succeed();
}

namespace {

// SQLite asks every so many steps of its work whether to go on.
int askToGoOn(void* keepGoing) {
    return (*static_cast<const std::function<bool()>*>(keepGoing))() ? 0 : 1;
}

}  // namespace

int RecordFile::endBulkLoad(const std::function<bool()>& keepGoing) {
    if (!db_->inTransaction() || !bulkLoading_) return result_ = TrmCode::TransactionState;
    constexpr int stepsBetweenAsks = 10000;
    if (keepGoing) {
        sqlite3_progress_handler(db_->handle(), stepsBetweenAsks, askToGoOn,
                                 const_cast<std::function<bool()>*>(&keepGoing));
    }
    const int rc = db_->exec(indexSql(keyCount_, schema_));
    sqlite3_progress_handler(db_->handle(), 0, nullptr, nullptr);
    if (rc != SQLITE_OK) return fail(rc);
    bulkLoading_ = false;
    return succeed();
}

void RecordFile::transactionEnded(bool committed) {
    bulkLoading_ = false;
    if (!committed && changesInTransaction_ > 0) {
        ranks_.invalidate();
        int rc = SQLITE_OK;
        SqliteQuery count =
            db_->statement(QStringLiteral("SELECT count(*) FROM %1.records").arg(schema_), rc);
        if (count && count->step() == SQLITE_ROW) count_ = count->int64(0);
    }
    changesInTransaction_ = 0;
}

// A statement of its own would cost a prepare per row shown; the cached one
// is reset before any other use of the connection.
QByteArray RecordFile::peek(qint64 id) {
    int rc = SQLITE_OK;
    SqliteQuery stmt = db_->statement(sql("SELECT data FROM {S}.records WHERE id = ?1"), rc);
    if (!stmt || stmt->bind(1, id).step() != SQLITE_ROW) return {};
    return stmt->blob(0);
}

int RecordFile::identities(std::vector<qint64>& ids) {
    ids.clear();
    if (!ensureRanks()) return result_;
    ids = ranks_.ids();
    return succeed();
}

namespace {

const char* comparisonOf(RecordFile::Search how) {
    switch (how) {
        case RecordFile::Search::Equal:
            return "=";
        case RecordFile::Search::EqualOrGreater:
            return ">=";
        case RecordFile::Search::EqualOrLess:
            return "<=";
        case RecordFile::Search::Greater:
            return ">";
        case RecordFile::Search::Less:
            break;
    }
    return "<";
}

}  // namespace

// The key's index gives the records in order; the current record is not moved.
int RecordFile::findAll(Search how, int key, const QByteArray& value, std::vector<qint64>& ids) {
    ids.clear();
    if (key < 1 || key > keyCount_) return result_ = TrmCode::BadKeyNumber;
    int rc = SQLITE_OK;
    SqliteQuery stmt =
        db_->statement(sql("SELECT id FROM {S}.records WHERE k{K} %1 ?1 ORDER BY k{K}, id", key)
                           .arg(QLatin1String(comparisonOf(how))),
                       rc);
    if (!stmt) return fail(rc);
    stmt->bind(1, CodePage::foldCase(CodePage::fixedWidth(value, KeyLayout::KeyLength)));
    while ((rc = stmt->step()) == SQLITE_ROW) ids.push_back(stmt->int64(0));
    if (rc != SQLITE_DONE) return fail(rc);
    if (ids.empty()) {
        detail_.clear();
        return result_ = TrmCode::KeyNotFound;
    }
    return succeed();
}
