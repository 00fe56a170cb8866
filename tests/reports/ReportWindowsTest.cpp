#include "app/AppHarness.h"
#include "records/PickDatabase.h"
#include "records/RandomPick.h"
#include "records/RandomSource.h"
#include "records/Rfc3797.h"
#include "reports/HistoryWindow.h"
#include "reports/ReportSurface.h"
#include "reports/ReportViewer.h"
#include "support/FakeShell.h"
#include "support/PdfText.h"
#include "ui/PdfLinePrinter.h"
#include "ui/WorkProgress.h"

namespace {

using Window = Shell::Window;

// Titles "Book 001" .. in key order, each by Anon and picked once.
std::vector<DataRecord> books(int count) {
    std::vector<DataRecord> out;
    for (int i = 1; i <= count; ++i)
        out.push_back(PickDatabase::entry(
            {QByteArray::number(i).rightJustified(3, '0').prepend("Book "), "Anon"}, "F", 1));
    return out;
}

// A viewer of its own showing report.txt as written, whose printouts go into `pdf`.
struct PdfViewer {
    PdfViewer(AppHarness& app, const QString& pdf)
        : context{app.session, app.prompter, app.clock, app.folder.folder(), shell} {
        app.session.ReportKind = Session::HistoryReport;
        context.linePrinter = [pdf](Prompter&) { return std::make_unique<PdfLinePrinter>(pdf); };
        viewer = std::make_unique<ReportViewer>(context);
    }
    void print() const {
        QTest::mouseClick(viewer->findChild<QPushButton*>("cmdPrint"), Qt::LeftButton);
    }

    FakeShell shell;
    AppContext context;
    std::unique_ptr<ReportViewer> viewer;
};

}  // namespace

// The real main window over a database "Books" of two fields, Title and Author.
class ReportWindowsTest : public AppTest {
    Q_OBJECT

    int handle = 0;

    void start() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        app->openDatabase("Books", {"Title", "Author"}, books(3));
        handle = app->session.DataHandle;
    }
    void add(const std::vector<DataRecord>& records) {
        TrmTransaction tx(handle);
        for (const DataRecord& r : records) trm_Insert(handle, RecordToString(r));
        tx.commit();
        app->session.TotalRecords = trm_Count(handle);
    }
    void choose(const char* menuItem) {
        app->action(menuItem)->trigger();
        AppHarness::settle();
    }
    ReportViewer* viewer() const { return app->task<ReportViewer>(Window::ReportViewer); }
    QListWidget* picks() const { return app->control<QListWidget>(Window::History, "lbResult"); }
    // The first line the viewer's page shows.
    QString firstLineShown() const {
        ReportSurface* page = viewer()->document();
        page->repaint();
        const QStringList lines =
            QString::fromUtf8(app->folder.readAll("report.txt")).split("\r\n");
        return page->firstLineShown() < 0 ? QString() : lines.value(page->firstLineShown());
    }
    QScrollBar* bar(const char* name) const { return viewer()->findChild<QScrollBar*>(name); }

private slots:
    void theListingShowsOnAPageOfLetterSize() {
        choose("mnuReportListing");
        QCOMPARE(AppHarness::captions(viewer()),
                 (QStringList{"RANDOLA 3.00 - [Report Viewer]", "Preview:", "Zoom:",
                              "Page 1 of 1", "Print", "Close"}));
        QCOMPARE(firstLineShown(), "COMPLETE LISTING OF Books");
        QVERIFY(QFontInfo(viewer()->document()->font()).fixedPitch());
        // The ranges leave 10 twips above and left, 300 right and 50 below
        // whatever the window shows; a step of an arrow is seen to move the page.
        for (const int grow : {0, 300}) {
            QMdiSubWindow* sub = app->window.subWindow(Window::ReportViewer);
            sub->resize(sub->size() + QSize(grow, grow));
            ReportSurface* page = viewer()->document();
            const qint64 width = page->pixelsToTwips(page->width());
            const qint64 height = page->pixelsToTwips(page->height());
            const QScrollBar *h = bar("HScroll1"), *v = bar("VScroll1");
            QCOMPARE(QList<qint64>({h->minimum(), h->maximum(), h->pageStep(), h->singleStep(),
                                    v->minimum(), v->maximum(), v->pageStep(), v->singleStep()}),
                     QList<qint64>({-10, std::max<qint64>(-10, 12240 + 300 - width), width, 500,
                                    -10, 15840 + 50 - height, height, 500}));
        }
        QCOMPARE(QPoint(viewer()->document()->left(), viewer()->document()->top()), QPoint(10, 10));
        // Twice the size at 200 %, the same place on the page.
        bar("VScroll1")->setValue(4000);
        const int inch = viewer()->document()->twipsToPixels(1440);
        viewer()->findChild<QComboBox*>("cboZoom")->setCurrentText("200 %");
        QCOMPARE(viewer()->document()->twipsToPixels(1440), 2 * inch);
        QCOMPARE(viewer()->document()->top(), -4000);
    }

    // The preview shows the pages the printer prints: as many, each
    // beginning with the same line, a long line going on in the same rows;
    // a screen reader reads each page's text as the preview shows it.
    void thePreviewShowsThePagesAsPrinted() {
        std::vector<DataRecord> records = books(40);
        for (DataRecord& r : records)
            r.Notes = QByteArray("a note that runs on ").repeated(10).trimmed();
        add(records);  // 43 records of 9 lines and a wrapped note: several pages
        choose("mnuReportListing");
        ReportSurface* page = viewer()->document();
        const qint64 pages = page->pageCount();
        QVERIFY(pages >= 3);
        const QString pdf = app->folder.file("report.pdf");
        const PdfViewer standalone(*app, pdf);
        standalone.print();
        const QList<QStringList> printed = PdfText::pages(pdf);
        QCOMPARE(printed.size(), pages);
        // Compared as pdftotext gives them: no empty lines, runs of spaces as one.
        const auto simplified = [](QStringList rows) {
            rows.removeAll(QString());
            for (QString& row : rows) row = row.simplified();
            rows.removeAll(QString());
            return rows;
        };
        QStringList shown;
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(page);
        for (qint64 p = 0; p < pages; ++p) {
            bar("VScroll1")->setValue(int(p * (15840 + 240)));
            QCOMPARE(page->currentPage(), p);
            const QStringList rows = page->pageRows(p);
            QCOMPARE(simplified(rows).value(0), simplified(printed[p]).value(0));
            QCOMPARE(reader->text(QAccessible::Description),
                     QStringLiteral("Page %1 of %2").arg(p + 1).arg(pages));
            QCOMPARE(reader->textInterface()->text(0, -1), rows.join('\n'));
            QCOMPARE(viewer()->findChild<QLabel*>("lblPage")->text(), reader->text(QAccessible::Description));
            shown << rows;
        }
        QCOMPARE(reader->text(QAccessible::Name), "Preview");
        // Every line on paper, in the order written.
        QCOMPARE(PdfText::simplifiedLines(pdf), simplified(shown));
        // The notes took more than a row each.
        QVERIFY(shown.size() > app->folder.readAll("report.txt").count("\r\n") + 40);
        // A second print gives the same job again.
        QFile::remove(pdf);
        standalone.print();
        QCOMPARE(PdfText::pages(pdf), printed);

        // The keyboard moves the page as the bars do.
        const int down = bar("VScroll1")->pageStep();
        QTest::keyClick(viewer(), Qt::Key_Home);
        const std::tuple<Qt::Key, int, int> keys[] = {
            {Qt::Key_PageDown, down - 10, -10},
            {Qt::Key_Down, down + 490, -10},
            {Qt::Key_Right, down + 490, 490},
            {Qt::Key_End, bar("VScroll1")->maximum(), 490},
            {Qt::Key_Home, -10, 490}};
        for (const auto& [key, vertical, horizontal] : keys) {
            QTest::keyClick(viewer(), key);
            QCOMPARE(QPoint(bar("HScroll1")->value(), bar("VScroll1")->value()),
                     QPoint(horizontal, vertical));
        }
    }

    // The history window lists the picks newest first and follows the
    // database: a new pick is listed when the window is asked for again or
    // made active again. A pick chosen (by mouse or key) shows in the viewer
    // already open, even after Print Listing; once another database was
    // opened, an entry of the old list writes no report.
    void theHistoryListFollowsTheDatabaseAndFeedsTheOpenViewer() {
        // Newest first by date, not as text sorts it, then by time; each pick once.
        app->addPick("Books", "12-01-2003", "09:00:00", books(1));
        app->addPick("Books", "01-15-2004", "10:00:00", books(2));
        app->addPick("Books", "12-01-2003", "23:59:59", books(3));
        choose("mnuReportHistory");
        QCOMPARE(AppHarness::texts(picks()),
                 (QStringList{"01-15-2004 @ 10:00:00  ", "12-01-2003 @ 23:59:59  ",
                              "12-01-2003 @ 09:00:00  "}));
        QCOMPARE(AppHarness::captions(app->task(Window::History)),
                 (QStringList{"RANDOLA 3.00 - [History Viewer]", "Click On Your Choice:", "Close",
                              "Certificate", "Save As PDF", "Export Text", "Verify"}));
        choose("mnuReportListing");
        ReportViewer* first = viewer();
        const qint64 pages = first->document()->pageCount();
        add(books(60));
        bar("VScroll1")->setValue(5000);
        choose("mnuReportListing");
        QCOMPARE(viewer(), first);
        QVERIFY(first->document()->pageCount() > pages);
        QCOMPARE(bar("VScroll1")->value(), -10);
        QCOMPARE(firstLineShown(), "COMPLETE LISTING OF Books");

        app->addPick("Books", "07-04-2004", "14:05:09", books(1));
        app->window.mdiArea()->setActiveSubWindow(app->window.subWindow(Window::History));
        AppHarness::settle();
        QCOMPARE(picks()->item(0)->text(), "07-04-2004 @ 14:05:09  ");
        picks()->setCurrentRow(3);
        QTest::keyClick(picks(), Qt::Key_Return);
        AppHarness::settle();
        QCOMPARE(viewer(), first);
        QCOMPARE(app->session.ReportKind, Session::HistoryReport);
        QCOMPARE(firstLineShown(), "HISTORY FOR PICK ON 12-01-2003 AT 09:00:00  ");
        app->addPick("Books", "07-05-2004", "09:00:00", books(1));
        choose("mnuReportHistory");
        QCOMPARE(picks()->count(), 5);
        QTest::mouseClick(picks()->viewport(), Qt::LeftButton, {},
                          picks()->visualItemRect(picks()->item(0)).center());
        AppHarness::settle();
        QCOMPARE(firstLineShown(), "HISTORY FOR PICK ON 07-05-2004 AT 09:00:00  ");

        app->openDatabase("Films", {"Title"}, books(1));
        app->addPick("Films", "01-01-2005", "10:00:00", books(1));
        app->write("report.txt", "EARLIER REPORT\r\n");
        picks()->setCurrentRow(0);
        app->prompter.answerOk();
        QTest::keyClick(picks(), Qt::Key_Return);
        AppHarness::settle();
        QCOMPARE(app->said(),
                 "ANOTHER DATABASE! [Exclamation] Another database has been opened since these "
                 "picks were listed, so no report was made.\r\nThe list now shows the picks of "
                 "Films.");
        QCOMPARE(app->folder.readAll("report.txt"), "EARLIER REPORT\r\n");
        QCOMPARE(AppHarness::texts(picks()), QStringList{"01-01-2005 @ 10:00:00  "});
    }

    // From its first moment a report keeps the rest of the program out of
    // reach: a click on a menu opens nothing.
    void aClickOnAMenuDuringAReportDoesNothing() {
        QTimer::singleShot(0, this, [this] {
            QVERIFY(QApplication::overrideCursor());  // the listing is being written
            QMenuBar* menus = app->window.menuBar();
            QTest::mouseClick(menus, Qt::LeftButton, {},
                              menus->actionGeometry(menus->actions().value(0)).center());
            QVERIFY(!QApplication::activePopupWidget());
        });
        choose("mnuReportListing");
        QVERIFY(viewer());
    }

    // A pick with a receipt has a certificate, in the viewer, as PDF and as
    // text, and verifies until a record of its pool changes; one without a
    // receipt has none.
    void aPickWithAReceiptHasACertificateAndIsVerified() {
        FixedRandomSource random("2004");
        const RandomPick::Request pick{handle, app->folder.folder().historyFile("Books"), 2,
                                       "07-05-2004", "10:00:00"};
        QCOMPARE(RandomPick::run(pick, random).status, RandomPick::Status::Picked);
        app->addPick("Books", "07-04-2004", "14:05:09", books(1));
        choose("mnuReportHistory");
        const auto button = [&](const char* name) {
            return app->control<QPushButton>(Window::History, name);
        };
        const char* const certificate[] = {"cmdCertificate", "cmdSaveCertificatePdf",
                                           "cmdExportCertificate", "cmdVerify"};
        for (const int row : {1, 0}) {
            picks()->setCurrentRow(row);
            for (const char* name : certificate) QCOMPARE(button(name)->isEnabled(), row == 0);
        }
        button("cmdCertificate")->click();
        AppHarness::settle();
        QVERIFY(viewer());
        const QByteArray report = app->folder.readAll("report.txt");
        QVERIFY(report.startsWith("CERTIFICATE OF THE PICK ON 07-05-2004 AT 10:00:00\r\n"));
        QVERIFY(report.contains("\r\nKey string:\r\n2004./\r\n\r\nSelection 0: MD5 " +
                                Rfc3797::Md5(0, "2004./").toHex().toUpper() +
                                "\r\n  3 left, position "));
        const QString pdf = app->folder.file("certificate.pdf"), text = app->folder.file("c.txt");
        app->prompter.answerFile(pdf).answerOk().answerFile(text).answerOk();
        button("cmdSaveCertificatePdf")->click();
        button("cmdExportCertificate")->click();
        QCOMPARE(app->folder.readAll("c.txt"), report);
        QStringList printed;
        for (const QString& line : QString::fromUtf8(report).split("\r\n", Qt::SkipEmptyParts))
            printed << line.simplified();
        QCOMPARE(PdfText::simplifiedLines(pdf), printed);

        app->prompter.answerOk();
        button("cmdVerify")->click();
        app->expectPrompt(
            "The pick of 07-05-2004 at 10:00:00 is reproduced exactly: the 3 records "
            "of its pool are as they were (SHA-256 " +
                QString(report).section("Pool SHA-256:   ", 1).left(64) +
                "), and its key string draws the same 2 records from them in the "
                "same order.",
            "VERIFIED!", Icon::Information);
        trm_GetLast(handle, 1);
        trm_Update(handle, RecordToString(PickDatabase::entry({"Book 003", "Someone"})));
        app->prompter.answerOk();
        button("cmdVerify")->click();
        // The verdict's own text is pinned with the receipt's replay.
        QVERIFY(app->said().startsWith("NOT REPRODUCED! [Exclamation] "));
    }

    // A box that opens while a report prints (where a PDF went) can be
    // answered, even when the progress bar comes on screen after it.
    void aBoxOpenedDuringTheWorkCanBeAnswered() {
        WorkProgress progress(&app->window, "Print", "Printing the report...");
        QVERIFY(progress.tell(0, 1));
        QMessageBox box(QMessageBox::Information, "SUCCESS!", "Saved.", QMessageBox::Ok,
                        &app->window);
        box.setWindowModality(Qt::ApplicationModal);
        box.show();
        QTest::qWait(800);  // the bar shows itself after half a second
        QTest::mouseClick(box.button(QMessageBox::Ok), Qt::LeftButton);
        QVERIFY(!box.isVisible());
    }

    void aMissingOrEmptyHistoryIsSaid() {
        app->prompter.answerOk();
        choose("mnuReportHistory");
        QCOMPARE(app->said(),
                 "NO RECORDS! [Information] There are not any history records available yet.");
        QCOMPARE(picks()->count(), 0);
        app->window.subWindow(Window::History)->close();
        AppHarness::settle();

        QFile::remove(app->folder.folder().historyFile("Books"));
        app->prompter.answerOk();
        choose("mnuReportHistory");
        QVERIFY(app->said().startsWith(
            "ERROR! [Exclamation] The pick history " +
            QDir::toNativeSeparators(app->folder.folder().historyFile("Books")) +
            " could not be opened.\r\n"));
        QCOMPARE(picks()->count(), 0);
    }

    // Without the definition file neither report is made: the listing's
    // viewer shows an empty page, not the earlier report; a pick's report
    // leaves the earlier one and opens no viewer.
    void aReportThatCannotBeMadeShowsNoEarlierReport() {
        app->addPick("Books", "07-04-2004", "14:05:09", books(2));
        app->write("report.txt", "EARLIER REPORT\r\n");
        choose("mnuReportHistory");
        QFile::remove(app->folder.folder().definitionFile("Books"));
        app->prompter.answerOk();
        QTest::keyClick(picks(), Qt::Key_Enter);
        AppHarness::settle();
        QCOMPARE(app->said(),
                 "ERROR! [Exclamation] The history report could not be made.\r\nThe field "
                 "definition file Books.dfn is missing.");
        QVERIFY(!viewer());
        QCOMPARE(app->folder.readAll("report.txt"), "EARLIER REPORT\r\n");

        app->prompter.answerOk();
        choose("mnuReportListing");
        QCOMPARE(app->said(),
                 "ERROR! [Exclamation] The listing report could not be made.\r\nThe field "
                 "definition file Books.dfn is missing.");
        QCOMPARE(firstLineShown(), QString());
        QVERIFY(!viewer()->findChild<QPushButton*>("cmdPrint")->isEnabled());
    }

    void aMissingReportGivesTheErrorAndAnEmptyPage() {
        app->session.ReportKind = Session::HistoryReport;
        app->prompter.answerOk();
        app->window.showWindow(Window::ReportViewer);
        QCOMPARE(app->said(), "Error! [Critical] There was an error producing your print preview.");
        QCOMPARE(viewer()->document()->pageCount(), 1);
        QCOMPARE(firstLineShown(), QString());
    }

    // Each line starts at the page's margin of 20 mm (1134 twips) with its
    // leading spaces, 12 points (240 twips) below the one before, as on
    // paper; an empty line keeps its place.
    void eachLineIsDrawnWhereItStartsOneBelowTheOther() {
        app->write("report.txt", "X\r\n  X\r\n\r\nX, 1,234\r\n");
        app->session.ReportKind = Session::HistoryReport;
        app->window.showWindow(Window::ReportViewer);
        ReportSurface* page = viewer()->document();
        const QImage shot = page->grab().toImage();
        // The leftmost inked column of text row `row`, -1 when it has none.
        const auto inkFrom = [&](int row) {
            const int top = page->twipsToPixels(10 + 1134 + row * 240);
            const int bottom = page->twipsToPixels(10 + 1134 + (row + 1) * 240);
            for (int x = 0; x < shot.width(); ++x)
                for (int y = top; y < bottom; ++y)
                    if (qGray(shot.pixel(x, y)) < 128) return x;
            return -1;
        };
        const int margin = page->twipsToPixels(10 + 1134);
        QVERIFY2(std::abs(inkFrom(0) - margin) <= 2, qPrintable(QString::number(inkFrom(0))));
        QVERIFY(std::abs(inkFrom(1) - inkFrom(0) - page->fontMetrics().horizontalAdvance("  ")) <= 1);
        QCOMPARE(inkFrom(2), -1);
        QCOMPARE(inkFrom(3), inkFrom(0));
        QCOMPARE(inkFrom(4), -1);
    }

    void aPrinterThatFailsIsSaid() {
        app->write("report.txt", "A line\r\n");
        const QString pdf = app->folder.file("missing folder/report.pdf");
        const PdfViewer standalone(*app, pdf);
        app->prompter.answerOk();
        standalone.print();
        app->expectPrompt("There was an error printing to your printer.", "Error!", Icon::Critical);
        QVERIFY(!QFile::exists(pdf));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }
};

QTEST_MAIN(ReportWindowsTest)
#include "ReportWindowsTest.moc"
