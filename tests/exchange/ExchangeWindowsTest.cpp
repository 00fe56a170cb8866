#include <QtTest>
#include <QtWidgets>

#include <sys/stat.h>

#include <cstdio>
#include <future>
#include <thread>

#include "app/AppHarness.h"
#include "exchange/ImportWindow.h"
#include "records/DisplayWindow.h"
#include "records/PickDatabase.h"
#include "support/WorldNames.h"

// The Import/Export menu, the export window and the import window in the
// real main window, over the database "Club" (Name, Team) of three records
// and one pick.
class ExchangeWindowsTest : public AppTest {
    Q_OBJECT

    static constexpr auto kMenu = Shell::Window::ImportMenu;
    static constexpr auto kExport = Shell::Window::Export;

    void start() override {
        app->openDatabase("Club", {"Name", "Team"},
                          {PickDatabase::entry({"Cy", "T"}), PickDatabase::entry({"Al", "T"}),
                           PickDatabase::entry({"Bo", "T"})});
        app->session.PickDate = "07-04-2004";
        app->session.PickTime = "14:05:09";
        app->session.DisplayMode = Session::BrowseMode;
        const int h = trm_Open(app->folder.folder().historyFile("Club"), 0);
        trm_Insert(h, RecordToString(HistoryRecord{PickDatabase::entry({"Bo", "T"}, "F", 1),
                                                   "07-04-2004", "14:05:09  "}));
        trm_Close(h);
        app->window.RefreshMenus();
    }

    QWidget* exportWindow() const { return app->task(kExport); }
    // A click as a user makes it: on a window, which becomes the active one.
    void click(Shell::Window kind, const char* name) const {
        app->window.mdiArea()->setActiveSubWindow(app->window.subWindow(kind));
        QPushButton* button = app->control<QPushButton>(kind, name);
        QVERIFY2(button, name);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    // The record window's Export beside the results of a pick.
    void openPickExport() const {
        app->action("mnuEditDisplay")->trigger();
        auto* display = app->task<DisplayWindow>(Shell::Window::Display);
        display->resultsFrame()->setEnabled(true);  // as a pick leaves it
        click(Shell::Window::Display, "cmdExportResults");
    }
    void tick(std::initializer_list<const char*> boxes, const QString& name) const {
        for (const char* box : boxes) get<QCheckBox>(box, kExport)->setChecked(true);
        get<QLineEdit>("txtExportFile", kExport)->setText(name);
    }
    // The buttons of a kind shown, the chosen ones starred.
    template <typename Button>
    QStringList shown() const {
        QStringList all;
        for (const Button* b : exportWindow()->findChildren<Button*>())
            if (!b->isHidden()) all << b->text() + (b->isChecked() ? "*" : "");
        return all;
    }
    QString formats() const { return shown<QRadioButton>().join('|'); }
    // Export, its message answered.
    void exportAnswered() const {
        app->prompter.answerOk();
        click(kExport, "cmdExport");
    }

    // The import window, from the menu.
    void openImport() const {
        app->action("mnuToolsImport")->trigger();
        QTest::mouseClick(app->control<QPushButton>(kMenu, "Command1"), Qt::LeftButton);
        QVERIFY(importWindow());
    }
    ImportWindow* importWindow() const { return app->task<ImportWindow>(Shell::Window::Import); }
    template <typename T = QWidget>
    T* get(const char* name, Shell::Window kind = Shell::Window::Import) const {
        T* control = app->control<T>(kind, name);
        if (!control) qFatal("no control %s", name);
        return control;
    }
    void click(const char* name) const {
        QTest::mouseClick(get<QPushButton>(name), Qt::LeftButton);
    }
    // Moves fields to the import list in this order.
    void choose(const QStringList& fields) const {
        auto* from = get<QListWidget>("lbFields");
        for (const QString& field : fields) {
            from->setCurrentItem(from->findItems(field, Qt::MatchExactly).value(0));
            click("cmdTo");
        }
    }
    void importFile(const QByteArray& bytes, const QStringList& fields) const {
        app->write("in.csv", bytes);
        get<QLineEdit>("txtImportName")->setText("in.csv");
        choose(fields);
        click("cmdImport");
    }
    bool previewShown() const { return importWindow()->previewFrame()->isVisible(); }
    // The preview as shown, parts split by "|": its title, the skip box, the
    // warnings, then its rows.
    QString preview() const {
        auto* warnings = get<QLabel>("lblWarnings");
        QStringList seen = {get<QLabel>("lblRecords")->text(),
                            get<QCheckBox>("cbSkipFirstLine")->isChecked() ? "skip" : "no skip",
                            warnings->isVisibleTo(importWindow()) ? warnings->text() : ""};
        auto* table = get<QTableWidget>("tblPreview");
        for (int r = 0; r < table->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < table->columnCount(); ++c) cells << table->item(r, c)->text();
            seen << cells.join(',');
        }
        return seen.join('|');
    }
    // The fields still to choose, then those chosen, in order.
    QString lists() const {
        return AppHarness::texts(get<QListWidget>("lbFields")).join(',') + " > " +
               AppHarness::texts(get<QListWidget>("lbImport")).join(',');
    }
    QByteArrayList names() const {
        QByteArrayList all;
        trm_Scan(app->session.DataHandle, 1, [&](qint64, const QByteArray& r) {
            all << r.left(50).trimmed() + "|" + r.mid(50, 50).trimmed();
            return true;
        });
        return all;
    }

private slots:
    void theExportWindowShowsTheDatabasesFieldsAndEveryFormatForAPick() {
        openPickExport();
        QVERIFY(exportWindow());
        QCOMPARE(AppHarness::captions(exportWindow()),
                 QStringList({"RANDOLA 3.00 - [Export Data]",
                              "Select Fields To Export:", "How Do You Want To Export This Data?",
                              "Name Of File To Export To:", "Export", "Close"}));
        // In slot order, unused slots hidden, none chosen.
        QCOMPARE(shown<QCheckBox>(),
                 QStringList({"Name", "Team", "Date Entered", "Last Picked", "Times Picked", "Omit",
                              "Notes", "Export Field Names Too?"}));
        QCOMPARE(formats(), "Comma Seperated File*|HTML Document|Plain Text File");
        QVERIFY(get<QLineEdit>("txtExportFile", kExport)->text().isEmpty());

        // Another database opened meanwhile relabels the boxes.
        app->folder.createDatabase("Shop", {"Item"});
        QCOMPARE(SessionDatabase::Open(app->session, app->folder.folder(), "Shop"), 0);
        app->window.mdiArea()->setActiveSubWindow(app->window.subWindow(Shell::Window::Display));
        app->window.mdiArea()->setActiveSubWindow(app->window.subWindow(kExport));
        QCOMPARE(shown<QCheckBox>().mid(0, 2), QStringList({"Item", "Date Entered"}));
    }

    // What cannot be exported is refused, or fails with its reason, and writes nothing.
    void aBlankNameNoColumnOrABadNameWritesNothing() {
        openPickExport();
        const QStringList before = app->folder.files();
        auto* name = get<QLineEdit>("txtExportFile", kExport);
        tick({"cbNotes"}, "   ");
        get<QWidget>("cmdExport", kExport)->setFocus();
        exportAnswered();
        app->expectPrompt("You must specify a name to save as.", "ERROR", Icon::Critical);
        QCOMPARE(exportWindow()->focusWidget(), name);

        name->setText("a/b");
        exportAnswered();
        app->expectPrompt(
            QStringLiteral("The csv file could not be written, so nothing was exported.\r\n"
                           "A file name cannot contain the character \"/\".\r\n%1")
                .arg(app->folder.file("a/b.csv")),
            "ERROR!", Icon::Exclamation);

        get<QCheckBox>("cbNotes", kExport)->setChecked(false);
        exportAnswered();
        app->expectPrompt("You must select 1 or more fields to export.", "ERROR!", Icon::Critical);
        QCOMPARE(app->folder.files(), before);
    }

    void thePickIsExportedInEachFormatAndTheChoicesStay() {
        openPickExport();
        tick({"cbfield(0)", "cbTimesPicked", "cbFieldNames"}, "list.csv");
        const std::tuple<const char*, const char*, const char*> kinds[] = {
            {"opComma", "csv", "csv"}, {"ophtml", "html", "html"}, {"optext", "text", "txt"}};
        for (const auto& [option, kind, extension] : kinds) {
            get<QRadioButton>(option, kExport)->setChecked(true);
            exportAnswered();
            const QString path = app->folder.file(QStringLiteral("list.csv.") + extension);
            app->expectPrompt(
                QStringLiteral("Your %1 file has been created.\r\n%2").arg(kind, path), "SUCCESS!",
                Icon::Information);
            QVERIFY(QFile::exists(path));
        }
        QCOMPARE(app->folder.readAll("list.csv.txt"), QByteArray("Name Times Picked\r\nBo 1\r\n"));
        QVERIFY(get<QCheckBox>("cbfield(0)", kExport)->isChecked() &&
                get<QCheckBox>("cbFieldNames", kExport)->isChecked());
        QCOMPARE(get<QLineEdit>("txtExportFile", kExport)->text(), "list.csv");
    }

    // The mode follows the window that asked for the export last, and closing
    // the export window in any way leaves it in pick mode for next time.
    void theDatabaseOrThePickIsExportedAsAsked() {
        app->action("mnuToolsImport")->trigger();
        QCOMPARE(AppHarness::captions(app->task(kMenu)),
                 QStringList({"RANDOLA 3.00 - [Import/Export Menu]", "Import CSV File to Randola",
                              "Export CSV File from Randola", "Close"}));
        click(kMenu, "Command2");
        QVERIFY(app->session.ExportFromMenu);
        QCOMPARE(formats(), "Comma Seperated File*");
        tick({"cbfield(0)"}, "names");
        exportAnswered();
        QCOMPARE(app->folder.readAll("names.csv"), QByteArray("\"Al\"\r\n\"Bo\"\r\n\"Cy\"\r\n"));

        openPickExport();
        QVERIFY(!app->session.ExportFromMenu);
        QCOMPARE(formats(), "Comma Seperated File*|HTML Document|Plain Text File");
        exportAnswered();
        QCOMPARE(app->folder.readAll("names.csv"), QByteArray("\"Bo\"\r\n"));

        get<QRadioButton>("optext", kExport)->setChecked(true);
        click(kMenu, "Command2");
        QCOMPARE(formats(), "Comma Seperated File*");
        app->window.subWindow(kExport)->close();  // by the frame's own close button
        AppHarness::settle();
        QVERIFY(!exportWindow());
        QVERIFY(!app->session.ExportFromMenu);
        QVERIFY(app->task(kMenu));  // the menu stays open beside it, until its Close
        click(kMenu, "Command3");
        AppHarness::settle();
        QVERIFY(!app->task(kMenu));
    }

    void showsItsControlsAndOnlyTheFieldsInUse() {
        openImport();
        // Every caption, whatever order the frames hold them in.
        QStringList captions = AppHarness::captions(importWindow());
        captions.sort();
        QCOMPARE(captions.join('|'),
                 "||0 %|100 %|<|>|Browse|Check The Import Before It Is Made:|Close|Go Back|Import|"
                 "Import These Records|Importing Data Records...|Importing Data Records:|"
                 "Location Of Import CSV File:|Put The Fields In The Order Of The Columns|"
                 "RANDOLA 3.00 - [Import Data]|Select Field(s) To Import To:|Stop");
        QCOMPARE(lists(), "Name,Team > ");
        QVERIFY(!get("frameProgress")->isVisible());

        // Nothing selected moves nothing; a selected field moves to the end of the other list.
        click("cmdTo");
        QCOMPARE(lists(), "Name,Team > ");
        choose({"Team", "Name"});
        QCOMPARE(lists(), " > Team,Name");
        get<QListWidget>("lbImport")->setCurrentRow(0);
        click("cmdBack");
        QCOMPARE(lists(), "Team > Name");

        app->prompter.answerFile(app->folder.file("chosen.csv"));
        click("cmdBrowse");
        QCOMPARE(app->prompter.last().title, "IMPORT FROM WHAT FILE?");
        QCOMPARE(get<QLineEdit>("txtImportName")->text(), app->folder.file("chosen.csv"));
        app->prompter.answerFile(QString());
        click("cmdBrowse");
        QCOMPARE(get<QLineEdit>("txtImportName")->text(), app->folder.file("chosen.csv"));
    }

    void refusesAnEmptyNameAnEmptyListAndABadFile() {
        openImport();
        app->prompter.answerOk().answerOk().answerOk();
        click("cmdImport");
        app->expectPrompt("You must supply a valid CSV file to import from.", "ERROR!",
                          Icon::Critical);
        get<QLineEdit>("txtImportName")->setText("none.csv");
        click("cmdImport");
        app->expectPrompt("You have not selected any fields to import to.", "ERROR!",
                          Icon::Critical);
        choose({"Name"});
        click("cmdImport");
        app->expectPrompt("The file cannot be imported.\r\nThe file does not exist.", "ERROR!",
                          Icon::Critical);
        QVERIFY(!previewShown());
        QCOMPARE(names().size(), 3);
    }

    void previewsThenImportsWithTheHeaderSkippedAndTheColumnsArranged() {
        openImport();
        importFile("team,NAME\r\nReds,Smith\r\nBlues,Jones\r\nGreens,Brown\r\n", {"Name", "Team"});
        QVERIFY(previewShown());
        QCOMPARE(preview(),
                 "The file gives 3 records for \"Club\". They will be stored like this:|skip||"
                 "Reds,Smith|Blues,Jones|Greens,Brown");

        click("cmdArrange");
        QCOMPARE(lists(), " > Team,Name");
        QCOMPARE(preview().section('|', 3), "Smith,Reds|Jones,Blues|Brown,Greens");

        app->prompter.answerOk();
        click("cmdConfirm");
        app->expectPrompt("The file has been imported.", "SUCCESS!", Icon::Information);
        QCOMPARE(app->window.windowTitle(), "RANDOLA 3.00 - [Club] [Total Records = 6]");
        QVERIFY(names().contains("Smith|Reds"));
        QVERIFY(!previewShown());
        // The arrangement stays for the next file of the same layout.
        QCOMPARE(lists(), " > Team,Name");
    }

    void warnsOfAShiftedFileAndGoesBackWithoutWriting() {
        openImport();
        importFile("a,b,c\nd\n", {"Name", "Team"});
        QCOMPARE(preview(),
                 "The file gives 2 records for \"Club\". They will be stored like this:|no skip|"
                 "Line 1 holds 3 values, not 2.\nLine 2 holds 1 value, not 2.\nValues are taken 2 "
                 "at a time across line ends, so every record after such a line may be shifted.|"
                 "a,b|c,d");
        QVERIFY(!get<QPushButton>("cmdArrange")->isEnabled());
        // Skipping the first line reads the file again without it.
        get<QCheckBox>("cbSkipFirstLine")->setChecked(true);
        QCOMPARE(preview().section('|', 0, 0),
                 "The file gives 1 record for \"Club\". They will be stored like this:");
        click("cmdGoBack");
        QVERIFY(!previewShown());
        QCOMPARE(names().size(), 3);

        // A file of column names alone gives nothing to import.
        app->write("in.csv", "Name,Team\r\n");
        click("cmdImport");
        QCOMPARE(get<QLabel>("lblRecords")->text(), "The file gives 0 records for \"Club\".");
        QVERIFY(!get<QPushButton>("cmdConfirm")->isEnabled());
    }

    void aPreviewOfAnotherDatabaseImportsNothing() {
        openImport();
        importFile("a,b\n", {"Name", "Team"});
        QVERIFY(previewShown());
        app->openDatabase("Other", {"City"});
        app->prompter.answerOk();
        click("cmdConfirm");
        app->expectPrompt(
            "Another database has been opened since the file was checked, so "
            "nothing was imported.\r\nChoose the fields and check the file again.",
            "ERROR!", Icon::Critical);
        QVERIFY(!previewShown());
        QCOMPARE(lists(), "City > ");
        QCOMPARE(trm_Count(app->session.DataHandle), 0);

        // Coming back to the window after another database was opened, though
        // under the same name as the one whose fields the lists show.
        importFile("a\n", {"City"});
        QVERIFY(previewShown());
        app->openDatabase("Other", {"Name", "Team"});
        importWindow()->Form_Activate();
        QVERIFY(!previewShown());
        QCOMPARE(lists(), "Name,Team > ");
    }

    // The preview shows the text as it will be stored; the message counts the
    // cut values: one cut inside a character, one a single byte too long.
    void keepsNamesInEveryScriptAndSaysHowManyValuesWereCut() {
        openImport();
        QByteArray file;
        for (const QString& name : WorldNames()) file += name.toUtf8() + ",-\n";
        const QByteArray cut = QByteArray(49, 'x') + "\xC3\xA9," + QByteArray(51, 'y') + "\n";
        importFile(file + cut, {"Name", "Team"});
        QCOMPARE(preview().section('|', 3, 3), WorldNames().value(0) + ",-");
        app->prompter.answerOk();
        click("cmdConfirm");
        app->expectPrompt(
            "The file has been imported.\r\n\r\n2 values too long for their fields were cut to "
            "fit.",
            "SUCCESS!", Icon::Information);
        const QByteArrayList stored = names();
        for (const QString& name : WorldNames()) QVERIFY(stored.contains(name.toUtf8() + "|-"));
        QVERIFY(stored.contains(QByteArray(49, 'x') + "|" + QByteArray(50, 'y')));
    }

    // A file slow to come (a pipe whose writer waits until the window has gone
    // on, 20 s at most) does not hold the window while its first line is read:
    // the progress frame shows under the wait cursor, and a click on Stop, as
    // the mouse gives it through the window, is heard. An ordinary file then
    // takes the pipe's place, so that a window held fails the test, not hangs it.
    void readsTheFirstLineWithoutHoldingTheWindow() {
        openImport();
        const QByteArray content = "team,name\nReds,Smith\n";
        const QByteArray pipe = QFile::encodeName(app->folder.file("slow.csv"));
        app->write("ready.csv", content);
        QCOMPARE(mkfifo(pipe.constData(), 0600), 0);
        std::promise<void> wentOn;
        std::thread writer([&, released = wentOn.get_future()] {
            QFile out(QFile::decodeName(pipe));
            if (!out.open(QIODevice::WriteOnly)) return;
            released.wait_for(std::chrono::seconds(20));
            out.write(content);
            std::rename(QFile::encodeName(app->folder.file("ready.csv")).constData(),
                        pipe.constData());
        });
        bool waitedFree = false;
        QTimer::singleShot(0, this, [&] {
            const QCursor* cursor = QApplication::overrideCursor();
            waitedFree =
                get("frameProgress")->isVisible() && cursor && cursor->shape() == Qt::WaitCursor;
            QWidget* stop = get("cmdStop");
            QTest::mouseClick(stop->window()->windowHandle(), Qt::LeftButton, {},
                              stop->mapTo(stop->window(), stop->rect().center()));
            wentOn.set_value();
        });
        get<QLineEdit>("txtImportName")->setText("slow.csv");
        choose({"Name", "Team"});
        click("cmdImport");
        writer.join();
        QVERIFY(waitedFree);
        QVERIFY(!previewShown());
        QVERIFY(get("cmdImport")->isVisible());
    }

    void aFailureOrAStopLeavesTheDatabaseAsItWas() {
        openImport();
        QByteArray lines;
        for (int i = 0; i < 2500; ++i) lines += "n" + QByteArray::number(i) + ",t\n";
        importFile(lines, {"Name", "Team"});
        QCOMPARE(get<QLabel>("lblRecords")->text(),
                 "The file gives 2500 records for \"Club\". The first 5 will be stored like this:");
        const QByteArrayList before = names();

        trm_FailAfter(100, TrmCode::IoError);
        app->prompter.answerOk();
        click("cmdConfirm");
        trm_FailAfter(-1, 0);
        QVERIFY(app->prompter.last().text.startsWith(
            "The file could not be imported; no records were added.\r\n"));
        QCOMPARE(app->prompter.last().icon, Icon::Exclamation);
        QCOMPARE(names(), before);
        QCOMPARE(app->session.TotalRecords, 3);

        click("cmdImport");
        app->prompter.answerOk();
        QTimer::singleShot(0, this, [this] {
            QVERIFY(get("frameProgress")->isVisible());
            QCOMPARE(get<QLabel>("Label1")->text(), "Importing Data Records...");
            // Everything but the progress frame is out of reach while it runs.
            QTest::mouseClick(get<QPushButton>("cmdGoBack"), Qt::LeftButton);
            QVERIFY(previewShown());
            // Nor can the rest of the program be reached: the menus stay shut.
            QMenuBar* menus = app->window.menuBar();
            QTest::mouseClick(menus, Qt::LeftButton, {},
                              menus->actionGeometry(menus->actions().value(0)).center());
            QVERIFY(!QApplication::activePopupWidget());
            importWindow()->close();
            QVERIFY(importWindow()->isVisible());
            QTest::keyClick(get("lbImport"), Qt::Key_Escape);
        });
        click("cmdConfirm");
        app->expectPrompt("The import was stopped. No records were added.", "STOPPED!",
                          Icon::Information);
        QCOMPARE(names(), before);
        QVERIFY(!get("frameProgress")->isVisible());
    }
};

QTEST_MAIN(ExchangeWindowsTest)
#include "ExchangeWindowsTest.moc"
