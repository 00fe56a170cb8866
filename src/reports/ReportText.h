#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <vector>

#include "store/Records.h"

// The lines of the reports: their head lines and the block of labelled lines
// that describes one record.
namespace ReportText {

// 80 "=".
QString Rule();

QStringList ListingHead(const QString& databaseName);
QStringList HistoryHead(const QString& pickDate, const QString& pickTime);

// The block of lines that describes one record, labelled with the field names
// of a definition file at their full stored width (a slot the file does not
// describe has a blank name). Written straight from the record string, in
// UTF-8 with CR LF line ends, as a report holds it: a report of a million
// records is not much slower than reading them.
class RecordBlock {
public:
    explicit RecordBlock(const std::vector<FieldDefinition>& definitions);

    // The block of the data record (or the data part of the history record)
    // `record`, numbered `number`: a line per field that is not blank, the
    // fixed lines, and an empty line to end it.
    void append(QByteArray& out, QByteArrayView record, qint64 number) const;

private:
    class Writer;
    void putGrouped(Writer& writer, qint64 number) const;

    std::vector<QByteArray> labels_;
    QByteArray separator_;
};

}  // namespace ReportText
