#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QStringEncoder>

#include "exchange/CsvImport.h"
#include "exchange/CsvReader.h"
#include "records/PickDatabase.h"

namespace {

using CsvImport::Status;

const QDate kToday(2004, 7, 4);

// A database of the given fields, open, and CSV files written beside it.
struct ImportFixture : PickDatabase {
    explicit ImportFixture(const QStringList& fields = {"NAME", "CITY", "TEAM"})
        : PickDatabase(fields), names(fields) {}

    QString write(const QByteArray& bytes, const QString& file = "in.csv") const {
        return folder.write(file, bytes);
    }
    // The layout of these fields, by name, in the order of the file's columns.
    CsvImport::Layout layout(const QStringList& columns) const {
        CsvImport::Layout l{int(names.size()), {}};
        for (const QString& column : columns) l.fields.push_back(int(names.indexOf(column)));
        return l;
    }
    CsvImport::Survey survey(const QString& path, bool skip = false) const {
        const CsvImport::SurveyOutcome outcome =
            CsvImport::SurveyFile(path, int(names.size()), skip);
        EXPECT_EQ(outcome.status, Status::Done) << outcome.reason.toStdString();
        return outcome.survey;
    }
    CsvImport::ImportOutcome import(const QByteArray& bytes, const QStringList& columns,
                                    bool skip = false, const CsvImport::Progress& progress = {}) {
        const QString path = write(bytes);
        return CsvImport::ImportFile(path, handle, layout(columns), survey(path, skip), skip,
                                     kToday, progress);
    }
    // The user fields of every record in key order, as "a|b|c / d|e|f",
    // without the blanks that pad them.
    QString rows() const {
        static const QRegularExpression padding(" +\\z");
        QStringList all;
        for (const QByteArray& record : dataStrings()) {
            const DataRecord r = RecordFromString<DataRecord>(record);
            QStringList fields;
            for (qsizetype k = 0; k < names.size(); ++k)
                fields << QString::fromUtf8(r.Field[std::size_t(k)]).remove(padding);
            all << fields.join('|');
        }
        return all.join(" / ");
    }

    QStringList names;
};

QByteArray manyLines(int count) {
    QByteArray bytes;
    for (int i = 0; i < count; ++i) bytes += "n" + QByteArray::number(i) + ",c,t\n";
    return bytes;
}

}  // namespace

TEST(CsvImport, PlacesValuesInTheFieldsOfTheLayoutAndDropsTheRest) {
    const QStringList all = {"NAME", "CITY", "TEAM"};
    // The file, the layout, and the records' fields as "a|b|c / d|e|f".
    const std::tuple<QByteArray, QStringList, QString> cases[] = {
        {"Smith,Paris,Reds\n", {"CITY", "NAME", "TEAM"}, "Paris|Smith|Reds"},
        {"Smith,Paris,Reds\n", {"NAME"}, "Smith||"},  // a layout shorter than n
        {"\"Smith, John\",\"say \"\"hi\"\"\",\"two\r\nlines\"\r\n", all,
         "Smith, John|say \"hi\"|two\r\nlines"},
        // Blanks around unquoted values go; those in quotes are the value's own.
        {"  Ann  ,\tBo ,\" Cy \"\n", all, "Ann|Bo| Cy"},
        // Across line ends and blank lines, the last group short and unended.
        {"a,b\n\n\nc,d\ne", all, "a|b|c / d|e|"},
    };
    for (const auto& [file, columns, expected] : cases) {
        ImportFixture db;
        const CsvImport::ImportOutcome outcome = db.import(file, columns);
        EXPECT_EQ(outcome.status, Status::Done)
            << file.toStdString() << outcome.reason.toStdString();
        EXPECT_EQ(outcome.records, expected.count(" / ") + 1) << file.toStdString();
        EXPECT_EQ(db.rows().toStdString(), expected.toStdString());
    }
}

TEST(CsvImport, LeavesTheDatabaseAsItWasWhenAWriteFailsOrTheUserStops) {
    // Below and above the size at which the indexes are rebuilt after the rows.
    for (const int lines : {2500, 10001}) {
        ImportFixture db;
        trm_Insert(db.handle, RecordToString(DataRecord{{"Old"}, "01-01-2001", "", 0, "F", ""}));
        const QByteArrayList before = db.dataStrings();

        trm_FailAfter(lines - 10, TrmCode::IoError);
        CsvImport::ImportOutcome outcome = db.import(manyLines(lines), {"NAME", "CITY", "TEAM"});
        trm_FailAfter(-1, 0);
        EXPECT_EQ(outcome.status, Status::Failed) << lines;
        EXPECT_EQ(outcome.code, TrmCode::IoError);
        EXPECT_FALSE(outcome.reason.isEmpty());
        EXPECT_EQ(outcome.total, 1);
        EXPECT_EQ(db.dataStrings(), before);

        qint64 told = 0;
        outcome = db.import(manyLines(lines), {"NAME"}, false, [&](qint64 done, qint64 total) {
            EXPECT_EQ(total, lines);
            told = done;
            return false;
        });
        EXPECT_EQ(outcome.status, Status::Stopped);
        EXPECT_EQ(told, 2000);
        EXPECT_EQ(outcome.total, 1);
        EXPECT_EQ(db.dataStrings(), before);

        outcome = db.import(manyLines(lines), {"NAME"});
        EXPECT_EQ(outcome.total, lines + 1);
        EXPECT_EQ(trm_GetEqual(db.handle, 1, "n9").left(2), "n9") << "the key index is whole";
    }
}

TEST(CsvImport, ImportsNothingFromAFileChangedSinceItWasChecked) {
    ImportFixture db;
    trm_Insert(db.handle, RecordToString(DataRecord{{"Old"}, "01-01-2001", "", 0, "F", ""}));
    const QString path = db.write("a,b,c,d,e,f\n");  // two records
    const CsvImport::Survey checked = db.survey(path);
    const QString changed = "The file has changed since it was checked";
    // The new bytes, whether they keep the time the file had when checked, and why.
    const std::tuple<QByteArray, bool, QString> cases[] = {
        {"a,b,c,d,e,f\ng,h,i\n", true, changed + "."},
        {"a,b,c,d,e,g\n", false, changed + "."},
        // As long and as old as the file checked, but it gives one record.
        {"abcdefg,h,i\n", true, changed + ": it now gives 1 record, not 2."},
    };
    for (const auto& [bytes, asOld, how] : cases) {
        db.write(bytes);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        const QDateTime time = asOld ? checked.modified : checked.modified.addSecs(-60);
        ASSERT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime));
        file.close();
        const CsvImport::ImportOutcome outcome = CsvImport::ImportFile(
            path, db.handle, db.layout({"NAME", "CITY", "TEAM"}), checked, false, kToday);
        EXPECT_EQ(outcome.status, Status::Failed) << bytes.toStdString();
        EXPECT_EQ(outcome.reason.toStdString(),
                  (how + "\r\nCheck it again before importing.").toStdString());
        EXPECT_EQ(db.rows().toStdString(), "Old||");
        EXPECT_EQ(outcome.total, 1) << "the count the title shows";
    }
}

TEST(CsvImport, ReadsUtf8Utf16AndWindows1252IntoTheSameText) {
    const QString names = QStringLiteral("Łukasz Dvořák,王小明,😀\r\n");
    const auto utf16 = [&](QStringConverter::Encoding order) {
        return QByteArray(QStringEncoder(order, QStringConverter::Flag::WriteBom).encode(names));
    };
    const QByteArray files[] = {
        names.toUtf8(),
        "\xEF\xBB\xBF" + names.toUtf8(),
        utf16(QStringConverter::Utf16LE),
        utf16(QStringConverter::Utf16BE),
        // A letter and its accent written apart are stored as the one letter.
        QString(QStringLiteral("Łukasz Dvor\u030C\u00E1k,王小明,😀\n")).toUtf8(),
    };
    for (const QByteArray& file : files) {
        ImportFixture db;
        EXPECT_EQ(db.survey(db.write(file)).encoding, CsvEncoding::Utf8);
        EXPECT_EQ(db.import(file, {"NAME", "CITY", "TEAM"}).cut, 0);
        EXPECT_EQ(db.rows().toStdString(), "Łukasz Dvořák|王小明|😀") << file.toHex().constData();
    }
    // Not UTF-8: read as Windows-1252, and the preview says so first.
    ImportFixture db;
    const QByteArray western("Caf\xE9,Zo\xEB,\x80 5\n");
    const CsvImport::Survey survey = db.survey(db.write(western));
    EXPECT_EQ(survey.encoding, CsvEncoding::Windows1252);
    EXPECT_EQ(CsvImport::Warnings(survey, 3).value(0),
              "The file is not UTF-8 text, so it is read as Windows-1252 (Western European): "
              "check its accented letters below before importing.");
    db.import(western, {"NAME", "CITY", "TEAM"});
    EXPECT_EQ(db.rows().toStdString(), "Café|Zoë|€ 5");
}

TEST(CsvImport, RefusesFilesThatCannotBeImported) {
    ImportFixture db;
    const std::pair<QString, const char*> cases[] = {
        {db.folder.path(), "That is a folder, not a file."},
        {db.write(QByteArray("a,b\0c\n", 6), "nul.csv"),
         "The file is not a text file (it holds NUL bytes)."},
        {db.write("", "empty.csv"), "The file is empty: it holds no values to import."},
        {db.write("\n\r\n  \n", "blank.csv"), "The file is empty: it holds no values to import."},
        // A quote never closed would make the rest of the file one value.
        {db.write("a,b,c\nd,\"e,f\ng,h,i\n", "open.csv"),
         "The quoted value that begins on line 2 is never closed."},
        {db.write("a,b,c\n\"" + QByteArray(5 * CsvReader::BlockSize, 'x') + "\"\n", "long.csv"),
         "The quoted value that begins on line 2 runs on for more than 1 MB: its closing quote "
         "is probably missing."},
        {db.write("a,b,c\nd," + QByteArray(5 * CsvReader::BlockSize, 'x') + "\n", "long2.csv"),
         "The value that begins on line 2 is longer than 1 MB, far longer than a field can "
         "hold."},
    };
    for (const auto& [path, reason] : cases) {
        const CsvImport::SurveyOutcome outcome = CsvImport::SurveyFile(path, 3, false);
        EXPECT_EQ(outcome.status, Status::Failed) << reason;
        EXPECT_EQ(outcome.reason.toStdString(), reason);
    }
    EXPECT_TRUE(db.rows().isEmpty());
}

TEST(CsvImport, SurveyCountsRecordsAndSaysWhichLinesDoNotHoldNValues) {
    ImportFixture db;
    const QString shifted =
        "Values are taken 3 at a time across line ends, so every record after such a line may "
        "be shifted.";
    // Line `line` short by one value, which leaves the last record short too.
    const auto shortLine = [&](const QString& line, int last) {
        return QStringList{line + " 2 values, not 3.", shifted,
                           QString("The last record gets only %1 of 3 values; its other fields "
                                   "stay empty.")
                               .arg(last)};
    };
    const std::tuple<QByteArray, qint64, QStringList> cases[] = {
        {"a,b,c\nd,e,f\n", 2, {}},
        {"a,b,c\nd,e\nf,g,h\ni,j\n", 4, shortLine("Lines 2 and 4 hold", 1)},
        {"1\n2\n3\n4\n5\n6\n7\n8\n9\n",
         3,
         {"Lines 1, 2, 3, 4, 5 and 4 more hold 1 value, not 3.", shifted}},
        // The line number of a row whose first value runs over two lines.
        {"\"x\ny\",b,c\nd,e\n", 2, shortLine("Line 3 holds", 2)},
        // Read in blocks: a CR LF split between two blocks ends one line, and
        // a quoted value goes on from one block into the next.
        {QByteArray(CsvReader::BlockSize - 5, 'a') + ",b,c\r\nd,e\r\n", 2,
         shortLine("Line 2 holds", 2)},
        {"\"" + QByteArray(CsvReader::BlockSize - 2, 'x') + "\ny\",b,c\nd,e\n", 2,
         shortLine("Line 3 holds", 2)},
    };
    for (const auto& [file, records, warnings] : cases) {
        const CsvImport::Survey survey = db.survey(db.write(file));
        EXPECT_EQ(survey.records, records) << file.left(80).toStdString();
        EXPECT_EQ(CsvImport::Warnings(survey, 3), warnings) << file.left(80).toStdString();
    }
    const CsvImport::Survey survey = db.survey(db.write(manyLines(8)));
    ASSERT_EQ(survey.sample.size(), std::size_t(CsvImport::Survey::SampleGroups));
    EXPECT_EQ(survey.sample[4], (std::vector<QByteArray>{"n4", "c", "t"}));
}
