#include "search/FoundRecords.h"

#include "store/RecordText.h"

FoundRecords::Listing FoundRecords::All(int handle) {
    Listing listing;
    listing.code = trm_Identities(handle, listing.positions);
    return listing;
}

FoundRecords::Listing FoundRecords::Matching(int handle, int key, TrmSearch how,
                                             const QByteArray& value,
                                             const std::function<bool()>& keepGoing) {
    Listing listing;
    listing.code = trm_FindAll(handle, key, how, value, listing.positions, keepGoing);
    return listing;
}

QString FoundRecords::RowNumber(qint64 row) {
    return QString::number(row).rightJustified(2, QLatin1Char('0'));
}

QStringList FoundRecords::Cells(const QByteArray& record, int fieldCount) {
    const DataRecord fields = RecordFromString<DataRecord>(record);
    QStringList cells;
    for (int k = 0; k < fieldCount && k < DataRecord::FieldCount; ++k) {
        cells << RecordText::toUnicode(RecordText::trimmed(fields.Field[std::size_t(k)]));
    }
    return cells;
}

std::optional<QStringList> FoundRecords::CellsOf(int handle, qint64 position, int fieldCount) {
    const QByteArray record = trm_Peek(handle, position);
    if (record.isEmpty()) return std::nullopt;
    return Cells(record, fieldCount);
}

std::optional<DataRecord> FoundRecords::Pick(int handle, qint64 position,
                                             const QStringList& shown) {
    // The identity of a deleted record may be given to a later one: the
    // fields the user chose by must still be the ones shown.
    const std::optional<QStringList> now = CellsOf(handle, position, int(shown.size()));
    if (!now || *now != shown) return std::nullopt;
    const QByteArray record = trm_GetDirect(handle, position);
    if (trm_Result(handle) != TrmCode::Ok || record.isEmpty()) return std::nullopt;
    return RecordFromString<DataRecord>(record);
}
