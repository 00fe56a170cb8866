#pragma once

#include <sqlite3.h>

#include <QByteArray>
#include <QString>
#include <functional>
#include <random>

// The same work done on SQLite directly, to give the store's figures a ratio:
// the same table, keys and indexes, pragmas and transactions, without the
// record manager in between.
class RawSqlite {
public:
    RawSqlite(const QString& path, int keyCount);
    ~RawSqlite();
    RawSqlite(const RawSqlite&) = delete;
    RawSqlite& operator=(const RawSqlite&) = delete;

    // Rows first, then the indexes, in one transaction.
    bool load(qint64 total, const std::function<QByteArray(qint64)>& record);
    // Inserts copies into the indexed table in one transaction.
    bool insertCopies(const QByteArray& record, qint64 copies);
    // Draws `picks` records among those whose omit byte is not 'T', in key-1
    // order, by the pick's method from a key of its own (a repeated entry
    // set aside), stamps each and appends it to a history table, and keeps
    // a receipt of the pool (its listing's SHA-256, its identities and a
    // fingerprint of each entry), in one transaction; `receipt` false leaves
    // the receipt out, to show what it costs.
    bool pick(int picks, bool receipt = true);
    // Sets every omit byte 'T' to 'F' in one statement.
    bool clearOmits();

private:
    bool exec(const char* sql);
    sqlite3_stmt* prepare(const QString& sql);
    void bindKeys(sqlite3_stmt* stmt, const QByteArray& keys);

    sqlite3* db_ = nullptr;
    int keyCount_;
    // One generator for the whole run, so that each pick draws other records
    // (as the program's does) rather than finding the same pages in the cache.
    std::mt19937_64 random_{5};
};
