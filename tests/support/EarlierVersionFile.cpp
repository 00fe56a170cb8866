#include "support/EarlierVersionFile.h"

#include <sqlite3.h>

#include <QFile>
#include <stdexcept>

#include "store/KeyLayout.h"

namespace {

void require(bool done, sqlite3* db) {
    if (!done) throw std::runtime_error(sqlite3_errmsg(db));
}

}  // namespace

void WriteEarlierVersionFile(const QString& path, const QStringList& fields,
                             const QByteArrayList& records) {
    QFile::remove(path);
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    QString columns, keys, marks;
    for (int k = 1; k <= fields.size(); ++k) {
        columns += QStringLiteral(", k%1 BLOB NOT NULL").arg(k);
        keys += QStringLiteral(", k%1").arg(k);
        marks += QStringLiteral(", ?%1").arg(k + 1);
    }
    const QString schema =
        QStringLiteral(
            "PRAGMA application_id=1380860979; PRAGMA user_version=1; BEGIN;"
            "CREATE TABLE layout(keys BLOB NOT NULL);"
            "CREATE TABLE records(id INTEGER PRIMARY KEY, data BLOB NOT NULL%1);")
            .arg(columns);
    require(sqlite3_exec(db, schema.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK,
            db);
    sqlite3_stmt* layout = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO layout VALUES(?1)", -1, &layout, nullptr);
    const QByteArray keyLayout = KeyLayout::Build(fields);
    sqlite3_bind_blob(layout, 1, keyLayout.constData(), int(keyLayout.size()), SQLITE_TRANSIENT);
    require(sqlite3_step(layout) == SQLITE_DONE, db);
    sqlite3_finalize(layout);
    sqlite3_stmt* insert = nullptr;
    const QString sql = QStringLiteral("INSERT INTO records(data%1) VALUES(?1%2)").arg(keys, marks);
    sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &insert, nullptr);
    for (const QByteArray& record : records) {
        sqlite3_bind_blob(insert, 1, record.constData(), int(record.size()), SQLITE_TRANSIENT);
        for (int k = 1; k <= fields.size(); ++k) {
            const QByteArray key = record.mid(50 * (k - 1), 50).toUpper().leftJustified(50, ' ');
            sqlite3_bind_blob(insert, k + 1, key.constData(), 50, SQLITE_TRANSIENT);
        }
        require(sqlite3_step(insert) == SQLITE_DONE, db);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    require(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK, db);
    sqlite3_close(db);
}
