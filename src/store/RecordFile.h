#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "store/RankIndex.h"
#include "store/RecordColumns.h"

class SqliteDatabase;
class SqliteStatement;
struct TrmReceipt;

// One open record file: a schema ("main", or an attached one) on a SQLite
// connection that it may share with other files. Holds the handle's state: its
// current record and key path, its latest result, its count and rank index.
class RecordFile {
public:
    enum class Search { Equal, EqualOrGreater, EqualOrLess, Greater, Less };

    // Creates an empty file of `kind` with the keys of `keyLayout`, replacing
    // `path` only when the new file is complete. Returns a result code.
    static int create(const QString& path, const QByteArray& keyLayout, TrmKind kind);
    // Has `write` build a new file at a temporary name beside `path` (SQLite's
    // code back), then moves it over `path` in one step. Returns a result code.
    static int replace(const QString& path, const std::function<int(const QString&)>& write);
    // The record manager's code for one of SQLite's.
    static int codeOf(int sqliteCode);
    // Opens `path` on a connection of its own (companion null) or attached to
    // the companion's connection under `schema`. Returns a result code.
    static int open(const QString& path, const std::shared_ptr<SqliteDatabase>& companion,
                    const QString& schema, std::unique_ptr<RecordFile>& opened);
    ~RecordFile();

    const std::shared_ptr<SqliteDatabase>& database() const { return db_; }
    TrmKind kind() const { return columns_.kind(); }
    int keyCount() const { return keyCount_; }
    const QByteArray& keyLayout() const { return keyLayout_; }
    int result() const { return result_; }
    const QString& errorDetail() const { return detail_; }
    int detach();

    // The number of records, counted again when another program changed the file.
    qint64 count();
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
    int scanWhere(int offset, char value, bool equal,
                  const std::function<bool(qint64 id, const QByteArray& record)>& visit);
    qint64 countWhere(int offset, char value);
    qint64 countCopies(const QByteArray& record);
    using Visitor = std::function<bool(qint64 id, const QByteArray& record)>;
    int scan(int key, const Visitor& visit);
    QByteArray peek(qint64 id);
    int identities(std::vector<qint64>& ids);
    int findAll(Search how, int key, const QByteArray& value, std::vector<qint64>& ids,
                const std::function<bool()>& keepGoing = {});
    int scanStored(const Visitor& visit);
    int scanIdentities(int key, const std::function<bool(qint64 id)>& visit);

    int insert(const QByteArray& record);
    int update(const QByteArray& record);
    // Updates the record with this identity, which becomes current on key 1.
    int updateDirect(qint64 id, const QByteArray& record);
    int remove();
    int setByteWhere(int offset, char from, char to, int limit, int& changed);

    // Changes whenever a record is added or deleted, or a user field or the
    // omit flag of one changes, through this file or another connection; the
    // statistics a pick stamps leave it. No two files of a run share one.
    qint64 contentVersion();

    // A history file's receipts; `stamp` (date and time, 20 bytes) chooses
    // those of one pick, none all of them, and `withPool` reads their pools.
    int addReceipt(const TrmReceipt& receipt);
    int readReceipts(const QByteArray* stamp, bool withPool, std::vector<TrmReceipt>& out);

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
        QByteArray keyValue;  // as the key's index holds it; empty until needed
        qint64 id = 0;
    };

    RecordFile(std::shared_ptr<SqliteDatabase> db, QString schema);
    int load();
    int recount();
    qint64 dataVersion();
    void followOtherWriters();
    bool tablesAsWritten();
    bool hasKey(int key);
    QByteArray normalized(const QByteArray& record) const;
    bool fits(const QByteArray& record) const;
    static QByteArray keyOf(const QByteArray& record, int key);
    static QByteArray searchKey(const QByteArray& value);
    static void bindByte(SqliteStatement& stmt, int index, const RecordColumns::ByteTest& test);
    QByteArray step(bool forward);
    QString sql(const char* pattern, int key = 1) const;
    int walk(const QString& statement, const std::function<bool(const SqliteStatement&)>& row);
    QByteArray fetch(const QString& statement, int key, const QByteArray* keyValue, qint64 id,
                     int notFound);
    SqliteStatement* kept(SqliteStatement*& slot, const std::function<QString()>& text, int& rc);
    int updateWithFields(qint64 id, const QByteArray& record);
    QByteArray storedKey(qint64 id, int key);
    QByteArray storedKey1(qint64 id);
    bool ensureRanks();
    void noteChange();
    void contentChanged();
    int fail(int sqliteCode);
    int succeed();

    std::shared_ptr<SqliteDatabase> db_;
    QString schema_;
    int keyCount_ = 0;
    QByteArray keyLayout_;
    RecordColumns columns_{TrmKind::Data};
    qint64 count_ = 0;
    qint64 dataVersion_ = -1;
    Current current_;
    RankIndex ranks_;
    int changesInTransaction_ = 0;
    qint64 contentVersion_;
    qint64 seenDataVersion_ = -1;  // other connections' commits, as SQLite counts them
    bool bulkLoading_ = false;
    // Kept statements, owned by the connection's cache.
    SqliteStatement* insertStatement_ = nullptr;
    SqliteStatement* updateStatisticsStatement_ = nullptr;
    SqliteStatement* updateFlagStatement_ = nullptr;
    SqliteStatement* updateAllStatement_ = nullptr;
    int result_ = 0;
    QString detail_;
};
