#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "store/RankIndex.h"

class SqliteDatabase;
class SqliteStatement;

// One open record file: a schema ("main", or an attached one) on a SQLite
// connection that it may share with other files. Holds the handle's state: its
// current record and key path, its latest result, its count and rank index.
class RecordFile {
public:
    enum class Search { Equal, EqualOrGreater, EqualOrLess, Greater, Less };

    // Creates an empty file with the keys of `keyLayout`, replacing `path` only when the
    // new file is complete. Returns a result code.
    static int create(const QString& path, const QByteArray& keyLayout);
    // Opens `path` on a connection of its own (companion null) or attached to
    // the companion's connection under `schema`. Returns a result code.
    static int open(const QString& path, const std::shared_ptr<SqliteDatabase>& companion,
                    const QString& schema, std::unique_ptr<RecordFile>& opened);
    ~RecordFile();

    const std::shared_ptr<SqliteDatabase>& database() const { return db_; }
    int result() const { return result_; }
    const QString& errorDetail() const { return detail_; }
    int detach();

    qint64 count() const { return count_; }
    QByteArray getFirst(int key);
    QByteArray getLast(int key);
    QByteArray getNext();
    QByteArray getPrev();
    QByteArray search(Search how, int key, const QByteArray& value);
    QByteArray getNth(qint64 n);
    QByteArray getDirect(qint64 id);
    qint64 position() const { return current_.valid ? current_.id : 0; }
    std::vector<qint64> positionsWhere(int offset, char value, bool equal);
    std::vector<qint64> identitiesWhere(int offset, char value, bool equal);
    qint64 countWhere(int offset, char value);
    using Visitor = std::function<bool(qint64 id, const QByteArray& record)>;
    int scan(int key, const Visitor& visit);
    QByteArray peek(qint64 id);
    int identities(std::vector<qint64>& ids);
    int findAll(Search how, int key, const QByteArray& value, std::vector<qint64>& ids);
    int scanStored(const Visitor& visit);
    int scanIdentities(int key, const std::function<bool(qint64 id)>& visit);

    int insert(const QByteArray& record);
    int update(const QByteArray& record);
    // Updates the record with this identity, which becomes current on key 1.
    int updateDirect(qint64 id, const QByteArray& record);
    int remove();
    int setByteWhere(int offset, char from, char to, int limit, int& changed);

    // Inside a transaction: drops the secondary indexes for a load of many
    // rows, and builds them again in one pass each.
    int beginBulkLoad();
    int endBulkLoad(const std::function<bool()>& keepGoing = {});
    bool bulkLoading() const { return bulkLoading_; }

    // Called on every file of a connection when its transaction ends.
    void transactionEnded(bool committed);

private:
    struct Current {
        bool valid = false;
        int key = 1;
        QByteArray keyValue;  // folded, as stored
        qint64 id = 0;
    };

    RecordFile(std::shared_ptr<SqliteDatabase> db, QString schema, int keyCount);
    int load();
    QByteArray step(bool forward);
    QString sql(const char* pattern, int key = 1) const;
    int walk(const QString& statement, const std::function<bool(const SqliteStatement&)>& row);
    static QString byteExpression(int offset);
    QByteArray fetch(const QString& statement, int key, const QByteArray* keyValue, qint64 id,
                     int notFound);
    QByteArray keysOf(const QByteArray& record) const;
    SqliteStatement* kept(SqliteStatement*& slot, const std::function<QString()>& text, int& rc);
    QString keyColumns(const char* pattern, int first) const;
    void bindKeys(SqliteStatement& stmt, const QByteArray& keys, int first) const;
    int updateWithKeys(qint64 id, const QByteArray& record, const QByteArray& keys);
    QByteArray storedKey1(qint64 id);
    bool ensureRanks();
    void noteChange();
    int fail(int sqliteCode);
    int succeed();

    std::shared_ptr<SqliteDatabase> db_;
    QString schema_;
    int keyCount_ = 0;
    qint64 count_ = 0;
    Current current_;
    RankIndex ranks_;
    int changesInTransaction_ = 0;
    bool bulkLoading_ = false;
    // Kept statements, owned by the connection's cache.
    SqliteStatement* insertStatement_ = nullptr;
    SqliteStatement* updateDataStatement_ = nullptr;
    SqliteStatement* updateAllStatement_ = nullptr;
    int result_ = 0;
    QString detail_;
};
