#include "RawSqlite.h"

#include <QFile>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#include <QCryptographicHash>
#include <unordered_map>

#include "records/DrawPool.h"
#include "records/Rfc3797.h"

namespace {

constexpr int kKeyLength = 50;

// Keys upper-cased byte by byte (ASCII is all the benchmark records hold).
QByteArray foldedKeys(const QByteArray& record, int keyCount) {
    QByteArray keys = record.left(kKeyLength * keyCount);
    keys.resize(kKeyLength * keyCount, ' ');
    for (char& c : keys) {
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    }
    return keys;
}

// `pattern` once per key, with the key's number (plus `shift`) as %1.
QString columns(int keyCount, const char* pattern, int shift = 0) {
    QString out;
    for (int k = 1; k <= keyCount; ++k) out += QString::fromLatin1(pattern).arg(k + shift);
    return out;
}

}  // namespace

RawSqlite::RawSqlite(const QString& path, int keyCount) : keyCount_(keyCount) {
    QFile::remove(path);
    QFile::remove(path + QStringLiteral(".history"));
    sqlite3_open(path.toUtf8().constData(), &db_);
    // The history in a file of its own, as the program keeps it: a pick commits two files.
    exec(("ATTACH DATABASE '" + path + ".history' AS h").toUtf8());
    exec("PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL; PRAGMA cache_size=-32768");
    const QString table = QStringLiteral("(id INTEGER PRIMARY KEY, data BLOB NOT NULL%1)")
                              .arg(columns(keyCount, ", k%1 BLOB NOT NULL"));
    exec(("CREATE TABLE records" + table + "; CREATE TABLE h.history" + table +
          "; CREATE TABLE h.receipts(sha256 BLOB, pool BLOB);")
             .toUtf8());
    // The program keeps the omit flag's index on every file, its history too.
    exec((columns(keyCount, "CREATE INDEX h.hkey%1 ON history(k%1);") +
          "CREATE INDEX h.hflag ON history(substr(data, 625, 1));")
             .toUtf8());
}

RawSqlite::~RawSqlite() {
    sqlite3_close(db_);
}

bool RawSqlite::exec(const char* sql) {
    return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

sqlite3_stmt* RawSqlite::prepare(const QString& sql) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db_, sql.toUtf8().constData(), -1, &stmt, nullptr);
    return stmt;
}

void RawSqlite::bindKeys(sqlite3_stmt* stmt, const QByteArray& keys) {
    for (int k = 0; k < keyCount_; ++k) {
        sqlite3_bind_blob(stmt, k + 2, keys.constData() + kKeyLength * k, kKeyLength,
                          SQLITE_STATIC);
    }
}

bool RawSqlite::load(qint64 total, const std::function<QByteArray(qint64)>& record) {
    const QString insert = QStringLiteral("INSERT INTO records(data%1) VALUES(?1%2)")
                               .arg(columns(keyCount_, ", k%1"), columns(keyCount_, ", ?%1", 1));
    if (!exec("BEGIN IMMEDIATE")) return false;
    sqlite3_stmt* stmt = prepare(insert);
    bool ok = stmt != nullptr;
    for (qint64 i = 0; ok && i < total; ++i) {
        const QByteArray data = record(i);
        const QByteArray keys = foldedKeys(data, keyCount_);
        sqlite3_bind_blob(stmt, 1, data.constData(), int(data.size()), SQLITE_STATIC);
        bindKeys(stmt, keys);
        ok = sqlite3_step(stmt) == SQLITE_DONE;
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    ok = ok && exec(columns(keyCount_, "CREATE INDEX key%1 ON records(k%1);").toUtf8()) &&
         exec("CREATE INDEX flag ON records(substr(data, 625, 1))");
    return exec(ok ? "COMMIT" : "ROLLBACK") && ok;
}

bool RawSqlite::insertCopies(const QByteArray& record, qint64 copies) {
    const QString insert = QStringLiteral("INSERT INTO records(data%1) VALUES(?1%2)")
                               .arg(columns(keyCount_, ", k%1"), columns(keyCount_, ", ?%1", 1));
    if (!exec("BEGIN IMMEDIATE")) return false;
    sqlite3_stmt* stmt = prepare(insert);
    bool ok = stmt != nullptr;
    for (qint64 i = 0; ok && i < copies; ++i) {
        const QByteArray keys = foldedKeys(record, keyCount_);
        sqlite3_bind_blob(stmt, 1, record.constData(), int(record.size()), SQLITE_STATIC);
        bindKeys(stmt, keys);
        ok = sqlite3_step(stmt) == SQLITE_DONE;
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    return exec(ok ? "COMMIT" : "ROLLBACK") && ok;
}

bool RawSqlite::clearOmits() {
    return exec(
        "UPDATE records SET data = CAST(substr(data, 1, 624) || 'F' || substr(data, 626) AS BLOB) "
        "WHERE substr(data, 625, 1) = X'54'");
}

bool RawSqlite::pick(int picks, bool receipt) {
    if (!exec("BEGIN IMMEDIATE")) return false;
    // The pool in key-1 order, ties by identity: the key's index gives the
    // order, the flag's the records not omitted with their fields.
    std::vector<qint64> ranked;
    sqlite3_stmt* ids = prepare(QStringLiteral("SELECT id FROM records ORDER BY k1, id"));
    while (sqlite3_step(ids) == SQLITE_ROW) ranked.push_back(sqlite3_column_int64(ids, 0));
    sqlite3_finalize(ids);
    std::unordered_map<qint64, QByteArray> fields;
    const QString selected = receipt ? QStringLiteral("id, data") : QStringLiteral("id, x''");
    sqlite3_stmt* drawable = prepare(
        QStringLiteral("SELECT %1 FROM records WHERE substr(data, 625, 1) < X'54' UNION ALL "
                       "SELECT %1 FROM records WHERE substr(data, 625, 1) > X'54'")
            .arg(selected));
    while (sqlite3_step(drawable) == SQLITE_ROW) {
        const QByteArrayView data(static_cast<const char*>(sqlite3_column_blob(drawable, 1)),
                                  sqlite3_column_bytes(drawable, 1));
        QByteArray line;
        for (int k = 0; receipt && k < keyCount_; ++k) {
            QByteArrayView field = data.sliced(kKeyLength * k, kKeyLength);
            while (!field.isEmpty() && field.back() == ' ') field.chop(1);
            line += '\t';
            line += field;
        }
        fields.emplace(sqlite3_column_int64(drawable, 0), std::move(line));
    }
    sqlite3_finalize(drawable);
    // The receipt: the listing's SHA-256, the pool's identities and fingerprints.
    std::vector<qint64> pool;
    QByteArray marks;
    QCryptographicHash sha(QCryptographicHash::Sha256);
    for (const qint64 id : ranked) {
        const auto found = fields.find(id);
        if (found == fields.end()) continue;
        pool.push_back(id);
        if (!receipt) continue;
        marks += char(qHash(found->second));
        sha.addData(QByteArray::number(qint64(pool.size())) + found->second + '\n');
    }
    const QByteArray digest = sha.result();
    bool ok = true;
    if (receipt) {
        sqlite3_stmt* insert = prepare(QStringLiteral("INSERT INTO h.receipts VALUES(?1, ?2)"));
        const QByteArray encoded = DrawPool::Encode(pool, marks);
        sqlite3_bind_blob(insert, 1, digest.constData(), int(digest.size()), SQLITE_STATIC);
        sqlite3_bind_blob(insert, 2, encoded.constData(), int(encoded.size()), SQLITE_STATIC);
        ok = sqlite3_step(insert) == SQLITE_DONE;
        sqlite3_finalize(insert);
    }
    sqlite3_stmt* fetch = prepare(QStringLiteral("SELECT data FROM records WHERE id = ?1"));
    sqlite3_stmt* update = prepare(QStringLiteral("UPDATE records SET data = ?1 WHERE id = ?2"));
    sqlite3_stmt* append =
        prepare(QStringLiteral("INSERT INTO h.history(data%1) VALUES(?1%2)")
                    .arg(columns(keyCount_, ", k%1"), columns(keyCount_, ", ?%1", 1)));
    // The same method from a key of its own: one number, as an ordinary pick's.
    Rfc3797::Draw draw(Rfc3797::FromNumber(QString::number(random_())), qint64(pool.size()));
    std::unordered_set<std::string> contents;
    ok = ok && int(pool.size()) >= picks;
    for (int n = 0; ok && n < picks;) {
        if (draw.done()) {
            ok = false;
            break;
        }
        const qint64 id = pool[std::size_t(draw.next().number - 1)];
        sqlite3_bind_int64(fetch, 1, id);
        ok = sqlite3_step(fetch) == SQLITE_ROW;
        if (!ok) break;
        QByteArray data(static_cast<const char*>(sqlite3_column_blob(fetch, 0)),
                        sqlite3_column_bytes(fetch, 0));
        sqlite3_reset(fetch);
        if (!contents.insert(data.left(600).toStdString()).second) continue;  // a repeat
        ++n;
        data.replace(610, 10, "07-04-2004");  // a stamp past the keys
        sqlite3_bind_blob(update, 1, data.constData(), int(data.size()), SQLITE_STATIC);
        sqlite3_bind_int64(update, 2, id);
        ok = sqlite3_step(update) == SQLITE_DONE;
        sqlite3_reset(update);
        const QByteArray entry = data + QByteArray(20, ' ');
        const QByteArray keys = foldedKeys(entry, keyCount_);
        sqlite3_bind_blob(append, 1, entry.constData(), int(entry.size()), SQLITE_STATIC);
        bindKeys(append, keys);
        ok = ok && sqlite3_step(append) == SQLITE_DONE;
        sqlite3_reset(append);
    }
    sqlite3_finalize(fetch);
    sqlite3_finalize(update);
    sqlite3_finalize(append);
    return exec(ok ? "COMMIT" : "ROLLBACK") && ok;
}
