#include <gtest/gtest.h>

#include <sqlite3.h>

#include <QDir>

#include "records/PickDatabase.h"
#include "records/RandomPick.h"
#include "records/RandomSource.h"
#include "reports/LineIndex.h"
#include "reports/ListingReport.h"
#include "reports/PickCertificate.h"
#include "reports/PickHistory.h"
#include "reports/ReportText.h"
#include "support/FileSizeLimit.h"
#include "support/LockedPath.h"
#include "support/WorldNames.h"

namespace {

const QByteArray kRule(80, '=');

DataRecord book(const QByteArray& title, const QByteArray& author = {}, qint32 timesPicked = 0,
                const QByteArray& lastPicked = {}) {
    DataRecord r = PickDatabase::entry({title, author}, "F", timesPicked);
    r.LastPicked = lastPicked;
    return r;
}

// An open test database "Books" of two fields, Title and Author, whose data
// and history files the tests fill.
struct ReportDatabase : PickDatabase {
    ReportDatabase() : PickDatabase({QStringLiteral("Title"), QStringLiteral("Author")}, "Books") {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    QString definitionPath() const { return folder.folder().definitionFile(name); }
    QString reportPath() const { return folder.file(QStringLiteral("report.txt")); }
    QByteArray report() const { return folder.readAll(QStringLiteral("report.txt")); }
    void writeReport(const QByteArray& bytes) const { folder.write("report.txt", bytes); }
};

// One record's lines in a report; a field given as null has no line at all.
QByteArray recordLines(const QByteArray& number, const char* title, const char* author,
                       const QByteArray& lastPicked, const QByteArray& timesPicked,
                       const QByteArray& omit = "F", const QByteArray& notes = {}) {
    QByteArray lines = "Record No.               : " + number + "\r\n" +
                       "Title                    : " + title + "\r\n";
    if (author) lines += "Author                   : " + QByteArray(author) + "\r\n";
    return lines + "Date Entered             : 01-02-2003\r\n" +
           "Last Picked              : " + lastPicked + "\r\n" +
           "Times Picked             : " + timesPicked + "\r\n" +
           "Omit From Pick           : " + omit + "\r\n" + "Notes                    : " + notes +
           "\r\n\r\n";
}

ReportOutcome listing(const ReportDatabase& db, const ReportProgress& progress = {}) {
    return ListingReport::Write({db.handle, db.name, db.definitionPath(), db.reportPath()},
                                progress);
}

ReportOutcome historyReport(const ReportDatabase& db, const QString& entry,
                            const ReportProgress& progress = {}) {
    return PickHistory::WriteReport({db.historyPath(), db.definitionPath(), db.reportPath(),
                                     PickHistory::DateOf(entry), PickHistory::TimeOf(entry)},
                                    progress);
}

}  // namespace

// An empty database gives the head alone; records follow it in key order,
// their text as stored whatever its script.
TEST(ListingReport, WritesEveryRecordInKeyOrderByteForByte) {
    ReportDatabase db;
    ASSERT_TRUE(listing(db).written());
    EXPECT_EQ(db.report(), "COMPLETE LISTING OF Books\r\n" + kRule + "\r\n\r\n");
    db.add({book("Emma", "", 1234567, "07-04-2004"), book("Dune", "Ξανθή 😀", 1234)});
    DataRecord omitted = book("Ulysses  ", " Joyce");
    omitted.Omit = "T";
    omitted.Notes = "  long, slow ";
    db.add({omitted});
    ASSERT_TRUE(listing(db).written());
    EXPECT_EQ(db.report(), "COMPLETE LISTING OF Books\r\n" + kRule + "\r\n\r\n" +
                               recordLines("01", "Dune", "Ξανθή 😀", "", "1,234") +
                               recordLines("02", "Emma", nullptr, "07-04-2004", "1,234,567") +
                               recordLines("03", "Ulysses", "Joyce", "", "00", "T", "long, slow"));
}

TEST(ListingReport, KeepsNamesInEveryScriptInKeyOrder) {
    ReportDatabase db;
    std::vector<DataRecord> books;
    QStringList titles = WorldNames();
    for (const QString& title : titles) books.push_back(book(title.toUtf8(), title.toUtf8()));
    db.add(books);
    ASSERT_TRUE(listing(db).written());
    std::sort(titles.begin(), titles.end(), [](const QString& a, const QString& b) {
        return a.toCaseFolded().toUtf8() < b.toCaseFolded().toUtf8();
    });
    QByteArray lines;
    for (const QString& title : titles)
        lines += "Title                    : " + title.toUtf8() +
                 "\r\nAuthor                   : " + title.toUtf8() + "\r\n";
    QByteArray named;
    for (const QByteArray& line : db.report().split('\n'))
        if (line.startsWith("Title") || line.startsWith("Author")) named += line + '\n';
    EXPECT_EQ(named.toStdString(), lines.toStdString());
}

TEST(ListingReport, FailingOrStoppedLeavesTheEarlierReportAsItWas) {
    ReportDatabase db;
    db.add({book("Dune")});
    db.writeReport("earlier report\r\n");

    const ReportOutcome stopped = listing(db, [](qint64, qint64) { return false; });
    EXPECT_EQ(stopped.status, ReportOutcome::Status::Stopped);
    EXPECT_EQ(db.report(), "earlier report\r\n");

    {
        const LockedPath locked(db.folder.path());
        if (locked.locked()) {
            const ReportOutcome refused = listing(db);
            EXPECT_EQ(refused.status, ReportOutcome::Status::Failed);
            EXPECT_TRUE(refused.reason.startsWith("The report could not be written to " +
                                                  QDir::toNativeSeparators(db.reportPath())))
                << refused.reason.toStdString();
        }
    }
    {
        // A disk that fills up half way through.
        std::vector<DataRecord> many(3000, book("Dune", "Herbert"));
        db.add(many);
        const FileSizeLimit full(100000);
        EXPECT_EQ(listing(db).status, ReportOutcome::Status::Failed);
    }
    EXPECT_EQ(db.report(), "earlier report\r\n");
    EXPECT_EQ(db.folder.files(),
              (QStringList{"Books.dat", "Books.dfn", "Books.hst", "report.txt"}));
}

// Numbers are positions among all history records in key-1 order.
TEST(PickHistory, ReportHoldsThePicksRecordsNumberedAmongAllHistory) {
    ReportDatabase db;
    DataRecord zola = book("Zola", "", 3, "07-04-2004");
    db.addPick("07-04-2004", "14:05:09", {zola, book("Dune", "Herbert", 1)});
    std::vector<DataRecord> others;
    for (char c = 'E'; c <= 'L'; ++c) others.push_back(book(QByteArray(1, c)));
    db.addPick("07-04-2004", "14:07:30", others);
    ASSERT_TRUE(historyReport(db, "07-04-2004 @ 14:05:09  ").written());
    EXPECT_EQ(db.report(), "HISTORY FOR PICK ON 07-04-2004 AT 14:05:09  \r\n" + kRule + "\r\n\r\n" +
                               recordLines("01", "Dune", "Herbert", "", "01") +
                               recordLines("10", "Zola", nullptr, "07-04-2004", "03"));
}

// A history file written before picks kept receipts: its picks are listed
// and reported as ever, without a certificate; the first pick that keeps a
// receipt in it makes room for receipts in its own transaction.
TEST(PickHistory, AHistoryWithoutReceiptsStillListsAndReportsItsPicks) {
    ReportDatabase db;
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(db.historyPath().toUtf8().constData(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw, "DROP TABLE receipts", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
    db.addPick("07-04-2004", "14:05:09", {book("Dune", "Herbert", 1)});
    EXPECT_EQ(PickHistory::LoadPickList(db.historyPath()).entries,
              QStringList{"07-04-2004 @ 14:05:09  "});
    ASSERT_TRUE(historyReport(db, "07-04-2004 @ 14:05:09  ").written());
    EXPECT_TRUE(db.report().contains("Title                    : Dune\r\n"));
    EXPECT_TRUE(PickCertificate::EntriesWithReceipts(db.historyPath()).isEmpty());
    EXPECT_EQ(
        PickCertificate::Read(db.historyPath(), db.name, "07-04-2004", "14:05:09  ").outcome.reason,
        "The pick of 07-04-2004 at 14:05:09 was made by an earlier version of RANDOLA, which "
        "kept no receipt of it, so it has no certificate.");

    db.add({book("Emma")});
    FixedRandomSource random("3");
    const RandomPick::Request request{db.handle, db.historyPath(), 1, "07-05-2004", "10:00:00"};
    ASSERT_EQ(RandomPick::run(request, random).status, RandomPick::Status::Picked);
    EXPECT_EQ(PickCertificate::EntriesWithReceipts(db.historyPath()),
              QSet<QString>{"07-05-2004 @ 10:00:00  "});
    EXPECT_EQ(PickHistory::LoadPickList(db.historyPath()).entries.size(), 2);
}

TEST(PickHistory, StoppingGivesNoListAndLeavesTheEarlierReport) {
    ReportDatabase db;
    const QString entry = "07-04-2004 @ 14:05:09  ";
    db.addPick("07-04-2004", "14:05:09", std::vector<DataRecord>(3000, book("A")));
    db.writeReport("earlier report\r\n");
    // Stopped before any record is read, and again late in the work.
    for (const qint64 stopAt : {qint64(0), PickHistory::ProgressEvery}) {
        qint64 lastTold = -1;
        const ReportProgress stop = [&](qint64 done, qint64) {
            lastTold = done;
            return done < stopAt;
        };
        const PickHistory::PickList list = PickHistory::LoadPickList(db.historyPath(), stop);
        if (stopAt == 0) {
            EXPECT_EQ(list.outcome.status, ReportOutcome::Status::Stopped);
            EXPECT_TRUE(list.entries.isEmpty());
        }
        EXPECT_EQ(historyReport(db, entry, stop).status, ReportOutcome::Status::Stopped);
        EXPECT_EQ(lastTold, stopAt);
        EXPECT_EQ(db.report(), "earlier report\r\n");
    }
    ASSERT_TRUE(historyReport(db, entry).written());
    EXPECT_EQ(db.report().count("Record No."), 3000);
}

TEST(LineIndex, FindsAnyLineAsWrittenAndKeepsTheFileItIndexed) {
    ReportDatabase db;
    QByteArray text;
    QStringList lines;
    for (int i = 0; i < 200; ++i) {
        lines << (i % 3 == 0 ? QString() : QStringLiteral("  %1, line \u00e9").arg(i));
        text += lines.back().toUtf8() + "\r\n";
    }
    text += "no ending";
    lines << "no ending";
    db.writeReport(text);
    LineIndex index;
    ASSERT_TRUE(index.open(db.reportPath()));
    EXPECT_EQ(index.count(), 201);
    for (const qint64 first : {0, 1, 63, 64, 65, 127, 128, 190})
        EXPECT_EQ(index.lines(first, 12), lines.mid(first, 12)) << first;
    EXPECT_TRUE(index.lines(201, 5).isEmpty());

    // Another report taking its place changes nothing until the file is opened again.
    QFile::remove(db.reportPath());
    db.writeReport("new\r\n");
    EXPECT_EQ(index.lines(199, 5), lines.mid(199));
    ASSERT_TRUE(index.open(db.reportPath()));
    EXPECT_EQ(index.lines(0, 5), QStringList{"new"});

    EXPECT_FALSE(index.open(db.folder.file("missing.txt")));
    EXPECT_EQ(index.count(), 0);
}
