#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "app/AppHarness.h"
#include "records/DisplayWindow.h"
#include "store/SessionDatabase.h"

// The record window as the program opens it: from Display Records, inside the
// main window, with the menus following its mode.
class DisplayInMainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<AppHarness> app;

    DisplayWindow* display() const { return app->task<DisplayWindow>(Shell::Window::Display); }
    template <typename T = QPushButton>
    T* control(const char* name) const {
        return app->control<T>(Shell::Window::Display, name);
    }
    bool displayItemEnabled() const { return app->action("mnuEditDisplay")->isEnabled(); }

private slots:
    void init() {
        app = std::make_unique<AppHarness>();
        app->folder.createDatabase("club", {"NAME", "CITY"});
        QCOMPARE(SessionDatabase::Open(app->session, app->folder.folder(), "club"), 0);
        app->window.RefreshMenus();
        app->action("mnuEditDisplay")->trigger();
        QVERIFY(display());
        QCOMPARE(display()->windowTitle(), QStringLiteral("RANDOLA 3.00 - [Display] - [Browse]"));
        QCOMPARE(control<QLabel>("lblField(1)")->text().trimmed(), QStringLiteral("CITY"));
        control("cmdNew")->click();
        control<QLineEdit>("txtField(0)")->setText("ANN");
    }
    void cleanup() {
        const std::unique_ptr<AppHarness> done = std::move(app);  // gone even when the check fails
        VERIFY_PROMPTS(done->prompter);
    }

    void menusFollowTheModeAtOnce() {
        QVERIFY(!displayItemEnabled());
        QVERIFY(!app->action("mnuToolsImport")->isEnabled());
        app->prompter.answerInput(QStringLiteral("2")).answerOk();
        control("cmdSave")->click();
        QVERIFY(displayItemEnabled());
        QCOMPARE(app->window.windowTitle(),
                 QStringLiteral("RANDOLA 3.00 - [club] [Total Records = 2]"));
    }

    void closingWhileTypingAsksAndLeavesBrowseMode() {
        app->prompter.answerNo();
        app->window.subWindow(Shell::Window::Display)->close();
        app->prompter.answerNo();
        app->window.close();  // File, Exit
        AppHarness::settle();
        QVERIFY(display() && app->window.isVisible());
        QCOMPARE(app->session.DisplayMode, Session::AddMode);

        app->prompter.answerYes();
        control("cmdClose")->click();
        AppHarness::settle();
        QVERIFY(!display());
        QCOMPARE(app->session.DisplayMode, Session::BrowseMode);
        QVERIFY(displayItemEnabled());
        QCOMPARE(trm_Count(app->session.DataHandle), 0);
    }

    void anotherDatabaseOpenedMeanwhileDropsWhatWasTyped() {
        app->folder.createDatabase("shop", {"ITEM"});
        QCOMPARE(SessionDatabase::Open(app->session, app->folder.folder(), "shop"), 0);
        display()->Form_Activate();
        QCOMPARE(app->session.DisplayMode, Session::BrowseMode);
        QCOMPARE(control<QLineEdit>("txtField(0)")->text(), QString());
        QCOMPARE(control<QLabel>("lblField(0)")->text().trimmed(), QStringLiteral("ITEM"));
    }
};

QTEST_MAIN(DisplayInMainWindowTest)
#include "DisplayInMainWindowTest.moc"
