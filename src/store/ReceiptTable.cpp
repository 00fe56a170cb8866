#include "store/ReceiptTable.h"

#include "store/RecordColumns.h"
#include "store/RecordManager.h"
#include "store/RecordSchema.h"
#include "store/RecordText.h"
#include "store/Records.h"
#include "store/SqliteDatabase.h"

QString ReceiptTable::sql(const char* pattern) const {
    return QString::fromLatin1(pattern).replace(QLatin1String("{S}"), schema_);
}

int ReceiptTable::add(const TrmReceipt& receipt) {
    // Made here, inside the pick's transaction, for files written before
    // receipts were kept: the table comes with the first receipt or not at all.
    int rc = db_.exec(RecordSchema::ReceiptsTable(schema_));
    if (rc != SQLITE_OK) return rc;
    SqliteQuery stmt = db_.statement(
        sql("INSERT INTO {S}.receipts(pickdate, picktime, first, records, details, pool) "
            "VALUES(?1, ?2, ?3, ?4, ?5, ?6)"),
        rc);
    if (!stmt) return rc;
    stmt->bindText(1, RecordColumns::stored(receipt.pickDate).toByteArray())
        .bindText(2, RecordColumns::stored(receipt.pickTime).toByteArray())
        .bind(3, receipt.first)
        .bind(4, receipt.records)
        .bindText(5, receipt.details)
        .bind(6, receipt.pool);
    rc = stmt->step();
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

int ReceiptTable::read(const QByteArray* stamp, bool withPool, std::vector<TrmReceipt>& out) {
    out.clear();
    int rc = SQLITE_OK;
    {
        SqliteQuery table = db_.statement(
            sql("SELECT 1 FROM {S}.sqlite_master WHERE type = 'table' AND name = 'receipts'"), rc);
        if (!table) return rc;
        rc = table->step();
        if (rc == SQLITE_DONE) return SQLITE_OK;  // written before receipts were kept
        if (rc != SQLITE_ROW) return rc;
    }
    QString query = sql("SELECT pickdate, picktime, first, records, details, %1 FROM {S}.receipts")
                        .arg(withPool ? QStringLiteral("pool") : QStringLiteral("x''"));
    if (stamp) query += QStringLiteral(" WHERE pickdate = ?1 AND picktime = ?2");
    SqliteQuery stmt = db_.statement(query + QStringLiteral(" ORDER BY id"), rc);
    if (!stmt) return rc;
    if (stamp) {
        const int width = HistoryRecord::PickWidth;
        const QByteArray both = RecordText::fixedWidth(*stamp, 2 * width);
        stmt->bindText(1, RecordColumns::stored(QByteArrayView(both).first(width)).toByteArray())
            .bindText(2, RecordColumns::stored(QByteArrayView(both).sliced(width)).toByteArray());
    }
    while ((rc = stmt->step()) == SQLITE_ROW) {
        TrmReceipt r;
        r.pickDate = RecordText::fixedWidth(stmt->bytes(0), HistoryRecord::PickWidth);
        r.pickTime = RecordText::fixedWidth(stmt->bytes(1), HistoryRecord::PickWidth);
        r.first = stmt->int64(2);
        r.records = stmt->int64(3);
        r.details = stmt->blob(4);
        r.pool = stmt->blob(5);
        out.push_back(std::move(r));
    }
    if (rc != SQLITE_DONE) {
        out.clear();
        return rc;
    }
    return SQLITE_OK;
}
