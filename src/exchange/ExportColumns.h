#pragma once

#include <QByteArrayList>
#include <QStringList>
#include <array>
#include <vector>

#include "store/Records.h"

// The columns an export writes, in their fixed order: the user fields 1-12,
// then Date Entered, Last Picked, Times Picked, Omit and Notes, each only when
// its box is chosen. A user field takes part only when its slot holds a field,
// so that the header row and the data rows always name the same columns.
// Headers and values come out as UTF-8, trimmed of surrounding spaces.
class ExportColumns {
public:
    // One box per column: the twelve user fields, then the five fixed columns.
    static constexpr int Boxes = DataRecord::FieldCount + 5;
    using Choice = std::array<bool, Boxes>;

    ExportColumns() = default;
    ExportColumns(const std::vector<FieldDefinition>& definitions, const Choice& chosen);

    // "Date Entered", "Last Picked", "Times Picked", "Omit", "Notes".
    static const QStringList& FixedHeaders();

    bool isEmpty() const { return columns_.empty(); }
    const QByteArrayList& headers() const { return headers_; }
    // The values of the data record in the record string `record` (its first
    // 880 bytes), as views of it; the count's digits are put in `number`,
    // which must outlive the views. A million rows cost no copy of a value.
    void values(QByteArrayView record, QByteArray& number,
                std::vector<QByteArrayView>& out) const;
    QByteArrayList values(const DataRecord& record) const;

private:
    std::vector<int> columns_;  // box numbers, ascending
    QByteArrayList headers_;
};
