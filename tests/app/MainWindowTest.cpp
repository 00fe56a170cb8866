#include <curl/curl.h>
#include <sqlite3.h>
#include "app/AboutText.h"

#include "AppHarness.h"
#include "records/ClearOmitsWindow.h"
#include "records/PickDatabase.h"

constexpr auto kCreate = Shell::Window::Create;

// The controls of a window that a screen reader would find without a name,
// or named by the value a box holds. The parts of a list, grid or box (its
// bars, its headers) speak through it.
static QStringList unnamedControls(const QWidget* window) {
    QStringList unnamed;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        const bool control = w->focusPolicy() != Qt::NoFocus || qobject_cast<QAbstractSlider*>(w) ||
                             qobject_cast<QProgressBar*>(w);
        if (!control || qobject_cast<QLabel*>(w) || !w->isVisibleTo(window)) continue;
        bool part = false;
        for (QWidget* up = w->parentWidget(); up && up != window; up = up->parentWidget())
            part = part || qobject_cast<QAbstractScrollArea*>(up) || qobject_cast<QComboBox*>(up);
        if (part) continue;
        const QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(w);
        const QString said = spoken ? spoken->text(QAccessible::Name).trimmed() : QString();
        const auto* box = qobject_cast<QComboBox*>(w);
        if (said.isEmpty() || (box && said == box->currentText()))
            unnamed << w->objectName() + QStringLiteral(" (") + w->metaObject()->className() + ')';
    }
    return unnamed;
}

class MainWindowTest : public AppTest {
    Q_OBJECT

private slots:
    void menusCarryTheirCaptionsInOrder() {
        QStringList menus;
        for (QAction* bar : app->window.menuBar()->actions()) {
            menus << bar->menu()->title() + ":";
            for (QAction* a : bar->menu()->actions())
                menus.last() += (a->isSeparator() ? " |" : " ") + a->text();
        }
        QCOMPARE(menus,
                 QStringList({"&File: Create New | Open Database | Exit",
                              "&Display: Display Records", "&Reports: Print Listing History",
                              "&Tools: Import/Export Clear Omits Public Draw Check Database | "
                              "Check For Updates",
                              "&Help: &About | &Contents"}));
    }

    void menusFollowTheSession() {
        // In turn: an item no rule speaks of keeps the state the row before left it in.
        // Flags: Edit, Display Records, Reports, Import, Clear Omits, Updates, Check, Public Draw.
        const std::tuple<const char*, int, qint16, const char*> rows[] = {
            {nullptr, 0, 0, "01000100"},  // as started
            {"shop", 9, Session::AddMode, "10100110"},
            {"", 0, Session::AddMode, "00000100"},
            {"shop", 0, 0, "10110111"},  // the record window never opened
            {"shop", 0, Session::BrowseMode, "11111111"},
            {"shop", 3, 0, "11111111"},
            {"   ", 5, Session::BrowseMode, "01000100"},  // a blank name is none
            {"shop", 9, Session::EditMode, "10100110"},
            {"shop", 9, 7, "10111111"},  // an unknown mode
        };
        QStringList got, want;
        for (const auto& [name, total, mode, enabled] : rows) {
            if (name) {
                app->session.DatabaseName = name;
                app->session.TotalRecords = total;
                app->session.DisplayMode = mode;
                app->window.RefreshMenus();
            }
            got << "";
            for (const char* item :
                 {"mnuEdit", "mnuEditDisplay", "mnuReports", "mnuToolsImport", "mnuToolsClear",
                  "mnuToolsUpdates", "mnuToolsCheck", "mnuToolsPublicDraw"})
                got.last() += app->action(item)->isEnabled() ? '1' : '0';
            want << enabled;
        }
        QCOMPARE(got, want);
    }

    // Whether the files are sound, said after a look at every page of both.
    void checkDatabaseSaysWhetherTheFilesAreSound() {
        const std::vector<DataRecord> records(3000, PickDatabase::entry({"Anne"}));
        app->openDatabase("shop", {"NAME"}, records);
        app->prompter.answerOk().answerOk().answerOk();
        app->action("mnuToolsCheck")->trigger();
        QCOMPARE(app->said(),
                 "SOUND! [Information] The database \"shop\" is sound: its records and its "
                 "history passed every check.");
        // A record whose index entry another program wrote its own way.
        sqlite3* other = nullptr;
        sqlite3_open(app->folder.file("shop.dat").toUtf8().constData(), &other);
        sqlite3_create_function(
            other, "key_order", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
            [](sqlite3_context* c, int, sqlite3_value**) { sqlite3_result_text(c, "?", 1, nullptr); },
            nullptr, nullptr);
        sqlite3_exec(other,
                     "CREATE TEMP TABLE one AS SELECT * FROM records LIMIT 1; UPDATE one SET id = "
                     "NULL; INSERT INTO records SELECT * FROM one",
                     nullptr, nullptr, nullptr);
        sqlite3_close(other);
        app->action("mnuToolsCheck")->trigger();
        QVERIFY2(app->prompter.last().text.contains("\r\nshop.dat: row 3001 missing from index key1"),
                 qPrintable(app->prompter.last().text));
        // An index page spoilt on disk, past what an open reads.
        QFile file(app->folder.file("shop.dat"));
        QVERIFY(file.open(QIODevice::ReadWrite));
        file.seek(file.size() - 4096);
        file.write(QByteArray(4096, '\x5a'));
        file.close();
        app->action("mnuToolsCheck")->trigger();
        const QString said = app->said();
        QVERIFY2(said.startsWith("DAMAGED! [Exclamation] The database \"shop\" is damaged:\r\n"
                                 "shop.dat: ") &&
                     !said.contains("shop.hst"),
                 qPrintable(said));
    }

    void clearOmitsAsksFirstThenRunsModallyUntilDone() {
        app->openDatabase("shop", {"NAME"}, {PickDatabase::entry({}, "T")});
        // Done closes the window each time it shows; the menu item's call waits for it.
        QStringList shown;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* window = app->window.findChild<QWidget*>("frmClearOmits");
            auto* done = window ? window->findChild<QPushButton*>("Command1") : nullptr;
            if (!done || !done->isVisible()) return;
            const bool modal =
                window->isWindow() && window->windowModality() == Qt::ApplicationModal;
            shown << (modal ? "modal" : "modeless");
            done->click();
        });
        poll.start(10);
        for (const bool yes : {false, true}) {
            app->prompter.answer(yes ? Prompter::Answer::Yes : Prompter::Answer::No);
            app->action("mnuToolsClear")->trigger();
            QCOMPARE(app->said(),
                     "CLEAR OMITS! [Question Yes/No] This routine will un-check all the checked "
                     "omits\r\nfrom the current database. Are you sure you want to do this?");
            QCOMPARE(shown, yes ? QStringList({"modal"}) : QStringList());
            QCOMPARE(RecordFromString<DataRecord>(trm_GetFirst(app->session.DataHandle, 1)).Omit,
                     QByteArray(yes ? "F" : "T"));
        }
    }

    // Every window a user can open: each control has a name a screen reader
    // says, and Escape closes the window as its Close button does.
    void everyWindowNamesItsControlsAndClosesOnEscape() {
        const DataRecord record = PickDatabase::entry({"Anne"});
        app->openDatabase("shop", {"NAME", "CITY"}, {record});
        app->addPick("shop", "07-04-2004", "14:05:09", {record});
        app->session.ReportKind = Session::ListingReport;
        app->window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&app->window));
        using W = Shell::Window;
        for (const W kind : {W::Create, W::Open, W::Display, W::Find, W::ReportViewer, W::History,
                             W::ImportMenu, W::Import, W::Export, W::Email, W::About, W::Help,
                             W::PublicDraw, W::InternetUpdate}) {
            app->window.showWindow(kind);
            QWidget* window = kind == W::InternetUpdate
                                  ? app->window.findChild<QWidget*>("frmInternetUpdate")
                                  : app->task(kind);
            QVERIFY(window);
            const QString name = window->objectName();
            QCOMPARE(unnamedControls(window).join(", "), QString());
            if (window->isWindow()) QApplication::setActiveWindow(window);
            QWidget* focus = QApplication::focusWidget();
            QVERIFY2(focus && window->isAncestorOf(focus), qPrintable(name));
            QTest::keyClick(focus, Qt::Key_Escape);
            AppHarness::settle();
            QVERIFY2(!app->window.findChild<QWidget*>(name), qPrintable(name));
        }
        AppContext context{app->session, app->prompter, app->clock, app->folder.folder(),
                           app->window};
        QCOMPARE(unnamedControls(ClearOmitsWindow(context).window()).join(", "), QString());
    }

    void taskWindowsOpenOnceActivateAndCloseWithTheirFrames() {
        app->window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&app->window));
        app->action("mnuFileCreate")->trigger();
        auto* field = app->control<QWidget>(kCreate, "txtField");
        QTRY_VERIFY(field && field->hasFocus());
        QTest::keyClick(&app->window, Qt::Key_F1);
        auto* guide = app->control<QTextBrowser>(Shell::Window::Help, "txtHelp");
        QVERIFY(guide && guide->toPlainText().contains("File, Create New"));
        QTRY_VERIFY(!field->hasFocus());
        app->action("mnuFileCreate")->trigger();
        QCOMPARE(app->window.mdiArea()->activeSubWindow(), app->window.subWindow(kCreate));
        QTRY_VERIFY(field->hasFocus());
        app->action("mnuHelpContents")->trigger();
        QCOMPARE(app->subWindowCount(), 2);

        app->action("mnuHelpAbout")->trigger();
        QWidget* about = app->task(Shell::Window::About);
        // No picture is shipped; the box opens all the same.
        QCOMPARE(AppHarness::captions(about),
                 QStringList({"RANDOLA 3.00 - [About]", "", "RANDOLA 3.00", "Built with:",
                              "Record Manager " + AboutText::recordManagerVersion(trm_Version()) +
                                  " over SQLite " + sqlite3_libversion(),
                              "libcurl " LIBCURL_VERSION " (mail)", "&Ok"}));
        QTRY_VERIFY(about->isActiveWindow());
        QTest::keyClick(about->focusWidget(), Qt::Key_Escape);
        app->control<QPushButton>(kCreate, "cmdClose")->click();
        AppHarness::settle();
        QCOMPARE(app->subWindowCount(), 1);
        app->action("mnuFileCreate")->trigger();
        QCOMPARE(app->subWindowCount(), 2);
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
