#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "exchange/ImportText.h"

// Adds the records of a comma-separated file to a data file. Values are taken
// n at a time (n = the database's number of fields) whatever lines they stand
// on, and each group of n becomes one record; the layout says which field
// each value of a group goes to.
//
// A file is read twice: a survey first (how many records, in what character
// set, what the first ones look like, which lines do not hold n values), so
// the user can check the import before anything is written; then the import
// itself, in one transaction, so that it adds every record or none.
namespace CsvImport {

// Told how far the reading has come (bytes, or records) out of how far it
// goes; returns false to stop.
using Progress = std::function<bool(qint64 done, qint64 total)>;

// Which field each value of a group goes to: fields[i] (0..11) receives the
// i-th value; values past the end are dropped, fields not named stay empty.
struct Layout {
    int valuesPerRecord = 0;  // n
    std::vector<int> fields;
};

// The first line that holds n values other than n, and how many such lines.
struct LineCounts {
    std::vector<qint64> lines;  // the first few, in file order
    qint64 total = 0;
};

struct Survey {
    static constexpr int SampleGroups = 5;
    static constexpr int SampleLines = 5;

    qint64 records = 0;
    qint64 values = 0;
    CsvEncoding encoding = CsvEncoding::Utf8;
    // The first groups as read, before the layout places them.
    std::vector<std::vector<QByteArray>> sample;
    // Lines holding other than n values, by the number they hold.
    std::map<qint64, LineCounts> unevenLines;
    qint64 lastGroupValues = 0;  // values of a short last group; 0 when it is whole
    // The file as it was when the survey began, so that an import can tell
    // that it is no longer the file the user checked.
    qint64 fileSize = -1;
    QDateTime modified;
};

enum class Status { Done, Stopped, Failed };

struct SurveyOutcome {
    Status status = Status::Failed;
    QString reason;  // for the user, when it failed
    Survey survey;
};

struct ImportOutcome {
    Status status = Status::Failed;
    QString reason;
    int code = 0;        // the record manager's code of a store failure
    qint64 records = 0;  // records added
    qint64 cut = 0;      // values cut to the width of a field
    qint32 total = 0;    // records in the file afterwards
};

SurveyOutcome SurveyFile(const QString& path, int valuesPerRecord, bool skipFirstLine,
                         const Progress& progress = {});

// Adds the file's records to the data file `handle` as the survey found them.
// A file changed since its survey is not imported.
ImportOutcome ImportFile(const QString& path, int handle, const Layout& layout,
                         const Survey& survey, bool skipFirstLine, const QDate& today,
                         const Progress& progress = {});

// The record a group of values gives, with fresh statistics.
struct Placed {
    QByteArray record;  // RecordToString of the data record
    int cut = 0;
};
Placed PlaceGroup(const std::vector<QByteArrayView>& values, const Layout& layout,
                  CsvEncoding encoding, const QByteArray& dateEntered);

// "1 record", "2 records": a count and its noun, plural but for one.
QString Counted(qint64 count, const char* noun);

// Sentences for the user about a file that is not UTF-8 or whose lines do
// not each hold n values.
QStringList Warnings(const Survey& survey, int valuesPerRecord);

// The sentence above the preview: how many records the file gives to the
// database and how the sample below shows them.
QString PreviewHeading(const Survey& survey, const QString& databaseName);

// The survey's sample groups as the layout stores them: for each group, the
// text of each of the twelve fields, trimmed (empty where nothing goes).
std::vector<QStringList> PreviewRecords(const Survey& survey, const Layout& layout);

// "1 value too long for its field was cut to fit.", or the plural.
QString CutValues(qint64 count);

// The values of the file's first line, as text: a look before the survey.
// No more than one past the most fields a database has are read.
QStringList ReadFirstLine(const QString& path, const Progress& progress = {});

// When the first line names every field of `fieldNames` once (ignoring case
// and blanks) and nothing else: the fields in the order of the file's columns.
std::optional<QStringList> ColumnOrder(const QStringList& firstLine, const QStringList& fieldNames);

}  // namespace CsvImport
