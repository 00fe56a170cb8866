#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTextBrowser>
#include <QtTest>
#include <memory>

#include <curl/curl.h>
#include <sqlite3.h>
#include "app/AboutText.h"
#include "store/SessionDatabase.h"

#include "AppHarness.h"

class MainWindowTest : public AppTest {
    Q_OBJECT

private slots:
    void menusCarryTheirNamesAndCaptionsInOrder();
    void startsWithNoDatabaseAndOnlyFileToolsUpdatesAndHelpUsable();
    void refreshLeavesAnItemNoRuleSpeaksOfAsItWas();
    void titleCountsRecordsOnlyWhenAskedAndDropsThemOnActivation();
    void clearOmitsAnsweredNoChangesNothing();
    void clearOmitsAnsweredYesRunsModallyUntilDone();
    void aTaskWindowOpensOnceCentredAndIsBroughtForward();
    void activatingATaskWindowCallsItsActivation();
    void aTaskWindowClosingItselfTakesItsFrameAlong();
    void exitClosesTheMainWindow();
    void aboutBoxNamesTheComponentsAndClosesOnEscape();
    void helpOpensTheGuideFromContentsAndF1();

private:
};

void MainWindowTest::menusCarryTheirNamesAndCaptionsInOrder() {
    struct Menu {
        const char* name;
        const char* caption;
        QStringList items;  // name=caption, "-name" for a separator
    };
    const Menu menus[] = {
        {"mnuFile",
         "&File",
         {"mnuFileCreate=Create New", "-bar1", "mnuFileOpen=Open Database", "-bar2",
          "mnuFileExit=Exit"}},
        {"mnuEdit", "&Display", {"mnuEditDisplay=Display Records"}},
        {"mnuReports", "&Reports", {"mnuReportListing=Print Listing", "mnuReportHistory=History"}},
        {"mnuTools",
         "&Tools",
         {"mnuToolsImport=Import/Export", "mnuToolsClear=Clear Omits", "-bar5",
          "mnuToolsUpdates=Check For Updates"}},
        {"mnuHelp", "&Help", {"mnuHelpAbout=&About", "-bar6", "mnuHelpContents=&Contents"}},
    };
    const QList<QAction*> bar = app->window.menuBar()->actions();
    QCOMPARE(bar.size(), int(std::size(menus)));
    for (int m = 0; m < bar.size(); ++m) {
        QMenu* menu = bar[m]->menu();
        QVERIFY(menu);
        QCOMPARE(menu->objectName(), QString(menus[m].name));
        QCOMPARE(menu->title(), QString(menus[m].caption));
        QStringList items;
        for (QAction* a : menu->actions()) {
            items << (a->isSeparator() ? "-" + a->objectName() : a->objectName() + "=" + a->text());
        }
        QCOMPARE(items, menus[m].items);
    }
    QCOMPARE(app->window.objectName(), QString("frmMain"));
}

void MainWindowTest::startsWithNoDatabaseAndOnlyFileToolsUpdatesAndHelpUsable() {
    QCOMPARE(app->window.windowTitle(), QString("RANDOLA 3.00"));
    for (const char* off : {"mnuEdit", "mnuReports", "mnuToolsImport", "mnuToolsClear"}) {
        QVERIFY2(!app->action(off)->isEnabled(), off);
    }
    for (const char* on : {"mnuFile", "mnuFileCreate", "mnuFileOpen", "mnuFileExit", "mnuTools",
                           "mnuToolsUpdates", "mnuHelp", "mnuHelpAbout", "mnuHelpContents"}) {
        QVERIFY2(app->action(on)->isEnabled(), on);
    }
}

void MainWindowTest::refreshLeavesAnItemNoRuleSpeaksOfAsItWas() {
    Session& s = app->session;
    s.DatabaseName = "shop";
    s.DisplayMode = Session::AddMode;
    app->window.RefreshMenus();
    QVERIFY(!app->action("mnuEditDisplay")->isEnabled());
    QVERIFY(!app->action("mnuToolsImport")->isEnabled());
    QVERIFY(app->action("mnuEdit")->isEnabled());

    s.DatabaseName.clear();
    app->window.RefreshMenus();
    QVERIFY(!app->action("mnuEdit")->isEnabled());
    QVERIFY(!app->action("mnuEditDisplay")->isEnabled());

    s.DatabaseName = "shop";
    s.DisplayMode = Session::BrowseMode;
    app->window.RefreshMenus();
    QVERIFY(app->action("mnuEditDisplay")->isEnabled());
    QVERIFY(app->action("mnuToolsClear")->isEnabled());
}

void MainWindowTest::titleCountsRecordsOnlyWhenAskedAndDropsThemOnActivation() {
    app->session.DatabaseName = "shop";
    app->session.TotalRecords = 12;
    app->window.ShowCountedTitle();
    QCOMPARE(app->window.windowTitle(), QString("RANDOLA 3.00 - [shop] [Total Records = 12]"));
    app->window.MDIForm_Activate();
    QCOMPARE(app->window.windowTitle(), QString("RANDOLA 3.00 - [shop]"));
    QVERIFY(app->action("mnuEdit")->isEnabled());
    app->session.DatabaseName = " ";
    app->window.ShowCountedTitle();
    QCOMPARE(app->window.windowTitle(), QString("RANDOLA 3.00"));
}

void MainWindowTest::clearOmitsAnsweredNoChangesNothing() {
    app->session.DatabaseName = "shop";
    app->session.TotalRecords = 3;
    app->window.RefreshMenus();
    app->prompter.answerNo();
    app->action("mnuToolsClear")->trigger();
    const FakePrompter::Prompt asked = app->prompter.last();
    QCOMPARE(asked.text, QString("This routine will un-check all the checked omits\r\nfrom the "
                                 "current database. Are you sure you want to do this?"));
    QCOMPARE(asked.title, QString("CLEAR OMITS!"));
    QCOMPARE(asked.icon, Prompter::Icon::Question);
    QCOMPARE(asked.buttons, Prompter::Buttons::YesNo);
    QCOMPARE(app->subWindowCount(), 0);
    const QWidgetList shown = QApplication::topLevelWidgets();
    QCOMPARE(std::count_if(shown.begin(), shown.end(), [](QWidget* w) { return w->isVisible(); }),
             1);
}

void MainWindowTest::clearOmitsAnsweredYesRunsModallyUntilDone() {
    app->folder.createDatabase("shop", {"NAME"});
    QCOMPARE(SessionDatabase::Open(app->session, app->folder.folder(), "shop"), 0);
    DataRecord omitted;
    omitted.Field[0] = "Ann";
    omitted.Omit = "T";
    QCOMPARE(trm_Insert(app->session.DataHandle, RecordToString(omitted)), 0);
    app->session.TotalRecords = 1;
    app->window.RefreshMenus();
    app->prompter.answerYes();

    // The window holds the menu item's call until Done closes it.
    bool wasModal = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* window = app->window.findChild<QWidget*>("frmClearOmits");
        auto* done = window ? window->findChild<QPushButton*>("Command1") : nullptr;
        if (!done || !done->isVisible()) return;
        wasModal = window->isWindow() && window->windowModality() == Qt::ApplicationModal;
        poll.stop();
        done->click();
    });
    poll.start(10);
    app->action("mnuToolsClear")->trigger();

    QVERIFY(wasModal);
    QCOMPARE(app->subWindowCount(), 0);
    QCOMPARE(RecordFromString<DataRecord>(trm_GetFirst(app->session.DataHandle, 1)).Omit,
             QByteArray("F"));
}

void MainWindowTest::aTaskWindowOpensOnceCentredAndIsBroughtForward() {
    app->action("mnuFileCreate")->trigger();
    app->action("mnuFileOpen")->trigger();
    QCOMPARE(app->subWindowCount(), 2);
    QMdiSubWindow* create = app->window.subWindow(Shell::Window::Create);
    QVERIFY(create);
    QCOMPARE(create->widget()->objectName(), QString("frmCreate"));
    const QSize space = app->window.mdiArea()->viewport()->size();
    QCOMPARE(create->x(), (space.width() - create->width()) / 2);
    QCOMPARE(create->y(), (space.height() - create->height()) / 4);

    QCOMPARE(app->window.mdiArea()->activeSubWindow(), app->window.subWindow(Shell::Window::Open));
    app->action("mnuFileCreate")->trigger();
    QCOMPARE(app->subWindowCount(), 2);
    QCOMPARE(app->window.mdiArea()->activeSubWindow(), create);
}

void MainWindowTest::activatingATaskWindowCallsItsActivation() {
    app->window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&app->window));
    app->action("mnuFileCreate")->trigger();
    auto* field = app->control<QWidget>(Shell::Window::Create, "txtField");
    QVERIFY(field);
    QTRY_VERIFY(field->hasFocus());

    app->action("mnuFileOpen")->trigger();
    QTRY_VERIFY(!field->hasFocus());
    app->window.mdiArea()->setActiveSubWindow(app->window.subWindow(Shell::Window::Create));
    QTRY_VERIFY(field->hasFocus());
}

void MainWindowTest::aTaskWindowClosingItselfTakesItsFrameAlong() {
    app->action("mnuFileCreate")->trigger();
    app->control<QPushButton>(Shell::Window::Create, "cmdClose")->click();
    AppHarness::settle();
    QCOMPARE(app->subWindowCount(), 0);
    QVERIFY(!app->window.subWindow(Shell::Window::Create));
    // And it opens afresh afterwards.
    app->action("mnuFileCreate")->trigger();
    QCOMPARE(app->subWindowCount(), 1);
}

void MainWindowTest::exitClosesTheMainWindow() {
    app->action("mnuFileCreate")->trigger();
    app->action("mnuFileExit")->trigger();
    AppHarness::settle();
    QVERIFY(!app->window.isVisible());
    QCOMPARE(app->subWindowCount(), 0);
}

void MainWindowTest::aboutBoxNamesTheComponentsAndClosesOnEscape() {
    app->window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&app->window));
    app->action("mnuHelpAbout")->trigger();
    QWidget* about = app->task(Shell::Window::About);
    QVERIFY(about);
    QCOMPARE(about->objectName(), QString("frmAbout"));
    QCOMPARE(about->windowTitle(), QString("RANDOLA 3.00 - [About]"));
    const auto text = [&](const char* name) { return about->findChild<QLabel*>(name)->text(); };
    QCOMPARE(text("Label1"), QString("RANDOLA 3.00"));
    QCOMPARE(text("Label4"), "Record Manager " + AboutText::recordManagerVersion(trm_Version()) +
                                 " over SQLite " + QString::fromLatin1(sqlite3_libversion()));
    QCOMPARE(text("Label6"), "libcurl " + QString::fromLatin1(LIBCURL_VERSION) + " (mail)");
    // Without a picture anywhere the box opens all the same.
    QVERIFY(about->findChild<QLabel*>("Image1")->pixmap().isNull());
    QCOMPARE(about->findChild<QPushButton*>("cmdOk")->text(), QString("&Ok"));
    QTRY_VERIFY(about->isActiveWindow());
    QTest::keyClick(about->focusWidget(), Qt::Key_Escape);
    AppHarness::settle();
    QCOMPARE(app->subWindowCount(), 0);
}

void MainWindowTest::helpOpensTheGuideFromContentsAndF1() {
    app->action("mnuHelpContents")->trigger();
    auto* guide = app->control<QTextBrowser>(Shell::Window::Help, "txtHelp");
    QVERIFY(guide);
    QVERIFY(guide->toPlainText().contains("File, Create New"));
    app->window.subWindow(Shell::Window::Help)->close();
    AppHarness::settle();
    QCOMPARE(app->subWindowCount(), 0);

    app->window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&app->window));
    QTest::keyClick(&app->window, Qt::Key_F1);
    QVERIFY(app->task(Shell::Window::Help));
}

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
