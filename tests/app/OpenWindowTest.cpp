#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "AppHarness.h"
#include "store/SessionDatabase.h"
#include "support/LockedPath.h"

class OpenWindowTest : public AppTest {
    Q_OBJECT

private slots:
    void windowCarriesItsCaptions();
    void listsDatabasesInNameOrderWithoutTheUninstallerBeforeAndAfterADelete();
    void openingShowsTheCountRefreshesTheMenusAndCloses();
    void enterOnANameOpensIt();
    void withNothingChosenOpenAndDeleteDoNothing();
    void aForeignDataFileGivesTheOpensOwnCodeAndOpensNothing();
    void missingFieldNamesAreReportedAndOpenNothing();
    void deletingTheOpenDatabaseClosesItFirst();
    void aDeleteNamesTheFilesThatWereMissing();
    void aDeleteAnsweredNoOrRefusedByTheFolderKeepsTheFiles();
    void closingRefreshesTheMenus();

private:
    void showOpen() {
        app->action("mnuFileOpen")->trigger();
        list = app->control<QListWidget>(Shell::Window::Open, "lbDbList");
        QVERIFY(list);
    }
    void choose(const QString& name) {
        const auto found = list->findItems(name, Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        list->setCurrentItem(found.first());
    }
    void click(const char* button) {
        app->control<QPushButton>(Shell::Window::Open, button)->click();
        AppHarness::settle();
    }
    void write(const QString& name, const QByteArray& bytes = "x") {
        QFile f(app->folder.file(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    void expectNoDatabase() {
        QVERIFY(!app->session.hasDatabase());
        QCOMPARE(app->session.DataHandle, 0);
        QCOMPARE(app->window.windowTitle(), QString("RANDOLA 3.00"));
        QVERIFY(!app->action("mnuEdit")->isEnabled());
    }

    QListWidget* list = nullptr;
};

void OpenWindowTest::windowCarriesItsCaptions() {
    showOpen();
    QWidget* w = app->task(Shell::Window::Open);
    QCOMPARE(w->objectName(), QString("frmOpen"));
    QCOMPARE(w->windowTitle(), QString("RANDOLA 3.00 - [Open A Database]"));
    QCOMPARE(w->findChild<QGroupBox*>("Frame1")->title(),
             QString("Select A Database To Open From Below:"));
    const std::pair<const char*, const char*> captions[] = {
        {"cmdOpen", "Open"}, {"cmdDelete", "Delete"}, {"cmdClose", "Close"}};
    for (const auto& [name, caption] : captions) {
        QCOMPARE(w->findChild<QPushButton*>(name)->text(), QString(caption));
    }
}

void OpenWindowTest::listsDatabasesInNameOrderWithoutTheUninstallerBeforeAndAfterADelete() {
    app->folder.createDatabase("shop", {"A"});
    app->folder.createDatabase("apple", {"A"});
    for (const char* name : {"unins000.dat", "UNINS000.DAT", "Zoo.dat", "Banana.DAT", "x.txt",
                             ".hidden.dat", "apple.dat.old", "dat"}) {
        write(name);
    }
    QDir(app->folder.path()).mkdir("folder.dat");
    showOpen();
    QCOMPARE(AppHarness::texts(list),
             QStringList({".hidden", "apple", "Banana", "shop", "UNINS000", "Zoo"}));
    choose("apple");
    app->prompter.answerYes().answerOk();
    click("cmdDelete");
    QCOMPARE(AppHarness::texts(list),
             QStringList({".hidden", "Banana", "shop", "UNINS000", "Zoo"}));
}

void OpenWindowTest::openingShowsTheCountRefreshesTheMenusAndCloses() {
    app->folder.createDatabase("shop", {"A"});
    app->folder.createDatabase("other", {"A"});
    QCOMPARE(SessionDatabase::Open(app->session, app->folder.folder(), "other"), 0);
    const int earlier = app->session.DataHandle;
    showOpen();
    choose("shop");
    click("cmdOpen");
    QCOMPARE(app->session.DatabaseName, QString("shop"));
    QCOMPARE(app->session.TotalRecords, 0);
    QVERIFY(trm_FileIsOpen(app->session.DataHandle));
    QVERIFY(earlier == app->session.DataHandle || !trm_FileIsOpen(earlier));
    QCOMPARE(app->window.windowTitle(), QString("RANDOLA 3.00 - [shop] [Total Records = 0]"));
    QVERIFY(!app->action("mnuToolsClear")->isEnabled());
    for (const char* on : {"mnuEdit", "mnuReports", "mnuToolsImport"}) {
        QVERIFY2(app->action(on)->isEnabled(), on);
    }
    QVERIFY(!app->task(Shell::Window::Open));
    app->window.MDIForm_Activate();
    QCOMPARE(app->window.windowTitle(), QString("RANDOLA 3.00 - [shop]"));
}

void OpenWindowTest::enterOnANameOpensIt() {
    app->folder.createDatabase("apple", {"A"});
    app->folder.createDatabase("shop", {"A"});
    showOpen();
    list->setCurrentRow(1, QItemSelectionModel::NoUpdate);
    QTest::keyClick(list, Qt::Key_Return);
    AppHarness::settle();
    QCOMPARE(app->session.DatabaseName, QString("shop"));
    QVERIFY(!app->task(Shell::Window::Open));
}

void OpenWindowTest::withNothingChosenOpenAndDeleteDoNothing() {
    app->folder.createDatabase("shop", {"A"});
    showOpen();
    click("cmdOpen");
    click("cmdDelete");
    QVERIFY(app->prompter.prompts().isEmpty());
    QVERIFY(app->task(Shell::Window::Open));
    QCOMPARE(app->folder.files().size(), 3);
}

void OpenWindowTest::aForeignDataFileGivesTheOpensOwnCodeAndOpensNothing() {
    app->folder.createDatabase("shop", {"A"});
    QCOMPARE(SessionDatabase::Open(app->session, app->folder.folder(), "shop"), 0);
    app->session.LastResult = 77;
    write("foreign.dat", QByteArray(2048, '\x7f'));
    showOpen();
    choose("foreign");
    app->prompter.answerOk();
    click("cmdOpen");
    app->expectPrompt("Internal Error! (30)\r\n" + trm_ResultText(TrmCode::NotADatabase), QString(),
                      Prompter::Icon::None);
    QCOMPARE(app->prompter.last().buttons, Prompter::Buttons::Ok);
    QCOMPARE(app->session.LastResult, TrmCode::NotADatabase);
    expectNoDatabase();
    QVERIFY(app->task(Shell::Window::Open));
}

void OpenWindowTest::missingFieldNamesAreReportedAndOpenNothing() {
    app->folder.createDatabase("shop", {"A"});
    QFile::remove(app->folder.file("shop.dfn"));
    showOpen();
    choose("shop");
    app->prompter.answerOk();
    click("cmdOpen");
    app->expectPrompt("The field definition file shop.dfn is missing.", "ERROR!",
                      Prompter::Icon::Exclamation);
    expectNoDatabase();
}

void OpenWindowTest::deletingTheOpenDatabaseClosesItFirst() {
    app->folder.createDatabase("shop", {"A"});
    app->folder.createDatabase("keep", {"A"});
    showOpen();
    choose("shop");
    click("cmdOpen");
    QCOMPARE(app->session.DatabaseName, QString("shop"));
    showOpen();
    choose("shop");
    app->prompter.answerYes().answerOk();
    click("cmdDelete");
    const FakePrompter::Prompt asked = app->prompter.prompts().at(0);
    QCOMPARE(asked.text,
             QString("This will permanently remove shop data and history!\r\nAre you sure you "
                     "want to do this?"));
    QCOMPARE(asked.title, QString("DELETE DATABASE!"));
    QCOMPARE(asked.icon, Prompter::Icon::Exclamation);
    QCOMPARE(asked.buttons, Prompter::Buttons::YesNo);
    app->expectPrompt("shop has been deleted!", "SUCCESS!", Prompter::Icon::Information);
    QCOMPARE(app->folder.files(), QStringList({"keep.dat", "keep.dfn", "keep.hst"}));
    expectNoDatabase();
    QCOMPARE(AppHarness::texts(list), QStringList({"keep"}));
}

void OpenWindowTest::aDeleteNamesTheFilesThatWereMissing() {
    app->folder.createDatabase(" shop", {"A"});
    QFile::remove(app->folder.file(" shop.hst"));
    showOpen();
    choose(" shop");
    app->prompter.answerYes().answerOk();
    click("cmdDelete");
    app->expectPrompt(
        " shop has been deleted!\r\nThese of its files were already missing:  shop.hst", "SUCCESS!",
        Prompter::Icon::Information);
    QCOMPARE(app->folder.files(), QStringList());
    QCOMPARE(list->count(), 0);
}

void OpenWindowTest::aDeleteAnsweredNoOrRefusedByTheFolderKeepsTheFiles() {
    app->folder.createDatabase("shop", {"A"});
    showOpen();
    choose("shop");
    app->prompter.answerNo();
    click("cmdDelete");
    QCOMPARE(app->folder.files().size(), 3);

    LockedPath lock(app->folder.path());
    if (!lock.locked()) QSKIP("this machine cannot lock a folder");
    choose("shop");
    app->prompter.answerYes().answerOk();
    click("cmdDelete");
    QVERIFY(app->prompter.last().text.startsWith("The file shop.dat could not be deleted: "));
    QCOMPARE(app->prompter.last().title, QString("ERROR!"));
    QCOMPARE(app->prompter.last().icon, Prompter::Icon::Exclamation);
    QCOMPARE(app->folder.files().size(), 3);
    QCOMPARE(AppHarness::texts(list), QStringList({"shop"}));
}

void OpenWindowTest::closingRefreshesTheMenus() {
    showOpen();
    app->session.DatabaseName = "shop";
    QVERIFY(!app->action("mnuEdit")->isEnabled());
    click("cmdClose");
    QVERIFY(app->action("mnuEdit")->isEnabled());
    QVERIFY(!app->task(Shell::Window::Open));
}

QTEST_MAIN(OpenWindowTest)
#include "OpenWindowTest.moc"
