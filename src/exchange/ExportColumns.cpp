#include "exchange/ExportColumns.h"

#include <QtEndian>

#include "store/RecordText.h"

namespace {

enum Fixed { DateEntered = DataRecord::FieldCount, TimesPicked = DateEntered + 2 };

// Where each column's member stands in a record string, and how wide it is;
// the count's place holds its four bytes.
struct Place {
    int offset;
    int width;
};

Place placeOf(int column) {
    if (column < DateEntered) return {column * DataRecord::FieldWidth, DataRecord::FieldWidth};
    static constexpr Place fixed[] = {{DataRecord::DateEnteredOffset, DataRecord::DateWidth},
                                      {DataRecord::LastPickedOffset, DataRecord::DateWidth},
                                      {DataRecord::TimesPickedOffset, 4},
                                      {DataRecord::OmitOffset, 1},
                                      {DataRecord::NotesOffset, DataRecord::NotesWidth}};
    return fixed[column - DateEntered];
}

}  // namespace

ExportColumns::ExportColumns(const std::vector<FieldDefinition>& definitions,
                             const Choice& chosen) {
    for (int k = 0; k < DataRecord::FieldCount; ++k) {
        const auto slot = static_cast<std::size_t>(k);
        if (!chosen[slot] || slot >= definitions.size() || !definitions[slot].inUse()) continue;
        columns_.push_back(k);
        headers_ << RecordText::trimmed(definitions[slot].FieldName);
    }
    for (int box = DateEntered; box < Boxes; ++box) {
        if (!chosen[static_cast<std::size_t>(box)]) continue;
        columns_.push_back(box);
        headers_ << FixedHeaders().at(box - DateEntered).toUtf8();
    }
}

const QStringList& ExportColumns::FixedHeaders() {
    static const QStringList headers = {
        QStringLiteral("Date Entered"), QStringLiteral("Last Picked"),
        QStringLiteral("Times Picked"), QStringLiteral("Omit"), QStringLiteral("Notes")};
    return headers;
}

void ExportColumns::values(QByteArrayView record, QByteArray& number,
                           std::vector<QByteArrayView>& out) const {
    out.clear();
    for (const int column : columns_) {
        const Place place = placeOf(column);
        if (column == TimesPicked) {
            number.setNum(qFromLittleEndian<qint32>(record.data() + place.offset));
            out.push_back(number);
        } else {
            out.push_back(RecordText::trimmedView(record.sliced(place.offset, place.width)));
        }
    }
}

QByteArrayList ExportColumns::values(const DataRecord& record) const {
    const QByteArray text = RecordToString(record);
    QByteArray number;
    std::vector<QByteArrayView> views;
    values(text, number, views);
    QByteArrayList out;
    for (const QByteArrayView view : views) out << view.toByteArray();
    return out;
}
