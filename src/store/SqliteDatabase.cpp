#include "store/SqliteDatabase.h"

SqliteStatement& SqliteStatement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, qint64 value) {
    sqlite3_bind_int64(stmt_, index, value);
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, const QByteArray& blob) {
    sqlite3_bind_blob(stmt_, index, blob.constData(), int(blob.size()), SQLITE_TRANSIENT);
    return *this;
}

SqliteStatement& SqliteStatement::bindText(int index, const QByteArray& text) {
    // An empty text is text, not NULL.
    sqlite3_bind_text(stmt_, index, text.isEmpty() ? "" : text.constData(), int(text.size()),
                      SQLITE_TRANSIENT);
    return *this;
}

SqliteStatement& SqliteStatement::bindStaticText(int index, const char* bytes, int size) {
    sqlite3_bind_text(stmt_, index, size > 0 ? bytes : "", size, SQLITE_STATIC);
    return *this;
}

SqliteStatement& SqliteStatement::bindStatic(int index, const char* bytes, int size) {
    sqlite3_bind_blob(stmt_, index, bytes, size, SQLITE_STATIC);
    return *this;
}

int SqliteStatement::step() {
    return sqlite3_step(stmt_);
}

QByteArray SqliteStatement::blob(int column) const {
    return bytes(column).toByteArray();
}

QByteArrayView SqliteStatement::bytes(int column) const {
    const void* data = sqlite3_column_blob(stmt_, column);
    const int size = sqlite3_column_bytes(stmt_, column);
    return QByteArrayView(static_cast<const char*>(data), size);
}

SqliteDatabase::SqliteDatabase(const QString& path, bool create, int& rc) {
    // A connection is only ever used by one thread at a time: SQLite need
    // not lock it around every call.
    const int flags =
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
    rc = sqlite3_open_v2(path.toUtf8().constData(), &db_, flags, nullptr);
    if (rc == SQLITE_OK) sqlite3_extended_result_codes(db_, 0);
}

SqliteDatabase::~SqliteDatabase() {
    cache_.clear();  // statements go before their connection
    sqlite3_close_v2(db_);
}

int SqliteDatabase::exec(const char* sql) {
    return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
}

int SqliteDatabase::execOnce(const QString& sql, const QByteArray& parameter) {
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db_, sql.toUtf8().constData(), -1, &stmt, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_bind_text(stmt, 1, parameter.constData(), int(parameter.size()), SQLITE_TRANSIENT);
        rc = sqlite3_step(stmt);
        if (rc == SQLITE_DONE || rc == SQLITE_ROW) rc = SQLITE_OK;
    }
    sqlite3_finalize(stmt);
    return rc;
}

SqliteQuery SqliteDatabase::statement(const QString& sql, int& rc) {
    const std::string key = sql.toStdString();
    auto found = cache_.find(key);
    if (found != cache_.end()) {
        rc = SQLITE_OK;
        return SqliteQuery(&found->second->reset());
    }
    sqlite3_stmt* stmt = nullptr;
    rc = sqlite3_prepare_v3(db_, key.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return SqliteQuery(nullptr);
    }
    auto& cached = cache_[key];
    cached = std::make_unique<SqliteStatement>(stmt);
    return SqliteQuery(cached.get());
}

void SqliteDatabase::dropStatements(const QString& schema) {
    const std::string prefix = (QLatin1Char(' ') + schema + QLatin1Char('.')).toStdString();
    for (auto it = cache_.begin(); it != cache_.end();) {
        if (it->first.find(prefix) != std::string::npos) {
            it = cache_.erase(it);
        } else {
            ++it;
        }
    }
}

QString SqliteDatabase::lastError() const {
    return QString::fromUtf8(sqlite3_errmsg(db_));
}
