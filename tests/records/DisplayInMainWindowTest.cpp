#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "app/AppHarness.h"
#include "records/DisplayWindow.h"
#include "store/SessionDatabase.h"

// The record window as the program opens it: inside the main window, from its
// menu, with the menus following its mode.
class DisplayInMainWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<AppHarness> app;

    DisplayWindow* display() const { return app->task<DisplayWindow>(Shell::Window::Display); }
    QPushButton* button(const char* name) const {
        return app->control<QPushButton>(Shell::Window::Display, name);
    }
    bool displayItemEnabled() const { return app->action("mnuEditDisplay")->isEnabled(); }

    void openRecordWindowInAddMode() {
        app->action("mnuEditDisplay")->trigger();
        QVERIFY(display());
        button("cmdNew")->click();
        app->control<QLineEdit>(Shell::Window::Display, "txtField(0)")->setText("ANN");
        QVERIFY(!displayItemEnabled());
    }

private slots:
    void init() {
        app = std::make_unique<AppHarness>();
        app->folder.createDatabase("club", {"NAME", "CITY"});
        QCOMPARE(SessionDatabase::Open(app->session, app->folder.folder(), "club"), 0);
        app->window.RefreshMenus();
    }
    void cleanup() {
        VERIFY_PROMPTS(app->prompter);
        app.reset();
    }

    void displayRecordsOpensTheWindowInBrowseMode() {
        app->action("mnuEditDisplay")->trigger();
        AppHarness::settle();
        QVERIFY(display());
        QVERIFY(display()->isVisible());
        QCOMPARE(app->session.DisplayMode, Session::BrowseMode);
        QCOMPARE(display()->windowTitle(), QStringLiteral("RANDOLA 3.00 - [Display] - [Browse]"));
        QCOMPARE(app->window.windowTitle(),
                 QStringLiteral("RANDOLA 3.00 - [club] [Total Records = 0]"));
        QCOMPARE(app->control<QLabel>(Shell::Window::Display, "lblField(1)")->text().trimmed(),
                 QStringLiteral("CITY"));
    }

    void menusFollowTheModeAtOnce() {
        openRecordWindowInAddMode();
        QVERIFY(!app->action("mnuToolsImport")->isEnabled());
        QVERIFY(!app->action("mnuToolsClear")->isEnabled());
        app->prompter.answerInput(QStringLiteral("2")).answerOk();
        button("cmdSave")->click();
        QVERIFY(displayItemEnabled());
        QVERIFY(app->action("mnuToolsClear")->isEnabled());
        QCOMPARE(app->window.windowTitle(),
                 QStringLiteral("RANDOLA 3.00 - [club] [Total Records = 2]"));
    }

    void closingTheFrameWhileTypingAsksFirst() {
        openRecordWindowInAddMode();
        QMdiSubWindow* frame = app->window.subWindow(Shell::Window::Display);
        app->prompter.answerNo();
        frame->close();
        AppHarness::settle();
        QVERIFY(display());
        QCOMPARE(app->session.DisplayMode, Session::AddMode);

        app->prompter.answerYes();
        frame->close();
        AppHarness::settle();
        QVERIFY(!display());
        QCOMPARE(app->session.DisplayMode, Session::BrowseMode);
        QVERIFY(displayItemEnabled());
        QCOMPARE(trm_Count(app->session.DataHandle), 0);
    }

    void closeButtonWhileTypingAsksAndTheMenuOpensTheWindowAgain() {
        openRecordWindowInAddMode();
        app->prompter.answerYes();
        button("cmdClose")->click();
        AppHarness::settle();
        QVERIFY(!display());
        QCOMPARE(app->subWindowCount(), 0);
        QVERIFY(displayItemEnabled());
        app->action("mnuEditDisplay")->trigger();
        QVERIFY(display());
        QCOMPARE(display()->windowTitle(), QStringLiteral("RANDOLA 3.00 - [Display] - [Browse]"));
    }

    void exitWhileTypingCanBeRefused() {
        openRecordWindowInAddMode();
        app->prompter.answerNo();
        app->window.close();
        AppHarness::settle();
        QVERIFY(app->window.isVisible());
        QVERIFY(display());
        QCOMPARE(app->session.DisplayMode, Session::AddMode);
    }

    void anotherDatabaseOpenedMeanwhileDropsWhatWasTyped() {
        openRecordWindowInAddMode();
        app->folder.createDatabase("shop", {"ITEM"});
        QCOMPARE(SessionDatabase::Open(app->session, app->folder.folder(), "shop"), 0);
        display()->Form_Activate();
        QCOMPARE(app->session.DisplayMode, Session::BrowseMode);
        QCOMPARE(app->control<QLineEdit>(Shell::Window::Display, "txtField(0)")->text(), QString());
        QCOMPARE(app->control<QLabel>(Shell::Window::Display, "lblField(0)")->text().trimmed(),
                 QStringLiteral("ITEM"));
        button("cmdSave")->click();  // nothing to save in Browse mode
        QCOMPARE(trm_Count(app->session.DataHandle), 0);
    }
};

QTEST_MAIN(DisplayInMainWindowTest)
#include "DisplayInMainWindowTest.moc"
