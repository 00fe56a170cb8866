#include "store/RecordSchema.h"

#include <QFile>
#include <QtEndian>

#include "store/KeyOrder.h"
#include "store/SqliteDatabase.h"

namespace RecordSchema {

namespace {

constexpr char kMagic[] = "SQLite format 3";  // and its NUL: 16 bytes
constexpr int kHeaderSize = 100;
constexpr int kUserVersionOffset = 60;
constexpr int kApplicationIdOffset = 68;
// Negative: in KiB, as PRAGMA cache_size takes it.
constexpr int kSortingCacheKiB = -2000;

void keyOrder(sqlite3_context* context, int, sqlite3_value** arguments) {
    const auto* bytes = static_cast<const char*>(sqlite3_value_blob(arguments[0]));
    const int size = sqlite3_value_bytes(arguments[0]);
    const QByteArray key = KeyOrder::Key(QByteArrayView(bytes, size));
    // As text, compared byte by byte as text is by default, so that SQLite
    // sorts the keys as quickly as it sorts any text when it builds an index;
    // a key may hold any byte, but is compared by its length, not up to a NUL.
    sqlite3_result_text(context, key.constData(), int(key.size()), SQLITE_TRANSIENT);
}

}  // namespace

Header ReadHeader(const QString& path) {
    QFile file(path);
    if (!file.exists()) return Header::Missing;
    if (!file.open(QIODevice::ReadOnly)) return Header::Unreadable;
    const QByteArray header = file.read(kHeaderSize);
    if (header.size() < kHeaderSize || !header.startsWith(QByteArrayView(kMagic, sizeof kMagic))) {
        return Header::Foreign;
    }
    const auto word = [&](int at) { return qFromBigEndian<quint32>(header.constData() + at); };
    if (word(kApplicationIdOffset) != ApplicationId) return Header::Foreign;
    const quint32 version = word(kUserVersionOffset);
    if (version == quint32(Version)) return Header::Ours;
    if (version == quint32(EarlierVersion)) return Header::Earlier;
    return version > quint32(Version) ? Header::Newer : Header::Foreign;
}

int DefineKeyOrder(sqlite3* db) {
    return sqlite3_create_function_v2(db, "key_order", 1,
                                      SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                                      nullptr, keyOrder, nullptr, nullptr, nullptr);
}

QString ReceiptsTable(const QString& schema) {
    return QStringLiteral(
               "CREATE TABLE IF NOT EXISTS %1.receipts(id INTEGER PRIMARY KEY, "
               "pickdate TEXT NOT NULL, picktime TEXT NOT NULL, first INTEGER NOT NULL, "
               "records INTEGER NOT NULL, details TEXT NOT NULL, pool BLOB NOT NULL);")
        .arg(schema);
}

QString KeyExpression(int key) {
    return QStringLiteral("key_order(f%1)").arg(key);
}

namespace {

QString indexes(int keyCount, const QString& schema) {
    QString sql;
    for (int k = 1; k <= keyCount; ++k) {
        sql += QStringLiteral("CREATE INDEX %1.key%2 ON records(%3);")
                   .arg(schema)
                   .arg(k)
                   .arg(KeyExpression(k));
    }
    return sql + QStringLiteral("CREATE INDEX %1.flag ON records(omit);").arg(schema);
}

// SQLite asks every so many steps of its work whether to go on.
int askToGoOn(void* keepGoing) {
    return (*static_cast<const std::function<bool()>*>(keepGoing))() ? 0 : 1;
}

}  // namespace

int BuildIndexes(SqliteDatabase& db, int keyCount, const QString& schema,
                 const std::function<bool()>& keepGoing) {
    constexpr int stepsBetweenAsks = 10000;
    if (keepGoing) {
        sqlite3_progress_handler(db.handle(), stepsBetweenAsks, askToGoOn,
                                 const_cast<std::function<bool()>*>(&keepGoing));
    }
    // SQLite sorts the keys of an index in runs as large as the page cache (of
    // the connection's main file, whichever file the index is of) and merges
    // them: runs of a few megabytes stay in the processor's cache and sort
    // several times faster than runs as large as the files' own cache.
    const QString cacheSize = QStringLiteral("PRAGMA main.cache_size");
    int rc = SQLITE_OK;
    qint64 kept = 0;
    {
        SqliteQuery current = db.statement(cacheSize, rc);
        if (current && current->step() == SQLITE_ROW) kept = current->int64(0);
    }
    db.exec(cacheSize + QStringLiteral("=%1").arg(kSortingCacheKiB));
    rc = db.exec(indexes(keyCount, schema));
    if (kept != 0) db.exec(cacheSize + QStringLiteral("=%1").arg(kept));
    sqlite3_progress_handler(db.handle(), 0, nullptr, nullptr);
    return rc;
}

QString DropIndexes(int keyCount, const QString& schema) {
    QString drops;
    for (int k = 1; k <= keyCount; ++k) {
        drops += QStringLiteral("DROP INDEX IF EXISTS %1.key%2;").arg(schema).arg(k);
    }
    return drops + QStringLiteral("DROP INDEX IF EXISTS %1.flag;").arg(schema);
}

int Write(const QString& path, const QByteArray& keyLayout, int keyCount, TrmKind kind,
          const Fill& fill, const std::function<bool()>& keepGoing) {
    int rc = SQLITE_OK;
    SqliteDatabase db(path, true, rc);
    if (rc != SQLITE_OK) return rc;
    if ((rc = DefineKeyOrder(db.handle())) != SQLITE_OK) return rc;
    const RecordColumns columns(kind);
    const QString setup =
        QStringLiteral(
            "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL; PRAGMA application_id=%1;"
            "PRAGMA user_version=%2; BEGIN;"
            "CREATE TABLE layout(keys BLOB NOT NULL, kind TEXT NOT NULL);"
            "CREATE TABLE records(id INTEGER PRIMARY KEY, %3);")
            .arg(ApplicationId)
            .arg(Version)
            .arg(columns.definitions());
    if ((rc = db.exec(setup)) != SQLITE_OK) return rc;
    if (kind == TrmKind::History &&
        (rc = db.exec(ReceiptsTable(QStringLiteral("main")))) != SQLITE_OK) {
        return rc;
    }
    {
        SqliteQuery insert = db.statement(QStringLiteral("INSERT INTO layout VALUES(?1, ?2)"), rc);
        if (!insert) return rc;
        rc = insert->bind(1, keyLayout).bindText(2, columns.kindName().toUtf8()).step();
        if (rc != SQLITE_DONE) return rc;
    }
    if (fill && (rc = fill(db)) != SQLITE_OK) return rc;
    if ((rc = BuildIndexes(db, keyCount, QStringLiteral("main"), keepGoing)) != SQLITE_OK) {
        return rc;
    }
    return db.exec("COMMIT");
}

}  // namespace RecordSchema
