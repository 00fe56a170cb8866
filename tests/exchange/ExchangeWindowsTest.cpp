#include <QtTest>
#include <QtWidgets>

#include "app/AppHarness.h"
#include "records/DisplayWindow.h"
#include "records/PickDatabase.h"
#include "store/SessionDatabase.h"

namespace {

constexpr auto kMenu = Shell::Window::ImportMenu;
constexpr auto kExport = Shell::Window::Export;

}  // namespace

// The Import/Export window and the export window in the real main window,
// over the database "Club" (Name, Team) of three records and one pick.
class ExchangeWindowsTest : public AppTest {
    Q_OBJECT

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
    template <typename T = QWidget>
    T* get(const char* name) const {
        return app->control<T>(kExport, name);
    }
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
    void choose(std::initializer_list<const char*> boxes, const QString& name) const {
        for (const char* box : boxes) get<QCheckBox>(box)->setChecked(true);
        get<QLineEdit>("txtExportFile")->setText(name);
    }
    // The buttons of a kind shown, the chosen ones starred.
    template <typename Button>
    QStringList shown() const {
        QStringList all;
        for (const Button* b : exportWindow()->findChildren<Button*>())
            if (!b->isHidden()) all << b->text() + (b->isChecked() ? "*" : "");
        return all;
    }
    QStringList shownBoxes() const { return shown<QCheckBox>(); }
    QString formats() const { return shown<QRadioButton>().join('|'); }
    // Export, its message answered.
    void exportAnswered() const {
        app->prompter.answerOk();
        click(kExport, "cmdExport");
    }

private slots:
    void theExportWindowShowsTheDatabasesFieldsAndEveryFormatForAPick() {
        openPickExport();
        QWidget* w = exportWindow();
        QVERIFY(w);
        QCOMPARE(AppHarness::captions(w),
                 QStringList({"RANDOLA 3.00 - [Export Data]",
                              "Select Fields To Export:", "How Do You Want To Export This Data?",
                              "Name Of File To Export To:", "Export", "Close"}));
        // In slot order, unused slots hidden, none chosen.
        QCOMPARE(shownBoxes(),
                 QStringList({"Name", "Team", "Date Entered", "Last Picked", "Times Picked", "Omit",
                              "Notes", "Export Field Names Too?"}));
        QCOMPARE(formats(), "Comma Seperated File*|HTML Document|Plain Text File");
        QVERIFY(get<QLineEdit>("txtExportFile")->text().isEmpty());

        // Another database opened meanwhile relabels the boxes.
        app->folder.createDatabase("Shop", {"Item"});
        QCOMPARE(SessionDatabase::Open(app->session, app->folder.folder(), "Shop"), 0);
        app->window.mdiArea()->setActiveSubWindow(app->window.subWindow(Shell::Window::Display));
        app->window.mdiArea()->setActiveSubWindow(app->window.subWindow(kExport));
        QCOMPARE(shownBoxes().mid(0, 2), QStringList({"Item", "Date Entered"}));
    }

    // What cannot be exported is refused, or fails with its reason, and writes nothing.
    void aBlankNameNoColumnOrABadNameWritesNothing() {
        openPickExport();
        const QStringList before = app->folder.files();
        auto* name = get<QLineEdit>("txtExportFile");
        choose({"cbNotes"}, "   ");
        get<QWidget>("cmdExport")->setFocus();
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

        get<QCheckBox>("cbNotes")->setChecked(false);
        exportAnswered();
        app->expectPrompt("You must select 1 or more fields to export.", "ERROR!", Icon::Critical);
        QCOMPARE(app->prompter.prompts().size(), 3);
        QCOMPARE(app->folder.files(), before);
    }

    void thePickIsExportedInEachFormatAndTheChoicesStay() {
        openPickExport();
        choose({"cbfield(0)", "cbTimesPicked", "cbFieldNames"}, "list.csv");
        const std::tuple<const char*, const char*, const char*> kinds[] = {
            {"opComma", "csv", "csv"}, {"ophtml", "html", "html"}, {"optext", "text", "txt"}};
        for (const auto& [option, kind, extension] : kinds) {
            get<QRadioButton>(option)->setChecked(true);
            exportAnswered();
            const QString path = app->folder.file(QStringLiteral("list.csv.") + extension);
            app->expectPrompt(
                QStringLiteral("Your %1 file has been created.\r\n%2").arg(kind, path), "SUCCESS!",
                Icon::Information);
            QVERIFY(QFile::exists(path));
        }
        QCOMPARE(app->folder.readAll("list.csv.txt"), QByteArray("Name Times Picked\r\nBo 1\r\n"));
        QVERIFY(get<QCheckBox>("cbfield(0)")->isChecked() &&
                get<QCheckBox>("cbFieldNames")->isChecked());
        QCOMPARE(get<QLineEdit>("txtExportFile")->text(), "list.csv");
    }

    // The mode follows the window that asked for the export last, and closing
    // the export window in any way leaves it in pick mode for next time.
    void theDatabaseOrThePickIsExportedAsAsked() {
        app->action("mnuToolsImport")->trigger();
        QCOMPARE(app->task(kMenu)->objectName(), "frmImportMenu");
        QCOMPARE(AppHarness::captions(app->task(kMenu)),
                 QStringList({"RANDOLA 3.00 - [Import/Export Menu]", "Import CSV File to Randola",
                              "Export CSV File from Randola", "Close"}));
        click(kMenu, "Command2");
        QVERIFY(app->session.ExportFromMenu);
        QCOMPARE(formats(), "Comma Seperated File*");
        choose({"cbfield(0)"}, "names");
        exportAnswered();
        QCOMPARE(app->folder.readAll("names.csv"), QByteArray("\"Al\"\r\n\"Bo\"\r\n\"Cy\"\r\n"));

        openPickExport();
        QVERIFY(!app->session.ExportFromMenu);
        QCOMPARE(formats(), "Comma Seperated File*|HTML Document|Plain Text File");
        exportAnswered();
        QCOMPARE(app->folder.readAll("names.csv"), QByteArray("\"Bo\"\r\n"));

        get<QRadioButton>("optext")->setChecked(true);
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
};

QTEST_MAIN(ExchangeWindowsTest)
#include "ExchangeWindowsTest.moc"
