#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "AppHarness.h"
#include "store/DefinitionFile.h"
#include "store/Records.h"
#include "store/SessionDatabase.h"
#include "support/LockedPath.h"

namespace {

const QString kCreated = QStringLiteral("Database has been created!");
const QString kFailed = QStringLiteral(
    "There was an internal error creating database.\r\nDatabase has not been created. (");

}  // namespace

class CreateWindowTest : public AppTest {
    Q_OBJECT

protected:
    void start() override {
        app->action("mnuFileCreate")->trigger();
        field = app->control<QLineEdit>(Shell::Window::Create, "txtField");
        list = app->control<QListWidget>(Shell::Window::Create, "lbFieldList");
        QVERIFY(field && list);
    }

private slots:
    void windowCarriesItsCaptions();
    void fieldNamesAreUpperCasedAndRefusedWhenNotLetters();
    void theTwelfthFieldIsAcceptedAndTheThirteenthRefused();
    void clickingANameTakesItOffTheList();
    void createAsksForFieldsThenANameAndStopsQuietlyOnNoName();
    void creationOpensTheNewDatabaseAndOffersAnother();
    void anExistingDatabaseIsReplacedOnlyWhenTheUserAgrees();
    void theOpenDatabaseIsClosedBeforeItIsReplaced();
    void aNameTheFileSystemRefusesIsRefusedBeforeAnyFileIsWritten();
    void aFailedCreationSaysWhyAndLeavesFolderAndSessionAsTheyWere();

private:
    void addFields(const QStringList& names) {
        for (const QString& n : names) {
            field->setText(n);
            QTest::keyClick(field, Qt::Key_Return);
        }
    }
    void clickCreate() { app->control<QPushButton>(Shell::Window::Create, "cmdCreate")->click(); }
    // The window as a user sees it: each file of the folder with its bytes.
    QMap<QString, QByteArray> folderContents() const {
        QMap<QString, QByteArray> all;
        for (const QString& f : app->folder.files()) all[f] = app->folder.readAll(f);
        return all;
    }

    QLineEdit* field = nullptr;
    QListWidget* list = nullptr;
};

void CreateWindowTest::windowCarriesItsCaptions() {
    QWidget* w = app->task(Shell::Window::Create);
    QCOMPARE(w->objectName(), QString("frmCreate"));
    QCOMPARE(w->windowTitle(), QString("RANDOLA 3.00 - [Create New Database]"));
    QCOMPARE(field->maxLength(), 25);
    const std::pair<const char*, const char*> captions[] = {
        {"cmdOk", "Ok"}, {"cmdCreate", "Create"}, {"cmdClose", "Close"}};
    for (const auto& [name, caption] : captions) {
        QCOMPARE(w->findChild<QPushButton*>(name)->text(), QString(caption));
    }
    QCOMPARE(w->findChild<QGroupBox*>("Frame2")->title(), QString("Enter Field To Create:"));
    QCOMPARE(w->findChild<QGroupBox*>("Frame1")->title(), QString("Created Fields:"));
}

void CreateWindowTest::fieldNamesAreUpperCasedAndRefusedWhenNotLetters() {
    struct Case {
        const char* typed;
        const char* shown;  // the entry box afterwards
        const char* text;
        const char* title;
    };
    const Case refused[] = {
        {"", "", "You have not supplied a field name.", "NO FIELD NAME!"},
        {"   ", "   ", "You have not supplied a field name.", "NO FIELD NAME!"},
        {"first name", "FIRST NAME", "You can only use characters 'A' thru 'Z' in a field name.",
         "INVALID FORMAT!"},
        {"item2", "ITEM2", "You can only use characters 'A' thru 'Z' in a field name.",
         "INVALID FORMAT!"},
        {"né", "NÉ", "You can only use characters 'A' thru 'Z' in a field name.",
         "INVALID FORMAT!"},
    };
    for (const Case& c : refused) {
        app->prompter.reset();
        app->prompter.answerOk();
        addFields({QString::fromUtf8(c.typed)});
        QCOMPARE(app->prompter.prompts().size(), 1);
        app->expectPrompt(c.text, c.title, Prompter::Icon::Critical);
        QCOMPARE(field->text(), QString::fromUtf8(c.shown));
        QCOMPARE(list->count(), 0);
    }
    app->prompter.reset();
    addFields({"item"});
    app->control<QLineEdit>(Shell::Window::Create, "txtField")->setText("colour");
    app->control<QPushButton>(Shell::Window::Create, "cmdOk")->click();
    QCOMPARE(AppHarness::texts(list), QStringList({"ITEM", "COLOUR"}));
    QVERIFY(field->text().isEmpty());
}

void CreateWindowTest::theTwelfthFieldIsAcceptedAndTheThirteenthRefused() {
    QStringList twelve;
    for (char c = 'A'; c < 'A' + 12; ++c) twelve << QString(2, QLatin1Char(c));
    addFields(twelve);
    QCOMPARE(AppHarness::texts(list), twelve);
    app->prompter.answerOk();
    addFields({"extra"});
    app->expectPrompt("You can only create 12 field names.", "TO MANY FIELDS!",
                      Prompter::Icon::Critical);
    QCOMPARE(AppHarness::texts(list), twelve);
}

void CreateWindowTest::clickingANameTakesItOffTheList() {
    addFields({"one", "two", "three", "two"});
    QListWidgetItem* second = list->item(1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(second).center());
    QCOMPARE(AppHarness::texts(list), QStringList({"ONE", "THREE", "TWO"}));
    list->setCurrentRow(0);
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(AppHarness::texts(list), QStringList({"THREE", "TWO"}));
}

void CreateWindowTest::createAsksForFieldsThenANameAndStopsQuietlyOnNoName() {
    app->prompter.answerOk();
    clickCreate();
    app->expectPrompt("You have not created any fields yet.", "NO FIELDS!",
                      Prompter::Icon::Critical);

    addFields({"name"});
    app->prompter.reset();
    app->prompter.answerInput(std::nullopt).answerInput("   ");
    clickCreate();
    clickCreate();
    const FakePrompter::Prompt asked = app->prompter.prompts().at(0);
    QCOMPARE(asked.kind, FakePrompter::Kind::Input);
    QCOMPARE(asked.text, QString("What is the name of your new database?"));
    QCOMPARE(asked.title, QString("NAME"));
    QCOMPARE(asked.defaultText, QString());
    QCOMPARE(app->prompter.prompts().size(), 2);
    QCOMPARE(app->folder.files(), QStringList());
    QCOMPARE(AppHarness::texts(list), QStringList({"NAME"}));
}

void CreateWindowTest::creationOpensTheNewDatabaseAndOffersAnother() {
    addFields({"item", "colour", "size"});
    app->prompter.answerInput("shop").answerOk().answerNo();
    clickCreate();
    app->expectPrompt(kCreated, "SUCCESS!", Prompter::Icon::Information, 1);
    app->expectPrompt("Do you want to create another database?", "ANOTHER?",
                      Prompter::Icon::Question);
    QCOMPARE(app->folder.files(), QStringList({"shop.dat", "shop.dfn", "shop.hst"}));
    QCOMPARE(app->folder.readAll("shop.dfn"), DefinitionFile::Build({"ITEM", "COLOUR", "SIZE"}));
    QCOMPARE(app->session.DatabaseName, QString("shop"));
    QVERIFY(trm_FileIsOpen(app->session.DataHandle));
    QCOMPARE(app->session.LastResult, 0);
    // Keyed on every field: a third key, no fourth.
    trm_GetEqual(app->session.DataHandle, 3, "X");
    QCOMPARE(trm_Result(app->session.DataHandle), TrmCode::KeyNotFound);
    trm_GetEqual(app->session.DataHandle, 4, "X");
    QCOMPARE(trm_Result(app->session.DataHandle), TrmCode::BadKeyNumber);
    QCOMPARE(app->window.windowTitle(), QString("RANDOLA 3.00 - [shop] [Total Records = 0]"));
    QVERIFY(app->action("mnuEdit")->isEnabled());
    QVERIFY(!app->action("mnuToolsClear")->isEnabled());
    // No: the window stays with its list.
    QVERIFY(app->task(Shell::Window::Create));
    QCOMPARE(AppHarness::texts(list), QStringList({"ITEM", "COLOUR", "SIZE"}));

    app->prompter.reset();
    app->prompter.answerInput(" second").answerOk().answerYes();
    clickCreate();
    QVERIFY(QFile::exists(app->folder.file(" second.dat")));
    QCOMPARE(app->window.windowTitle(), QString("RANDOLA 3.00 - [ second] [Total Records = 0]"));
    QCOMPARE(list->count(), 0);
    QVERIFY(field->text().isEmpty());
}

void CreateWindowTest::anExistingDatabaseIsReplacedOnlyWhenTheUserAgrees() {
    app->folder.createDatabase("shop", {"A", "B", "C", "D"});
    const QByteArray oldDefinitions = app->folder.readAll("shop.dfn");
    addFields({"name"});
    app->prompter.answerInput("shop").answerNo();
    clickCreate();
    app->expectPrompt("That database exists. Overwrite?", "OVERWRITE?",
                      Prompter::Icon::Exclamation);
    QCOMPARE(app->prompter.prompts().at(1).buttons, Prompter::Buttons::YesNo);
    QCOMPARE(app->folder.readAll("shop.dfn"), oldDefinitions);
    QVERIFY(!app->session.hasDatabase());

    app->prompter.reset();
    app->prompter.answerInput("shop").answerYes().answerOk().answerNo();
    clickCreate();
    app->expectPrompt(kCreated, "SUCCESS!", Prompter::Icon::Information, 1);
    QCOMPARE(app->folder.readAll("shop.dfn"), DefinitionFile::Build({"NAME"}));
    QCOMPARE(app->folder.readAll("shop.dfn").size(), 312);
}

void CreateWindowTest::theOpenDatabaseIsClosedBeforeItIsReplaced() {
    app->folder.createDatabase("shop", {"A"});
    QCOMPARE(SessionDatabase::Open(app->session, app->folder.folder(), "shop"), 0);
    DataRecord r;
    r.Field[0] = "OLD";
    QCOMPARE(trm_Insert(app->session.DataHandle, RecordToString(r)), 0);
    const int oldHandle = app->session.DataHandle;

    addFields({"name", "city"});
    app->prompter.answerInput("shop").answerYes().answerOk().answerNo();
    clickCreate();
    app->expectPrompt(kCreated, "SUCCESS!", Prompter::Icon::Information, 1);
    QVERIFY(!trm_FileIsOpen(oldHandle) || oldHandle == app->session.DataHandle);
    QCOMPARE(app->session.TotalRecords, 0);
    QCOMPARE(trm_Count(app->session.DataHandle), 0);
    QCOMPARE(app->window.windowTitle(), QString("RANDOLA 3.00 - [shop] [Total Records = 0]"));
}

void CreateWindowTest::aNameTheFileSystemRefusesIsRefusedBeforeAnyFileIsWritten() {
    QDir(app->folder.path()).mkdir("sub");
    addFields({"name"});
    app->prompter.answerInput("sub/shop").answerOk();
    clickCreate();
    app->expectPrompt("A database name cannot contain the character \"/\".", "INVALID NAME!",
                      Prompter::Icon::Critical);
    QCOMPARE(app->folder.files(), QStringList());
    QVERIFY(QDir(app->folder.file("sub")).isEmpty());
    QVERIFY(!app->session.hasDatabase());
}

void CreateWindowTest::aFailedCreationSaysWhyAndLeavesFolderAndSessionAsTheyWere() {
    struct Case {
        const char* what;
        const char* name;
        const char* lock;  // "" locks the folder
    };
    const QByteArray tooLong(252, 'n');
    const Case cases[] = {
        {"read-only folder, another database open", "fresh", ""},
        {"replacing the open database, one of its files locked", "shop", "shop.hst"},
        {"a name too long for a file", tooLong.constData(), nullptr},
    };
    app->folder.createDatabase("shop", {"A"});
    QFile journal(app->folder.file("shop.hst-journal"));
    QVERIFY(journal.open(QIODevice::WriteOnly) && journal.write("journal") == 7);
    journal.close();
    for (const Case& c : cases) {
        QCOMPARE(SessionDatabase::Open(app->session, app->folder.folder(), "shop"), 0);
        app->window.ShowCountedTitle();
        const auto before = folderContents();
        addFields({"name"});
        std::optional<LockedPath> lock;
        if (c.lock) lock.emplace(app->folder.file(c.lock));
        if (lock && !lock->locked()) QSKIP("this machine cannot lock a file or folder");
        app->prompter.reset();
        app->prompter.answerInput(c.name);
        if (QString(c.name) == "shop") app->prompter.answerYes();
        app->prompter.answerOk();
        clickCreate();
        const FakePrompter::Prompt shown = app->prompter.last();
        QVERIFY2(
            shown.text.startsWith(kFailed + QString::number(app->session.LastResult) + ")\r\n"),
            qPrintable(shown.text));
        QVERIFY2(app->session.LastResult != 0, c.what);
        QVERIFY(shown.text.size() > kFailed.size() + 8);
        QCOMPARE(shown.title, QString("ERROR!"));
        QCOMPARE(shown.icon, Prompter::Icon::Exclamation);
        lock.reset();
        QCOMPARE(folderContents(), before);
        QCOMPARE(app->session.DatabaseName, QString("shop"));
        QVERIFY(trm_FileIsOpen(app->session.DataHandle));
        QCOMPARE(app->window.windowTitle(), QString("RANDOLA 3.00 - [shop] [Total Records = 0]"));
        VERIFY_PROMPTS(app->prompter);
    }
}

QTEST_MAIN(CreateWindowTest)
#include "CreateWindowTest.moc"
