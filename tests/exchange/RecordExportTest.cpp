#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>

#include "exchange/ExportColumns.h"
#include "exchange/ExportWriter.h"
#include "exchange/RecordExport.h"
#include "records/PickDatabase.h"
#include "store/DefinitionFile.h"
#include "support/FileSizeLimit.h"
#include "support/LockedPath.h"
#include "support/WorldNames.h"

namespace {

using Status = RecordExport::Status;

constexpr const char* kDate = "07-04-2004";
constexpr const char* kTime = "14:05:09";

// Boxes by number: 0..11 the user fields, 12..16 Date Entered .. Notes.
ExportColumns::Choice boxes(std::initializer_list<int> chosen) {
    ExportColumns::Choice choice{};
    for (int box : chosen) choice[std::size_t(box)] = true;
    return choice;
}

constexpr int DateEntered = 12, LastPicked = 13, TimesPicked = 14, Omit = 15, Notes = 16;

// The "Club" database (Name, Team) and exports from it into its folder.
struct ExportFixture {
    RecordExport::Request request(const QString& name, ExportFormat format,
                                  std::initializer_list<int> chosen, bool header = true,
                                  const QString& date = kDate, const QString& time = kTime) const {
        const auto fields = DefinitionFile::Read(db.folder.folder().definitionFile(db.name));
        RecordExport::Request r{db.folder.path(), name, format, header, {}, date, time};
        r.columns = ExportColumns(fields, boxes(chosen));
        return r;
    }
    RecordExport::Outcome database(const RecordExport::Request& r,
                                   const RecordExport::Progress& progress = {}) const {
        return RecordExport::ExportDatabase(r, db.handle, progress);
    }
    RecordExport::Outcome picks(const RecordExport::Request& r) const {
        return RecordExport::ExportPickResults(r, db.historyPath());
    }
    QByteArray file(const QString& name) const { return db.folder.readAll(name); }
    // The file an export wrote, or why it wrote none.
    std::string written(const RecordExport::Outcome& out) const {
        if (out.status != Status::Written) return "not written: " + out.reason.toStdString();
        return file(QFileInfo(out.path).fileName()).toStdString();
    }

    PickDatabase db;
};

// Values that each break a file written without care.
std::vector<DataRecord> awkwardRecords() {
    std::vector<DataRecord> records = {
        PickDatabase::entry({"Ann, Lee", "Caf\xC3\xA9"}),
        PickDatabase::entry({"Bob \"the\" Day", "\"quoted\""}),
        PickDatabase::entry({"Cy\r\nTwo", "Zo\xC3\xAB"}),
        PickDatabase::entry({"Dee <b>&amp;</b> 'x'", "a<b"}),
        PickDatabase::entry({"  Eve  ", ""}),
        PickDatabase::entry({"王小明 😀", "Ξανθή"}),  // sorts after every ASCII name
    };
    records[0].Notes = "  padded  ";
    records[1].Notes = "comma, and \"quote\"";
    records[2].TimesPicked = 7;
    return records;
}

QByteArray lines(std::initializer_list<const char*> all) {
    QByteArray out;
    for (const char* line : all) out += QByteArray(line) + "\r\n";
    return out;
}

QByteArray htmlAround(const char* title, const QByteArray& rows) {
    return lines({"<html>", "<head>", "<meta charset=\"utf-8\">"}) + title + "\r\n" +
           lines({"</head>", "<body>", "<div align='left'>", "<table border='1' width='100%'>"}) +
           rows + lines({"</table>", "</div>", "</body>", "</html>"});
}

QByteArray row(const QByteArray& tag, const QByteArrayList& cells) {
    QByteArray out = "<tr>\r\n";
    for (const QByteArray& cell : cells) out += "<" + tag + ">" + cell + "</" + tag + ">\r\n";
    return out + "</tr>\r\n";
}

}  // namespace

// Each value quoted or escaped so that it reads back as it was, whatever its
// script, in key-1 order: "  Eve  " sorts first on its leading spaces.
TEST(RecordExport, AwkwardValuesReadBackAsTheyWere) {
    ExportFixture f;
    f.db.add(awkwardRecords());
    f.db.addPick(kDate, "14:05:09  ", awkwardRecords());
    const std::initializer_list<int> chosen = {0, 1, TimesPicked, Notes};

    const auto csv = f.database(f.request("all", ExportFormat::Csv, chosen));
    EXPECT_EQ(csv.rows, 6);
    EXPECT_EQ(f.written(csv),
              lines({R"("Name","Team","Times Picked","Notes")", R"("Eve","","0","")",
                     "\"Ann, Lee\",\"Caf\xC3\xA9\",\"0\",\"padded\"",
                     R"("Bob ""the"" Day","""quoted""","0","comma, and ""quote""")",
                     "\"Cy\r\nTwo\",\"Zo\xC3\xAB\",\"7\",\"\"",
                     R"("Dee <b>&amp;</b> 'x'","a<b","0","")", R"("王小明 😀","Ξανθή","0","")"})
                  .toStdString());
    EXPECT_EQ(f.written(f.picks(f.request("picked", ExportFormat::Csv, chosen))), f.written(csv));
    EXPECT_EQ(
        f.written(f.picks(f.request("picked", ExportFormat::Html, chosen))),
        htmlAround(
            "<title>RANDOLA RESULTS FOR 07-04-2004 AT 14:05:09</title>",
            row("th", {"Name", "Team", "Times Picked", "Notes"}) + row("td", {"Eve", "", "0", ""}) +
                row("td", {"Ann, Lee", "Caf\xC3\xA9", "0", "padded"}) +
                row("td", {"Bob &quot;the&quot; Day", "&quot;quoted&quot;", "0",
                           "comma, and &quot;quote&quot;"}) +
                row("td", {"Cy\r\nTwo", "Zo\xC3\xAB", "7", ""}) +
                row("td", {"Dee &lt;b&gt;&amp;amp;&lt;/b&gt; &#39;x&#39;", "a&lt;b", "0", ""}) +
                row("td", {"王小明 😀", "Ξανθή", "0", ""}))
            .toStdString());
}

// Chosen in any order, the columns come in slot order, the notes at their
// whole width; a slot that holds no field is no column.
// Read back by Python's csv module and HTML parser, as other programs read them.
TEST(RecordExport, NamesInEveryScriptReadBackAsTheyWere) {
    ExportFixture f;
    std::vector<DataRecord> records;
    QStringList rows = {"Name\tTeam"};
    for (const QString& name : WorldNames()) {
        records.push_back(PickDatabase::entry({name.toUtf8(), name.right(2).toUtf8()}));
        rows << name + "\t" + name.right(2);
    }
    f.db.add(records);
    f.db.addPick(kDate, "14:05:09  ", records);
    ASSERT_EQ(f.database(f.request("all", ExportFormat::Csv, {0, 1})).status, Status::Written);
    ASSERT_EQ(f.picks(f.request("picked", ExportFormat::Html, {0, 1})).status, Status::Written);
    ASSERT_EQ(f.picks(f.request("picked", ExportFormat::Text, {0, 1})).status, Status::Written);
    QProcess python;
    python.start("/usr/bin/python3",
                 {RANDOLA_TEST_SUPPORT_DIR "/read_exports.py", f.db.folder.file("all.csv"),
                  f.db.folder.file("picked.html")});
    ASSERT_TRUE(python.waitForFinished(20000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    const QStringList read =
        QString::fromUtf8(python.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    // Both in key order, the database's and the pick's.
    const QStringList csv = read.mid(0, rows.size()), html = read.mid(rows.size());
    EXPECT_EQ(html, csv);
    EXPECT_EQ(QSet<QString>(csv.begin(), csv.end()), QSet<QString>(rows.begin(), rows.end()));
    QStringList text;
    for (const QString& row : csv) text << QString(row).replace('\t', ' ');
    EXPECT_EQ(QString::fromUtf8(f.file("picked.txt")), text.join("\r\n") + "\r\n");
}

TEST(RecordExport, PlainTextIsTheValuesJoinedBySpaces) {
    ExportFixture f;
    DataRecord al = PickDatabase::entry({"Al", ""});
    al.LastPicked = "07-04-2004";
    al.Notes = QByteArray(254, 'n') + '!';
    f.db.add({PickDatabase::entry({"Zoë", "Café"}), al});
    const auto out = f.database(
        f.request("plain", ExportFormat::Text, {Notes, Omit, LastPicked, DateEntered, 5, 1, 0}));
    EXPECT_EQ(f.written(out), ("Name Team Date Entered Last Picked Omit Notes\r\n"
                               "Al  01-02-2003 07-04-2004 F " +
                               al.Notes +
                               "\r\n"
                               "Zoë Café 01-02-2003  F \r\n")
                                  .toStdString());
}

TEST(RecordExport, PickResultsAreTheEntriesOfTheLatestPickInKeyOrder) {
    ExportFixture f;
    const DataRecord a = PickDatabase::entry({"A", "Team A"}, "F", 3);
    const DataRecord b = PickDatabase::entry({"B", "Team B"});
    f.db.addPick(kDate, "14:05:09  ", {b, a});
    f.db.addPick(kDate, "14:05:08  ", {PickDatabase::entry({"C"})});
    f.db.addPick("07-05-2004", "14:05:09  ", {PickDatabase::entry({"D"})});
    f.db.addPick("", "", {PickDatabase::entry({"E"})});

    const auto latest = f.picks(f.request("latest", ExportFormat::Csv, {0, TimesPicked}, false));
    EXPECT_EQ(latest.rows, 2);
    EXPECT_EQ(f.written(latest), lines({R"("A","3")", R"("B","0")"}).toStdString());

    // Before the session's first pick nothing is of the latest pick, not even
    // an entry without a stamp.
    EXPECT_EQ(f.written(f.picks(f.request("none", ExportFormat::Csv, {0}, true, "", ""))),
              lines({R"("Name")"}).toStdString());
    EXPECT_EQ(f.written(f.picks(f.request("none", ExportFormat::Html, {0}, false, "", ""))),
              htmlAround("<title>RANDOLA RESULTS FOR  AT </title>", {}).toStdString());
}

// A failed or stopped export leaves no file behind, and the earlier file of
// that name as it was.
TEST(RecordExport, AFailedOrStoppedExportLeavesTheFolderAsItWas) {
    ExportFixture f;
    std::vector<DataRecord> many;
    for (int i = 0; i < 5000; ++i) many.push_back(PickDatabase::entry({QByteArray::number(i)}));
    f.db.add(many);
    f.db.folder.write("list.csv", "earlier\r\n");
    const QStringList before = f.db.folder.files();
    const auto expectUnchanged = [&](const RecordExport::Outcome& out, Status status,
                                     const QString& reason) {
        EXPECT_EQ(out.status, status);
        EXPECT_TRUE(reason.isEmpty() ? out.reason.isEmpty() : out.reason.startsWith(reason))
            << out.reason.toStdString();
        EXPECT_EQ(f.db.folder.files(), before);
        EXPECT_EQ(f.file("list.csv"), "earlier\r\n");
    };
    const QString notWritten =
        QStringLiteral("The csv file could not be written, so nothing was exported.\r\n");

    {
        const FileSizeLimit full(16 * 1024);
        expectUnchanged(f.database(f.request("list", ExportFormat::Csv, {0})), Status::Failed,
                        notWritten + "File too large");
    }
    int reports = 0;
    expectUnchanged(f.database(f.request("list", ExportFormat::Csv, {0}),
                               [&](qint64 done, qint64 total) {
                                   return ++reports < 2 && total == 5000 && done == 0;
                               }),
                    Status::Stopped, "");
    EXPECT_EQ(reports, 2);
    {
        const LockedPath locked(f.db.folder.path());
        if (locked.locked()) {
            expectUnchanged(f.database(f.request("list", ExportFormat::Csv, {0})), Status::Failed,
                            notWritten);
        }
    }
    ASSERT_TRUE(QFile::rename(f.db.historyPath(), f.db.historyPath() + ".gone"));
    const auto noHistory = f.picks(f.request("list", ExportFormat::Csv, {0}));
    EXPECT_EQ(noHistory.status, Status::Failed);
    EXPECT_TRUE(noHistory.reason.startsWith(
        "The history of picks could not be opened, so nothing was exported.\r\n"))
        << noHistory.reason.toStdString();
    EXPECT_TRUE(noHistory.reason.endsWith("Club.hst"));
    EXPECT_FALSE(QFile::exists(f.db.folder.file("list.csv.csv")));
}
