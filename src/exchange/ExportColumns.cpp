#include "exchange/ExportColumns.h"

#include "store/RecordText.h"

namespace {

enum Fixed { DateEntered = DataRecord::FieldCount, TimesPicked = DateEntered + 2 };

QByteArray text(const QByteArray& member) {
    return RecordText::trimmed(member);
}

// The text members of the fixed columns, in column order; the count is a number.
constexpr QByteArray DataRecord::*kFixedMembers[] = {&DataRecord::DateEntered,
                                                     &DataRecord::LastPicked, nullptr,
                                                     &DataRecord::Omit, &DataRecord::Notes};

QByteArray valueOf(const DataRecord& record, int column) {
    if (column < DateEntered) return text(record.Field[static_cast<std::size_t>(column)]);
    if (column == TimesPicked) return QByteArray::number(record.TimesPicked);
    return text(record.*kFixedMembers[column - DateEntered]);
}

}  // namespace

ExportColumns::ExportColumns(const std::vector<FieldDefinition>& definitions,
                             const Choice& chosen) {
    for (int k = 0; k < DataRecord::FieldCount; ++k) {
        const auto slot = static_cast<std::size_t>(k);
        if (!chosen[slot] || slot >= definitions.size() || !definitions[slot].inUse()) continue;
        columns_.push_back(k);
        headers_ << text(definitions[slot].FieldName);
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

QByteArrayList ExportColumns::values(const DataRecord& record) const {
    QByteArrayList out;
    out.reserve(static_cast<qsizetype>(columns_.size()));
    for (const int column : columns_) out << valueOf(record, column);
    return out;
}
