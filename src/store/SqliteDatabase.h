#pragma once

#include <sqlite3.h>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <map>
#include <memory>
#include <string>

// Thin RAII over the SQLite C interface: one connection, its prepared
// statements kept for reuse. Errors come back as SQLite result codes; the
// record manager turns them into its own.
class SqliteStatement {
public:
    explicit SqliteStatement(sqlite3_stmt* stmt) : stmt_(stmt) {}
    ~SqliteStatement() { sqlite3_finalize(stmt_); }
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // Clears bindings and the previous run.
    SqliteStatement& reset();
    SqliteStatement& bind(int index, qint64 value);
    SqliteStatement& bind(int index, const QByteArray& blob);
    SqliteStatement& bindText(int index, const QByteArray& text);
    // Binds bytes without copying them: they must outlive the step.
    SqliteStatement& bindStatic(int index, const char* bytes, int size);
    SqliteStatement& bindStaticText(int index, const char* bytes, int size);
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step();
    qint64 int64(int column) const { return sqlite3_column_int64(stmt_, column); }
    QByteArray blob(int column) const;
    // The column's bytes, valid until the next step or reset.
    QByteArrayView bytes(int column) const;

private:
    sqlite3_stmt* stmt_;
};

// A cached statement in use: reset when it goes out of scope, so that no
// finished query keeps a read lock on its file.
class SqliteQuery {
public:
    explicit SqliteQuery(SqliteStatement* statement) : statement_(statement) {}
    ~SqliteQuery() {
        if (statement_) statement_->reset();
    }
    SqliteQuery(const SqliteQuery&) = delete;
    SqliteQuery& operator=(const SqliteQuery&) = delete;
    SqliteQuery(SqliteQuery&& other) noexcept : statement_(other.statement_) {
        other.statement_ = nullptr;
    }

    explicit operator bool() const { return statement_ != nullptr; }
    // Hands the statement over without resetting it.
    SqliteStatement* release() {
        SqliteStatement* statement = statement_;
        statement_ = nullptr;
        return statement;
    }
    SqliteStatement* operator->() const { return statement_; }
    SqliteStatement& operator*() const { return *statement_; }

private:
    SqliteStatement* statement_;
};

class SqliteDatabase {
public:
    // Opens an existing file read-write (read-only when the file cannot be
    // written). `rc` receives SQLite's code; the object is usable only on SQLITE_OK.
    SqliteDatabase(const QString& path, bool create, int& rc);
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    sqlite3* handle() const { return db_; }
    int exec(const char* sql);
    int exec(const QString& sql) { return exec(sql.toUtf8().constData()); }
    // Runs a statement with one text parameter without keeping it.
    int execOnce(const QString& sql, const QByteArray& parameter);
    // A cached statement, reset; empty when the SQL does not prepare.
    SqliteQuery statement(const QString& sql, int& rc);
    // Forgets the cached statements of one schema (before it is detached).
    void dropStatements(const QString& schema);
    QString lastError() const;

    // Transactions nest no further than one level; all attached files share it.
    bool inTransaction() const { return !sqlite3_get_autocommit(db_); }

private:
    sqlite3* db_ = nullptr;
    std::map<std::string, std::unique_ptr<SqliteStatement>> cache_;
};
