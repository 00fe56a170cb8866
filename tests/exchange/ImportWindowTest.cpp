#include <QtTest>
#include <QtWidgets>

#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <future>
#include <thread>

#include "app/AppHarness.h"
#include "exchange/ImportWindow.h"
#include "records/PickDatabase.h"
#include "store/SessionDatabase.h"
#include "support/WorldNames.h"

// The import window in the real main window, over the database "Club"
// (Name, Team) of ten records.
class ImportWindowTest : public AppTest {
    Q_OBJECT

    void start() override {
        std::vector<DataRecord> old;
        for (int i = 0; i < 10; ++i)
            old.push_back(PickDatabase::entry({"Old" + QByteArray::number(i)}));
        app->openDatabase("Club", {"Name", "Team"}, old);
        app->action("mnuToolsImport")->trigger();
        QTest::mouseClick(app->control<QPushButton>(Shell::Window::ImportMenu, "Command1"),
                          Qt::LeftButton);
        QVERIFY(window());
    }

    ImportWindow* window() const { return app->task<ImportWindow>(Shell::Window::Import); }
    template <typename T = QWidget>
    T* get(const char* name) const {
        T* control = app->control<T>(Shell::Window::Import, name);
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
    bool previewShown() const { return window()->previewFrame()->isVisible(); }
    QStringList previewRow(int row) const {
        auto* table = get<QTableWidget>("tblPreview");
        QStringList cells;
        for (int c = 0; c < table->columnCount(); ++c) cells << table->item(row, c)->text();
        return cells;
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
    void showsItsControlsAndOnlyTheFieldsInUse() {
        // Every caption, whatever order the frames hold them in.
        QStringList captions = AppHarness::captions(window());
        captions.sort();
        QCOMPARE(captions.join('|'),
                 "||0 %|100 %|<|>|Browse|Check The Import Before It Is Made:|Close|Go Back|Import|"
                 "Import These Records|Importing Data Records...|Importing Data Records:|"
                 "Location Of Import CSV File:|Put The Fields In The Order Of The Columns|"
                 "RANDOLA 3.00 - [Import Data]|Select Field(s) To Import To:|Stop");
        QCOMPARE(AppHarness::texts(get<QListWidget>("lbFields")), QStringList({"Name", "Team"}));
        QCOMPARE(get<QListWidget>("lbImport")->count(), 0);
        QVERIFY(!get("frameProgress")->isVisible());

        // Nothing selected moves nothing; a selected field moves to the end of the other list.
        click("cmdTo");
        QCOMPARE(get<QListWidget>("lbImport")->count(), 0);
        choose({"Team", "Name"});
        QCOMPARE(AppHarness::texts(get<QListWidget>("lbImport")), QStringList({"Team", "Name"}));
        get<QListWidget>("lbImport")->setCurrentRow(0);
        click("cmdBack");
        QCOMPARE(AppHarness::texts(get<QListWidget>("lbFields")), QStringList({"Team"}));

        app->prompter.answerFile(app->folder.file("chosen.csv"));
        click("cmdBrowse");
        QCOMPARE(app->prompter.last().title, "IMPORT FROM WHAT FILE?");
        QCOMPARE(get<QLineEdit>("txtImportName")->text(), app->folder.file("chosen.csv"));
        app->prompter.answerFile(QString());
        click("cmdBrowse");
        QCOMPARE(get<QLineEdit>("txtImportName")->text(), app->folder.file("chosen.csv"));
    }

    void refusesAnEmptyNameAnEmptyListAndABadFile() {
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
        QCOMPARE(names().size(), 10);
    }

    void previewsThenImportsWithTheHeaderSkippedAndTheColumnsArranged() {
        importFile("team,NAME\r\nReds,Smith\r\nBlues,Jones\r\nGreens,Brown\r\n", {"Name", "Team"});
        QVERIFY(previewShown());
        QCOMPARE(get<QLabel>("lblRecords")->text(),
                 "The file gives 3 records for \"Club\". They will be stored like this:");
        QVERIFY(get<QCheckBox>("cbSkipFirstLine")->isChecked());
        QVERIFY(!get<QLabel>("lblWarnings")->isVisibleTo(window()));
        QCOMPARE(previewRow(0), QStringList({"Reds", "Smith"}));

        click("cmdArrange");
        QCOMPARE(AppHarness::texts(get<QListWidget>("lbImport")), QStringList({"Team", "Name"}));
        QCOMPARE(previewRow(0), QStringList({"Smith", "Reds"}));

        app->prompter.answerOk();
        click("cmdConfirm");
        app->expectPrompt("The file has been imported.", "SUCCESS!", Icon::Information);
        QCOMPARE(app->session.TotalRecords, 13);
        QCOMPARE(app->window.windowTitle(), "RANDOLA 3.00 - [Club] [Total Records = 13]");
        QVERIFY(names().contains("Smith|Reds"));
        QVERIFY(!previewShown());
        // The arrangement stays for the next file of the same layout.
        QCOMPARE(AppHarness::texts(get<QListWidget>("lbImport")), QStringList({"Team", "Name"}));
    }

    void warnsOfAShiftedFileAndGoesBackWithoutWriting() {
        importFile("a,b,c\nd\n", {"Name", "Team"});
        QCOMPARE(get<QLabel>("lblWarnings")->text(),
                 "Line 1 holds 3 values, not 2.\nLine 2 holds 1 value, not 2.\n"
                 "Values are taken 2 at a time across line ends, so every record after such a "
                 "line may be shifted.");
        QVERIFY(!get<QCheckBox>("cbSkipFirstLine")->isChecked());
        QVERIFY(!get<QPushButton>("cmdArrange")->isEnabled());
        QCOMPARE(previewRow(1), QStringList({"c", "d"}));
        // Skipping the first line reads the file again without it.
        get<QCheckBox>("cbSkipFirstLine")->setChecked(true);
        QCOMPARE(get<QLabel>("lblRecords")->text(),
                 "The file gives 1 record for \"Club\". They will be stored like this:");
        click("cmdGoBack");
        QVERIFY(!previewShown());
        QCOMPARE(names().size(), 10);

        // A file of column names alone gives nothing to import.
        app->write("in.csv", "Name,Team\r\n");
        click("cmdImport");
        QCOMPARE(get<QLabel>("lblRecords")->text(), "The file gives 0 records for \"Club\".");
        QVERIFY(!get<QPushButton>("cmdConfirm")->isEnabled());
    }

    void aPreviewOfAnotherDatabaseImportsNothing() {
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
        QCOMPARE(AppHarness::texts(get<QListWidget>("lbFields")), QStringList{"City"});
        QCOMPARE(trm_Count(app->session.DataHandle), 0);

        // Coming back to the window after another database was opened, though
        // under the same name as the one whose fields the lists show.
        importFile("a\n", {"City"});
        QVERIFY(previewShown());
        app->openDatabase("Other", {"Name", "Team"});
        window()->Form_Activate();
        QVERIFY(!previewShown());
        QCOMPARE(AppHarness::texts(get<QListWidget>("lbFields")), QStringList({"Name", "Team"}));
    }

    void keepsNamesInEveryScriptAndSaysHowManyValuesWereCut() {
        QByteArray file;
        QByteArrayList stored;
        for (const QString& name : WorldNames()) {
            file += name.toUtf8() + ",-\n";
            stored << name.toUtf8() + "|-";
        }
        importFile(file + QByteArray(48, 'x') + "\xC3\xA9\xC3\xA9," + QByteArray(52, 'y') + "\n",
                   {"Name", "Team"});
        QCOMPARE(previewRow(0), QStringList({WorldNames().value(0), "-"}));
        app->prompter.answerOk();
        click("cmdConfirm");
        app->expectPrompt(
            "The file has been imported.\r\n\r\n2 values too long for their fields were cut to "
            "fit.",
            "SUCCESS!", Icon::Information);
        const QByteArrayList all = names();
        for (const QByteArray& name : stored) QVERIFY2(all.contains(name), name.constData());
        QVERIFY(all.contains(QByteArray(48, 'x') + "\xC3\xA9|" + QByteArray(50, 'y')));
    }

    // A file slow to come (a pipe whose writer waits) does not hold the window
    // while its first line is read: it goes on under the wait cursor, and a
    // click on Stop, as the mouse gives it, through the window, is heard. The
    // writer answers once the window has gone on, or after a long wait, so
    // that a window held still fails the test but does not hang it; the survey
    // that follows a Stop not heard finds an ordinary file in its place.
    void readsTheFirstLineWithoutHoldingTheWindow() {
        const QByteArray content = "team,name\nReds,Smith\n";
        const QString pipe = app->folder.file("slow.csv");
        app->write("ready.csv", content);
        QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        std::promise<void> wentOn;
        std::atomic<bool> served{false};
        std::thread writer([&, released = wentOn.get_future()] {
            QFile out(pipe);
            if (!out.open(QIODevice::WriteOnly)) return;
            released.wait_for(std::chrono::seconds(20));
            out.write(content);
            std::rename(QFile::encodeName(app->folder.file("ready.csv")).constData(),
                        QFile::encodeName(pipe).constData());
            served = true;
        });
        bool waitedFree = false;
        QTimer::singleShot(0, this, [&] {
            const QCursor* cursor = QApplication::overrideCursor();
            waitedFree = !served && get("frameProgress")->isVisible() && cursor &&
                         cursor->shape() == Qt::WaitCursor;
            QWidget* stop = get("cmdStop");
            QWidget* top = stop->window();
            QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {},
                              stop->mapTo(top, stop->rect().center()));
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
        QCOMPARE(app->session.TotalRecords, 10);

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
            window()->close();
            QVERIFY(window()->isVisible());
            QTest::keyClick(get("lbImport"), Qt::Key_Escape);
        });
        click("cmdConfirm");
        app->expectPrompt("The import was stopped. No records were added.", "STOPPED!",
                          Icon::Information);
        QCOMPARE(names(), before);
        QVERIFY(!get("frameProgress")->isVisible());
    }
};

QTEST_MAIN(ImportWindowTest)
#include "ImportWindowTest.moc"
