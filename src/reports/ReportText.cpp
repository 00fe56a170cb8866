#include "reports/ReportText.h"

#include <QLocale>

#include "store/RecordText.h"

namespace ReportText {

namespace {

QString value(const QByteArray& member) {
    return RecordText::toUnicode(RecordText::trimmed(member));
}

}  // namespace

QString Grouped(qint64 number) {
    const bool negative = number < 0;
    QString digits = QString::number(negative ? -static_cast<quint64>(number) : quint64(number));
    if (digits.size() < 2) digits.prepend(QLatin1Char('0'));
    const QString separator = QLocale().groupSeparator();
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3) digits.insert(at, separator);
    return negative ? QLatin1Char('-') + digits : digits;
}

QString Rule() {
    return QString(80, QLatin1Char('='));
}

QStringList ListingHead(const QString& databaseName) {
    return {QStringLiteral("COMPLETE LISTING OF ") + databaseName, Rule(), QString()};
}

QStringList HistoryHead(const QString& pickDate, const QString& pickTime) {
    return {QStringLiteral("HISTORY FOR PICK ON ") + pickDate + QStringLiteral(" AT ") + pickTime,
            Rule(), QString()};
}

FieldLabels::FieldLabels(const std::vector<FieldDefinition>& definitions)
    : labels_(DataRecord::FieldCount,
              QString(FieldDefinition::NameWidth, QLatin1Char(' ')) + QStringLiteral(": ")) {
    const std::size_t described = std::min(definitions.size(), labels_.size());
    for (std::size_t k = 0; k < described; ++k) {
        labels_[k] = RecordText::toUnicode(RecordText::fixedWidth(definitions[k].FieldName,
                                                              FieldDefinition::NameWidth)) +
                     QStringLiteral(": ");
    }
}

void AppendRecordBlock(QStringList& lines, const FieldLabels& labels, const DataRecord& record,
                       qint64 number) {
    lines << QStringLiteral("Record No.               : ") + Grouped(number);
    for (int k = 0; k < DataRecord::FieldCount; ++k) {
        const QByteArray field = RecordText::trimmed(record.Field[std::size_t(k)]);
        if (!field.isEmpty()) lines << labels[k] + RecordText::toUnicode(field);
    }
    lines << QStringLiteral("Date Entered             : ") + value(record.DateEntered)
          << QStringLiteral("Last Picked              : ") + value(record.LastPicked)
          << QStringLiteral("Times Picked             : ") + Grouped(record.TimesPicked)
          << QStringLiteral("Omit From Pick           : ") + value(record.Omit)
          << QStringLiteral("Notes                    : ") + value(record.Notes) << QString();
}

}  // namespace ReportText
