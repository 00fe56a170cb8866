#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

class SqliteDatabase;
struct TrmReceipt;

// The receipts of a history file's picks, in a table of their own beside the
// history records, which stay as earlier versions wrote them. A file written
// before receipts were kept has no table until its first receipt is added.
// Each function returns SQLite's code.
class ReceiptTable {
public:
    ReceiptTable(SqliteDatabase& db, const QString& schema) : db_(db), schema_(schema) {}

    int add(const TrmReceipt& receipt);
    // Those of the pick made at `stamp` (date and time), or all of them when
    // `stamp` is null; their pools only `withPool`. In the order they were added.
    int read(const QByteArray* stamp, bool withPool, std::vector<TrmReceipt>& out);

private:
    QString sql(const char* pattern) const;

    SqliteDatabase& db_;
    const QString& schema_;
};
