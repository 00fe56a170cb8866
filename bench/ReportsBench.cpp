// Times the reports on a large database: the listing written, the viewer's
// index and its first, middle and last pages, the first pages of its
// printout into a PDF and how soon a stop takes, and, with as many history
// records, the pick list and the report of one pick.
// Usage: reports_bench [records] [folder]
#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <cstdio>

#include "BenchSeams.h"
#include "BenchStart.h"
#include "LargeFile.h"
#include "reports/HistoryWindow.h"
#include "reports/ListingReport.h"
#include "reports/PickHistory.h"
#include "reports/ReportSurface.h"
#include "reports/ReportViewer.h"
#include "store/Clock.h"
#include "store/DataFolder.h"
#include "store/DefinitionFile.h"
#include "store/KeyLayout.h"
#include "store/RecordManager.h"
#include "store/Session.h"
#include "ui/AppContext.h"
#include "ui/PdfLinePrinter.h"

namespace {

constexpr qint64 kPickSize = 1000;
constexpr int kPrintedPages = 200;

// When each page of a printout was told, from the moment Print was pressed.
struct PrintTimes {
    QList<std::pair<qint64, double>> pages;  // lines done, ms
    qint64 lines = 0;
    QElapsedTimer clock;
    QElapsedTimer stoppedAt;
};

// Prints into a PDF as the viewer asks, noting the times, and stops the job
// after kPrintedPages pages as the user's Stop would.
class TimedPdfPrinter : public LinePrinter {
public:
    TimedPdfPrinter(const QString& path, PrintTimes& times) : path_(path), times_(times) {}
    using LinePrinter::print;
    Result print(const Job& job) override {
        Job timed = job;
        timed.progress = [this, &job](qint64 done, qint64 total) {
            times_.pages.append({done, double(times_.clock.nsecsElapsed()) / 1e6});
            times_.lines = total;
            if (times_.pages.size() > kPrintedPages) {
                times_.stoppedAt.start();
                return false;
            }
            return job.progress(done, total);
        };
        return PdfLinePrinter(path_).print(timed);
    }

private:
    QString path_;
    PrintTimes& times_;
};

// Milliseconds since the previous call.
double elapsedMs(QElapsedTimer& timer) {
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    timer.restart();
    return ms;
}

// `total` history records, picks of kPickSize records a day apart.
bool FillHistory(const QString& path, qint64 total) {
    const int h = trm_Open(path, 0);
    TrmTransaction tx(h);
    HistoryRecord r;
    r.Record.DateEntered = "01-02-2003";
    r.Record.Omit = "F";
    r.Record.TimesPicked = 1;
    for (qint64 i = 0; i < total; ++i) {
        if (i % kPickSize == 0) {
            const QDateTime at =
                QDateTime(QDate(2000, 1, 1), QTime(12, 0)).addSecs(i / kPickSize * 86461);
            r.PickDate = at.toString("MM-dd-yyyy").toLatin1();
            r.PickTime = at.toString("HH:mm:ss").toLatin1();
        }
        r.Record.Field[0] = QByteArray::number(i * 7919 % total);
        if (trm_Insert(h, RecordToString(r)) != 0) return false;
    }
    const bool ok = tx.commit() == 0;
    trm_Close(h);
    return ok;
}

}  // namespace

int main(int argc, char* argv[]) {
    const BenchStart start(argc, argv);
    const qint64 total = start.total();
    const DataFolder& folder = start.folder();
    const QStringList fields = {"NAME", "TEAM"};
    DefinitionFile::Write(folder.definitionFile("bench"), fields);
    if (trm_Create(folder.dataFile("bench"), KeyLayout::Build(fields), 1) != 0 ||
        trm_Create(folder.historyFile("bench"), KeyLayout::Build(fields), 1, TrmKind::History) != 0) {
        return 1;
    }
    Session session;
    session.DatabaseName = QStringLiteral("bench");
    session.DataHandle = trm_Open(folder.dataFile("bench"), 0);
    QElapsedTimer t;
    t.start();
    if (!FillLargeFile(session.DataHandle, total)) return 2;
    session.TotalRecords = trm_Count(session.DataHandle);
    std::printf("file of %d records built in %.0f ms\n", session.TotalRecords, elapsedMs(t));

    // The walk alone, in the same order: what the listing costs beyond reading.
    qint64 walked = 0;
    trm_Scan(session.DataHandle, 1, [&](qint64, const QByteArray& r) {
        walked += r.size();
        return true;
    });
    const double walkMs = elapsedMs(t);
    std::printf("walk alone over %lld bytes in key order: %.0f ms\n", walked, walkMs);

    // The time at a tenth, half and all of the records shows whether it is linear.
    QElapsedTimer whole;
    whole.start();
    QList<std::pair<qint64, double>> marks;
    const ReportOutcome listing =
        ListingReport::Write({session.DataHandle, session.DatabaseName,
                              folder.definitionFile("bench"), folder.file("report.txt")},
                             [&](qint64 done, qint64 all) {
                                 if (done == all / 10 || done == all / 2 || done == all)
                                     marks.append({done, double(whole.nsecsElapsed()) / 1e6});
                                 return true;
                             });
    if (!listing.written()) {
        std::printf("listing failed: %s\n", qPrintable(listing.reason));
        return 3;
    }
    const double listingMs = elapsedMs(t);
    for (const auto& [done, ms] : marks)
        std::printf("  listing at %lld records: %.0f ms\n", done, ms);
    std::printf("listing of %lld records written: %.0f ms, %.1f MB, %.1f x the walk alone\n", total,
                listingMs, double(QFileInfo(folder.file("report.txt")).size()) / 1e6,
                listingMs / std::max(1.0, walkMs));

    AnsweringPrompter prompter;
    SystemClock clock;
    QuietShell shell;
    AppContext context{session, prompter, clock, folder, shell};
    session.ReportKind = Session::HistoryReport;  // show report.txt as written
    elapsedMs(t);
    ReportViewer viewer(context);
    viewer.show();
    QApplication::processEvents();
    ReportSurface* page = viewer.document();
    page->repaint();
    std::printf(
        "viewer opened on its index and first page: %.0f ms (%lld pages, lines %lld..%lld)\n",
        elapsedMs(t), page->pageCount(), page->firstLineShown(), page->lastLineShown());
    QScrollBar* bar = viewer.findChild<QScrollBar*>("VScroll1");
    for (const auto& [what, at] :
         {std::pair{"middle", bar->maximum() / 2},
          std::pair{"last", int((page->pageCount() - 1) *
                                (ReportSurface::PageHeight + ReportSurface::PageGap) /
                                viewer.verticalUnit())},
          std::pair{"first", bar->minimum()}}) {
        elapsedMs(t);
        bar->setValue(at);
        page->repaint();
        std::printf("  %s page drawn: %.2f ms (lines %lld..%lld)\n", what, elapsedMs(t),
                    page->firstLineShown(), page->lastLineShown());
    }

    {
        // The printout: its first pages, the pace, and how soon a stop ends it.
        PrintTimes times;
        context.linePrinter = [&](Prompter&) {
            return std::make_unique<TimedPdfPrinter>(folder.file("report.pdf"), times);
        };
        times.clock.start();
        viewer.findChild<QPushButton*>("cmdPrint")->click();
        if (times.pages.size() > kPrintedPages) {
            const double stopMs = double(times.stoppedAt.nsecsElapsed()) / 1e6;
            const double firstMs = times.pages.value(1).second;
            const double perPage = times.pages.back().second / kPrintedPages;
            const qint64 perSheet = times.pages.value(1).first;
            std::printf(
                "printout: first page in %.0f ms, %d pages in %.0f ms (%.1f ms a page, %lld "
                "lines each), stopped %.0f ms after asked, no PDF left: %s\n",
                firstMs, kPrintedPages, times.pages.back().second, perPage, perSheet, stopMs,
                QFile::exists(folder.file("report.pdf")) ? "no" : "yes");
            const double sheets = double(times.lines) / double(std::max<qint64>(1, perSheet));
            std::printf("  the whole printout would be %.0f pages, about %.0f s\n", sheets,
                        sheets * perPage / 1000);
        } else {
            std::printf("printout did not run\n");
        }
    }

    elapsedMs(t);
    if (!FillHistory(folder.historyFile("bench"), total)) return 4;
    std::printf("history of %lld records built in %.0f ms\n", total, elapsedMs(t));
    const PickHistory::PickList list = PickHistory::LoadPickList(folder.historyFile("bench"));
    std::printf("pick list: %.0f ms (%lld picks)\n", elapsedMs(t), qint64(list.entries.size()));
    {
        HistoryWindow window(context);
        std::printf("history window opened with its list: %.0f ms (%d entries)\n", elapsedMs(t),
                    window.findChild<QListWidget*>("lbResult")->count());
    }
    const QString entry = list.entries.value(list.entries.size() / 2);
    elapsedMs(t);
    const ReportOutcome one = PickHistory::WriteReport(
        {folder.historyFile("bench"), folder.definitionFile("bench"), folder.file("report.txt"),
         PickHistory::DateOf(entry), PickHistory::TimeOf(entry)});
    std::printf("report of the pick %s: %.0f ms (%s, %.1f kB)\n", qPrintable(entry), elapsedMs(t),
                one.written() ? "written" : qPrintable(one.reason),
                double(QFileInfo(folder.file("report.txt")).size()) / 1e3);
    trm_CloseAll();
    return 0;
}
