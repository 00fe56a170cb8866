#include "exchange/CsvImport.h"

#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <tuple>

#include "exchange/CsvReader.h"
#include "records/RecordChanges.h"
#include "records/TypedValues.h"
#include "store/RecordManager.h"
#include "store/RecordText.h"
#include "store/Records.h"

namespace CsvImport {
namespace {

// The values of one group, kept in one buffer so that a million groups cost
// no allocation each.
class Group {
public:
    void add(QByteArrayView value) {
        bytes_.append(value.data(), value.size());
        ends_.push_back(bytes_.size());
    }
    int size() const { return int(ends_.size()); }
    QByteArrayView at(int i) const {
        const qsizetype start = i == 0 ? 0 : ends_[std::size_t(i - 1)];
        return QByteArrayView(bytes_).sliced(start, ends_[std::size_t(i)] - start);
    }
    void views(std::vector<QByteArrayView>& values) const {
        values.clear();
        for (int i = 0; i < size(); ++i) values.push_back(at(i));
    }
    void clear() {
        bytes_.resize(0);
        ends_.clear();
    }

private:
    QByteArray bytes_;
    std::vector<qsizetype> ends_;
};

// Takes the values of a file n at a time, across line ends, leaving out the
// first line when asked; a short group at the end is handed on as it is.
class Grouping {
public:
    using Whole = std::function<bool(const std::vector<QByteArrayView>& group)>;
    using Row = std::function<void(qint64 values, qint64 line)>;

    Grouping(int valuesPerRecord, bool skipFirstLine, Whole whole, Row row = {})
        : n_(valuesPerRecord),
          skipFirstLine_(skipFirstLine),
          whole_(std::move(whole)),
          row_(std::move(row)) {}

    bool value(QByteArrayView value) {
        if (skipping()) return true;
        group_.add(value);
        return group_.size() < n_ || handOn();
    }
    void rowEnd(qint64 values, qint64 line) {
        if (!skipping() && row_) row_(values, line);
        ++rowsEnded_;
    }
    // The values left over at the end of the file, as one more group.
    bool finish() {
        if (group_.size() == 0) return true;
        lastGroupValues_ = group_.size();
        return handOn();
    }
    qint64 rowsEnded() const { return rowsEnded_; }
    qint64 lastGroupValues() const { return lastGroupValues_; }

private:
    bool skipping() const { return skipFirstLine_ && rowsEnded_ == 0; }
    bool handOn() {
        group_.views(views_);
        const bool goOn = whole_(views_);
        group_.clear();
        return goOn;
    }

    int n_;
    bool skipFirstLine_;
    Whole whole_;
    Row row_;
    Group group_;
    std::vector<QByteArrayView> views_;
    qint64 rowsEnded_ = 0;
    qint64 lastGroupValues_ = 0;
};

Status statusOf(CsvReader::Status status) {
    switch (status) {
        case CsvReader::Status::Read:
            return Status::Done;
        case CsvReader::Status::Stopped:
            return Status::Stopped;
        default:
            return Status::Failed;
    }
}

// Reads the whole file through a grouping; `look` sees every value first.
std::pair<Status, QString> readGroups(const QString& path, Grouping& grouping,
                                      const std::function<void(QByteArrayView)>& look,
                                      const CsvReader::Progress& progress) {
    const CsvReader::Outcome read = CsvReader(path).read(
        [&](QByteArrayView value) {
            if (look) look(value);
            return grouping.value(value);
        },
        [&](qint64 values, qint64 line) { grouping.rowEnd(values, line); }, progress);
    if (read.status == CsvReader::Status::Read && !grouping.finish()) {
        return {Status::Stopped, {}};
    }
    return {statusOf(read.status), read.reason};
}

void noteUneven(Survey& survey, qint64 values, qint64 line) {
    LineCounts& counts = survey.unevenLines[values];
    if (counts.lines.size() < std::size_t(Survey::SampleLines)) counts.lines.push_back(line);
    ++counts.total;
}

QString listOfLines(const LineCounts& counts) {
    QStringList numbers;
    for (const qint64 line : counts.lines) numbers << QString::number(line);
    const qint64 more = counts.total - qint64(counts.lines.size());
    if (more > 0) {
        return numbers.join(QStringLiteral(", ")) + QStringLiteral(" and %1 more").arg(more);
    }
    if (numbers.size() == 1) return numbers.front();
    const QString last = numbers.takeLast();
    return numbers.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

// A line's values as the user reads them: UTF-8 when they are valid UTF-8.
QStringList lineText(const std::vector<QByteArray>& values) {
    const bool utf8 = std::all_of(values.begin(), values.end(), [](const QByteArray& value) {
        return ImportText::isUtf8(value);
    });
    const CsvEncoding encoding = utf8 ? CsvEncoding::Utf8 : CsvEncoding::Windows1252;
    QStringList texts;
    for (const QByteArray& value : values) texts << ImportText::text(value, encoding).trimmed();
    return texts;
}

ImportOutcome storeFailure(int handle, int code) {
    ImportOutcome outcome;
    outcome.code = code;
    outcome.reason = trm_FailureText(handle, code);
    return outcome;
}

// A code of our own for a bulk load ended because the user stopped it.
constexpr int Stopping = -1;

ImportOutcome changedSinceSurvey(const QString& how) {
    ImportOutcome outcome;
    outcome.reason = how + QStringLiteral("\r\nCheck it again before importing.");
    return outcome;
}

ImportOutcome stoppedOutcome() {
    ImportOutcome outcome;
    outcome.status = Status::Stopped;
    return outcome;
}

// Builds the indexes after the rows, the window kept painting and able to stop it.
int endBulkLoad(int handle, qint64 records, const Progress& progress) {
    bool stopped = false;
    const int code = trm_EndBulkLoad(handle, [&] {
        stopped = progress && !progress(records, records);
        return !stopped;
    });
    return stopped ? Stopping : code;
}

// Inserts every group of the file inside the caller's transaction.
ImportOutcome insertGroups(const QString& path, int handle, const Layout& layout,
                           const Survey& survey, bool skipFirstLine, const QDate& today,
                           const Progress& progress) {
    const QByteArray dateEntered = TypedValues::HyphenatedDate(today).toLatin1();
    ImportOutcome outcome;
    int failed = TrmCode::Ok;
    bool stopped = false;
    Grouping grouping(layout.valuesPerRecord, skipFirstLine, [&](const auto& group) {
        const Placed placed = PlaceGroup(group, layout, survey.encoding, dateEntered);
        failed = trm_Insert(handle, placed.record);
        if (failed != TrmCode::Ok) return false;
        ++outcome.records;
        outcome.cut += placed.cut;
        const bool report = outcome.records % RecordChanges::ProgressStep == 0;
        if (progress && report && !progress(outcome.records, survey.records)) {
            stopped = true;
            return false;
        }
        return true;
    });
    const auto [status, reason] = readGroups(path, grouping, {}, {});
    if (failed != TrmCode::Ok) return storeFailure(handle, failed);
    outcome.status = stopped ? Status::Stopped : status;
    outcome.reason = reason;
    return outcome;
}

}  // namespace

SurveyOutcome SurveyFile(const QString& path, int valuesPerRecord, bool skipFirstLine,
                         const Progress& progress) {
    SurveyOutcome outcome;
    Survey& survey = outcome.survey;
    const QFileInfo file(path);
    survey.fileSize = file.size();
    survey.modified = file.lastModified();
    Grouping grouping(
        valuesPerRecord, skipFirstLine,
        [&survey](const std::vector<QByteArrayView>& group) {
            if (survey.sample.size() < std::size_t(Survey::SampleGroups)) {
                std::vector<QByteArray>& kept = survey.sample.emplace_back();
                for (const QByteArrayView value : group) kept.push_back(value.toByteArray());
            }
            ++survey.records;
            return true;
        },
        [&survey, valuesPerRecord](qint64 values, qint64 line) {
            if (values != valuesPerRecord) noteUneven(survey, values, line);
        });
    bool utf8 = true;
    const auto look = [&](QByteArrayView value) {
        ++survey.values;
        if (utf8) utf8 = ImportText::isUtf8(value);
    };
    std::tie(outcome.status, outcome.reason) = readGroups(path, grouping, look, progress);
    survey.encoding = utf8 ? CsvEncoding::Utf8 : CsvEncoding::Windows1252;
    survey.lastGroupValues = grouping.lastGroupValues();
    if (outcome.status == Status::Done && survey.values == 0) {
        outcome.status = Status::Failed;
        outcome.reason = QStringLiteral("The file is empty: it holds no values to import.");
    }
    return outcome;
}

namespace {

// The whole file or nothing: every way out before the commit rolls back.
ImportOutcome importWhole(const QString& path, int handle, const Layout& layout,
                          const Survey& survey, bool skipFirstLine, const QDate& today,
                          const Progress& progress) {
    const QFileInfo file(path);
    if (file.size() != survey.fileSize || file.lastModified() != survey.modified) {
        return changedSinceSurvey(QStringLiteral("The file has changed since it was checked."));
    }
    TrmTransaction transaction(handle);
    if (transaction.begun() != TrmCode::Ok) return storeFailure(handle, transaction.begun());
    const bool bulk = RecordChanges::WorthABulkLoad(handle, survey.records);
    if (bulk) {
        if (const int code = trm_BeginBulkLoad(handle); code != TrmCode::Ok) {
            return storeFailure(handle, code);
        }
    }
    ImportOutcome outcome =
        insertGroups(path, handle, layout, survey, skipFirstLine, today, progress);
    if (outcome.status == Status::Done && outcome.records != survey.records) {
        return changedSinceSurvey(
            QStringLiteral("The file has changed since it was checked: it now gives %1, not %2.")
                .arg(Counted(outcome.records, "record"), QString::number(survey.records)));
    }
    if (outcome.status != Status::Done) return outcome;
    if (const int code = bulk ? endBulkLoad(handle, outcome.records, progress) : TrmCode::Ok;
        code != TrmCode::Ok) {
        return code == Stopping ? stoppedOutcome() : storeFailure(handle, code);
    }
    if (const int committed = transaction.commit(); committed != TrmCode::Ok) {
        return storeFailure(handle, committed);
    }
    return outcome;
}

}  // namespace

ImportOutcome ImportFile(const QString& path, int handle, const Layout& layout,
                         const Survey& survey, bool skipFirstLine, const QDate& today,
                         const Progress& progress) {
    ImportOutcome outcome =
        importWhole(path, handle, layout, survey, skipFirstLine, today, progress);
    // Counted after the transaction has ended, whichever way it ended.
    outcome.total = trm_Count(handle);
    if (progress && outcome.status == Status::Done) progress(outcome.records, outcome.records);
    return outcome;
}

QString Counted(qint64 count, const char* noun) {
    return QStringLiteral("%1 %2%3").arg(count).arg(QLatin1String(noun),
                                                    count == 1 ? QString() : QStringLiteral("s"));
}

Placed PlaceGroup(const std::vector<QByteArrayView>& values, const Layout& layout,
                  CsvEncoding encoding, const QByteArray& dateEntered) {
    // Built in place: the fresh statistics, then each value in its field.
    Placed placed;
    placed.record = QByteArray(DataRecord::Size, ' ');
    char* record = placed.record.data();
    std::memcpy(record + DataRecord::DateEnteredOffset, dateEntered.constData(),
                std::size_t(std::min<qsizetype>(dateEntered.size(), DataRecord::DateWidth)));
    std::memset(record + DataRecord::TimesPickedOffset, 0, 4);
    record[DataRecord::OmitOffset] = 'F';
    const std::size_t given = std::min(values.size(), layout.fields.size());
    for (std::size_t i = 0; i < given; ++i) {
        char* field = record + DataRecord::FieldWidth * layout.fields[i];
        placed.cut += ImportText::place(values[i], encoding, field) ? 1 : 0;
    }
    return placed;
}

QString PreviewHeading(const Survey& survey, const QString& databaseName) {
    const qint64 sampled = qint64(survey.sample.size());
    QString stored;
    if (survey.records > sampled) {
        stored = QStringLiteral(" The first %1 will be stored like this:").arg(sampled);
    } else if (survey.records > 0) {
        stored = QStringLiteral(" They will be stored like this:");
    }
    return QStringLiteral("The file gives %1 for \"%2\".%3")
        .arg(Counted(survey.records, "record"), databaseName, stored);
}

std::vector<QStringList> PreviewRecords(const Survey& survey, const Layout& layout) {
    std::vector<QStringList> records;
    for (const std::vector<QByteArray>& values : survey.sample) {
        const std::vector<QByteArrayView> views(values.begin(), values.end());
        const DataRecord record = RecordFromString<DataRecord>(
            PlaceGroup(views, layout, survey.encoding, {}).record);
        QStringList fields;
        for (const QByteArray& field : record.Field) {
            fields << RecordText::toUnicode(RecordText::trimmed(field));
        }
        records.push_back(fields);
    }
    return records;
}

QString CutValues(qint64 count) {
    return Counted(count, "value") +
           (count == 1 ? QStringLiteral(" too long for its field was cut to fit.")
                       : QStringLiteral(" too long for their fields were cut to fit."));
}

QStringList Warnings(const Survey& survey, int valuesPerRecord) {
    QStringList sentences;
    if (survey.encoding == CsvEncoding::Windows1252) {
        sentences << QStringLiteral(
            "The file is not UTF-8 text, so it is read as Windows-1252 (Western European): "
            "check its accented letters below before importing.");
    }
    // In the order of the lines, each count of values with the lines that hold it.
    std::vector<std::pair<qint64, const LineCounts*>> uneven;
    for (const auto& [values, counts] : survey.unevenLines) uneven.emplace_back(values, &counts);
    std::sort(uneven.begin(), uneven.end(), [](const auto& a, const auto& b) {
        return a.second->lines.front() < b.second->lines.front();
    });
    for (const auto& [values, counts] : uneven) {
        const QString lines = counts->total == 1 ? QStringLiteral("Line %1 holds %2, not %3.")
                                                 : QStringLiteral("Lines %1 hold %2, not %3.");
        sentences << lines.arg(listOfLines(*counts), Counted(values, "value"),
                               QString::number(valuesPerRecord));
    }
    if (!sentences.isEmpty()) {
        sentences << QStringLiteral(
                         "Values are taken %1 at a time across line ends, so every record after "
                         "such a line may be shifted.")
                         .arg(valuesPerRecord);
    }
    if (survey.lastGroupValues > 0) {
        sentences << QStringLiteral(
                         "The last record gets only %1 of %2 values; its other fields stay empty.")
                         .arg(survey.lastGroupValues)
                         .arg(valuesPerRecord);
    }
    return sentences;
}

QStringList ReadFirstLine(const QString& path, const Progress& progress) {
    std::vector<QByteArray> values;
    bool ended = false;
    CsvReader(path).read(
        [&](QByteArrayView value) {
            // A line of more values than a database has fields names none of them.
            if (ended || values.size() > DataRecord::FieldCount) return false;
            values.push_back(value.toByteArray());
            return true;
        },
        [&](qint64, qint64) { ended = true; }, progress);
    return lineText(values);
}

std::optional<QStringList> ColumnOrder(const QStringList& firstLine,
                                       const QStringList& fieldNames) {
    if (firstLine.size() != fieldNames.size()) return std::nullopt;
    QStringList ordered;
    for (const QString& column : firstLine) {
        const auto match =
            std::find_if(fieldNames.begin(), fieldNames.end(), [&](const QString& name) {
                return name.trimmed().compare(column, Qt::CaseInsensitive) == 0 &&
                       !ordered.contains(name);
            });
        if (match == fieldNames.end()) return std::nullopt;
        ordered << *match;
    }
    return ordered;
}

}  // namespace CsvImport
