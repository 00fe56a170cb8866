#include "reports/ReportText.h"

#include <QLocale>
#include <QtEndian>
#include <cstring>

#include "store/RecordText.h"

namespace ReportText {

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

RecordBlock::RecordBlock(const std::vector<FieldDefinition>& definitions)
    : labels_(DataRecord::FieldCount, QByteArray(FieldDefinition::NameWidth, ' ') + ": "),
      separator_(QLocale().groupSeparator().toUtf8()) {
    const std::size_t described = std::min(definitions.size(), labels_.size());
    for (std::size_t k = 0; k < described; ++k) {
        labels_[k] = RecordBuffer(definitions[k].FieldName, FieldDefinition::NameWidth) + ": ";
    }
}

// Writes into room made beforehand: a million blocks cost no growth checks.
class RecordBlock::Writer {
public:
    explicit Writer(char* at) : at_(at) {}
    char* end() const { return at_; }
    void put(QByteArrayView bytes) {
        std::memcpy(at_, bytes.data(), std::size_t(bytes.size()));
        at_ += bytes.size();
    }
    void line(QByteArrayView label, QByteArrayView value) {
        put(label);
        put(value);
        put("\r\n");
    }

private:
    char* at_;
};

namespace {

// The most a block can take: the labels, the members at their widths, the
// numbers with their separators, the line ends.
constexpr qsizetype kLongestBlock = 2048;

}  // namespace

// At least two digits, grouped in threes, written where the writer stands.
void RecordBlock::putGrouped(Writer& writer, qint64 number) const {
    char digits[24];
    qsizetype at = sizeof digits;
    quint64 rest = number < 0 ? -static_cast<quint64>(number) : quint64(number);
    do {
        digits[--at] = char('0' + rest % 10);
        rest /= 10;
    } while (rest > 0);
    if (at == qsizetype(sizeof digits) - 1) digits[--at] = '0';
    if (number < 0) writer.put("-");
    const qsizetype count = qsizetype(sizeof digits) - at;
    for (qsizetype i = 0; i < count; ++i) {
        if (i > 0 && (count - i) % 3 == 0) writer.put(separator_);
        writer.put(QByteArrayView(digits + at + i, 1));
    }
}

void RecordBlock::append(QByteArray& out, QByteArrayView record, qint64 number) const {
    const auto member = [&](int offset, int width) {
        return RecordText::trimmedView(record.sliced(offset, width));
    };
    const qsizetype start = out.size();
    out.resize(start + kLongestBlock);
    Writer writer(out.data() + start);
    writer.put("Record No.               : ");
    putGrouped(writer, number);
    writer.put("\r\n");
    for (int k = 0; k < DataRecord::FieldCount; ++k) {
        const QByteArrayView field = member(k * DataRecord::FieldWidth, DataRecord::FieldWidth);
        if (!field.isEmpty()) writer.line(labels_[std::size_t(k)], field);
    }
    writer.line("Date Entered             : ",
                member(DataRecord::DateEnteredOffset, DataRecord::DateWidth));
    writer.line("Last Picked              : ",
                member(DataRecord::LastPickedOffset, DataRecord::DateWidth));
    writer.put("Times Picked             : ");
    putGrouped(writer, qFromLittleEndian<qint32>(record.data() + DataRecord::TimesPickedOffset));
    writer.put("\r\n");
    writer.line("Omit From Pick           : ", member(DataRecord::OmitOffset, 1));
    writer.line("Notes                    : ",
                member(DataRecord::NotesOffset, DataRecord::NotesWidth));
    writer.put("\r\n");
    out.resize(writer.end() - out.data());
}

}  // namespace ReportText
