#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <vector>

#include "store/Records.h"

// The lines of the reports: their head lines and the block of labelled lines
// that describes one record.
namespace ReportText {

// A number with at least two digits (a leading zero below 10), grouped in
// threes by the locale's separator: 07, 1,234, 1,234,567.
QString Grouped(qint64 number);

// 80 "=".
QString Rule();

QStringList ListingHead(const QString& databaseName);
QStringList HistoryHead(const QString& pickDate, const QString& pickTime);

// The field names of a definition file at their full stored width, index k
// for Field(k+1); a slot the file does not describe has a blank name.
class FieldLabels {
public:
    explicit FieldLabels(const std::vector<FieldDefinition>& definitions);
    const QString& operator[](int k) const { return labels_[std::size_t(k)]; }

private:
    std::vector<QString> labels_;
};

// The block of `record`, numbered `number`: a line per field that is not
// blank, the fixed lines, and an empty line to end it.
void AppendRecordBlock(QStringList& lines, const FieldLabels& labels, const DataRecord& record,
                       qint64 number);

}  // namespace ReportText
