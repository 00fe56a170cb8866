#include "AppHarness.h"
#include "app/OpenDatabase.h"
#include "store/DefinitionFile.h"
#include "store/SessionDatabase.h"
#include "support/LockedPath.h"

constexpr auto kCreate = Shell::Window::Create;

class CreateWindowTest : public AppTest {
    Q_OBJECT

    QLineEdit* field = nullptr;
    QListWidget* list = nullptr;

    void start() override {
        app->action("mnuFileCreate")->trigger();
        field = app->control<QLineEdit>(kCreate, "txtField");
        list = app->control<QListWidget>(kCreate, "lbFieldList");
        QVERIFY(field && list);
    }
    void addFields(const QStringList& names) {
        for (const QString& n : names) {
            field->setText(n);
            QTest::keyClick(field, Qt::Key_Return);
        }
    }
    void clickCreate() { app->control<QPushButton>(kCreate, "cmdCreate")->click(); }
    void expectCreated(const QString& name) {
        app->expectPrompt("Database has been created!", "SUCCESS!", Icon::Information, 1);
        app->expectPrompt("Do you want to create another database?", "ANOTHER?", Icon::Question);
        QCOMPARE(app->window.windowTitle(), "RANDOLA 3.00 - [" + name + "] [Total Records = 0]");
    }

private slots:
    void fieldNamesAreCapitalisedCheckedAndTakenOffAgain() {
        QCOMPARE(AppHarness::captions(app->task(kCreate)),
                 QStringList({"RANDOLA 3.00 - [Create New Database]", "Enter Field To Create:",
                              "Created Fields:", "Ok", "Create", "Close"}));
        QCOMPARE(field->maxLength(), 25);

        const QString none = "You have not supplied a field name.";
        const QString letters = "You can only use characters 'A' thru 'Z' in a field name.";
        // typed, the entry box afterwards, message, title
        const std::tuple<const char*, const char*, QString, const char*> refused[] = {
            {"   ", "   ", none, "NO FIELD NAME!"},
            {"first name", "FIRST NAME", letters, "INVALID FORMAT!"},
            {"né", "NÉ", letters, "INVALID FORMAT!"},
            {"straße", "STRASSE", letters, "INVALID FORMAT!"},
        };
        for (const auto& [typed, shown, text, title] : refused) {
            app->prompter.answerOk();
            addFields({QString::fromUtf8(typed)});
            app->expectPrompt(text, title, Icon::Critical);
            QCOMPARE(field->text(), QString::fromUtf8(shown));
        }
        field->setText("item");
        app->control<QPushButton>(kCreate, "cmdOk")->click();
        QVERIFY(field->text().isEmpty());
        QStringList twelve = {"ITEM"};
        for (char c = 'B'; c < 'M'; ++c) twelve << QString(2, QLatin1Char(c));
        addFields(twelve.mid(1));
        app->prompter.answerOk();
        addFields({"extra"});
        app->expectPrompt("You can only create 12 field names.", "TO MANY FIELDS!", Icon::Critical);
        QCOMPARE(AppHarness::texts(list), twelve);
        // A click, or Delete on the current name, takes it off the list.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(1)).center());
        list->setCurrentRow(0);
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(AppHarness::texts(list), twelve.mid(2));
    }

    void createAsksForANameOpensTheDatabaseAndReplacesOneOnlyWhenTheUserAgrees() {
        app->prompter.answerOk();
        clickCreate();
        app->expectPrompt("You have not created any fields yet.", "NO FIELDS!", Icon::Critical);
        // Cancel and a blank name stop quietly; a path is refused before any file is written.
        addFields({"item", "colour", "size"});
        app->prompter.answerInput(std::nullopt).answerInput("   ");
        app->prompter.answerInput("sub/shop").answerOk();
        for (int i = 0; i < 3; ++i) clickCreate();
        app->expectPrompt("What is the name of your new database?", "NAME", Icon::None, 3);
        QCOMPARE(app->prompter.prompts().at(1).defaultText, QString());
        app->expectPrompt("A database name cannot contain the character \"/\".", "INVALID NAME!",
                          Icon::Critical);
        QCOMPARE(app->folder.files(), QStringList());

        app->prompter.answerInput("shop").answerOk().answerNo();
        clickCreate();
        expectCreated("shop");
        QCOMPARE(app->folder.files(), QStringList({"shop.dat", "shop.dfn", "shop.hst"}));
        const QByteArray threeFields = DefinitionFile::Build({"ITEM", "COLOUR", "SIZE"});
        QCOMPARE(app->folder.readAll("shop.dfn"), threeFields);
        // No to another: the window keeps its list.
        QCOMPARE(AppHarness::texts(list), QStringList({"ITEM", "COLOUR", "SIZE"}));

        // The open database holds a record; its files came from a system that ignores case.
        DataRecord r;
        r.Field[0] = "OLD";
        QCOMPARE(trm_Insert(app->session.DataHandle, RecordToString(r)), 0);
        QVERIFY(QFile::rename(app->folder.file("shop.dat"), app->folder.file("shop.DAT")));
        QVERIFY(QFile::rename(app->folder.file("shop.dfn"), app->folder.file("shop.DFN")));
        addFields({"price"});
        app->prompter.answerInput("shop").answerNo();
        clickCreate();
        app->expectPrompt("That database exists. Overwrite?", "OVERWRITE?", Icon::Exclamation);
        QCOMPARE(app->prompter.last().buttons, Prompter::Buttons::YesNo);
        QCOMPARE(app->folder.readAll("shop.DFN"), threeFields);

        // Yes: replaced whole; the old file's journal is cleared (a folder here: it blocks opens).
        QVERIFY(QDir(app->folder.path()).mkdir("shop.DAT-journal"));
        app->prompter.answerInput("shop").answerYes().answerOk().answerNo();
        clickCreate();
        expectCreated("shop");
        QCOMPARE(app->folder.files(), QStringList({"shop.DAT", "shop.DFN", "shop.hst"}));
        QCOMPARE(app->folder.readAll("shop.DFN"),
                 DefinitionFile::Build({"ITEM", "COLOUR", "SIZE", "PRICE"}));
        QCOMPARE(app->folder.readAll("shop.DFN").size(), 312);
        QCOMPARE(trm_Count(app->session.DataHandle), 0);

        // Yes to another: a fresh list. The name is taken as typed.
        app->prompter.answerInput(" second").answerOk().answerYes();
        clickCreate();
        expectCreated(" second");
        QCOMPARE(list->count(), 0);
    }

    void aFailedCreationSaysWhyAndLeavesFolderAndSessionAsTheyWere() {
        const QString failed = QStringLiteral(
            "There was an internal error creating database.\r\nDatabase has not been created. (");
        const QByteArray tooLong(252, 'n');
        // The name, and what to lock: "" the folder, null nothing.
        const std::pair<const char*, const char*> cases[] = {
            {"fresh", ""},                  // another database open
            {"shop", "shop.hst"},           // replacing the open database
            {tooLong.constData(), nullptr}  // too long for a file name
        };
        app->folder.createDatabase("shop", {"A"});
        app->write("shop.hst-journal", "journal");
        const auto contents = [&] {
            QMap<QString, QByteArray> all;
            for (const QString& f : app->folder.files()) all[f] = app->folder.readAll(f);
            return all;
        };
        for (const auto& [name, locked] : cases) {
            QCOMPARE(SessionDatabase::Open(app->session, app->folder.folder(), "shop"), 0);
            const auto before = contents();
            addFields({"name"});
            std::optional<LockedPath> lock;
            if (locked) lock.emplace(app->folder.file(locked));
            if (lock && !lock->locked()) QSKIP("this machine cannot lock a file or folder");
            app->prompter.answerInput(name);
            if (QString(name) == "shop") app->prompter.answerYes();
            app->prompter.answerOk();
            clickCreate();
            const QString text = app->prompter.last().text;
            QVERIFY2(text.startsWith(failed + QString::number(app->session.LastResult) + ")\r\n") &&
                         app->session.LastResult != 0 && text.size() > failed.size() + 8,
                     qPrintable(text));
            app->expectPrompt(text, "ERROR!", Icon::Exclamation);
            lock.reset();
            QCOMPARE(contents(), before);
            QCOMPARE(app->session.DatabaseName, QString("shop"));
            QVERIFY(trm_FileIsOpen(app->session.DataHandle));
        }
    }

    void aCreatedDatabaseThatWillNotOpenIsToldAsCreated() {
        // The record manager takes no path this long, though the folder takes the files.
        const QString deep = app->folder.path() + "/" + QString(200, 'd') + "/" + QString(200, 'd');
        QVERIFY(QDir().mkpath(deep));
        const DataFolder data(deep);
        MainWindow window(app->session, app->prompter, app->clock, data);
        window.show();
        window.findChild<QAction*>("mnuFileCreate")->trigger();
        QWidget* create = window.subWindow(kCreate)->widget();
        field = create->findChild<QLineEdit*>("txtField");
        addFields({"item"});
        const QString name(240, 'n');
        app->prompter.answerInput(name).answerOk().answerNo();
        create->findChild<QPushButton*>("cmdCreate")->click();
        app->expectPrompt("Database has been created, but it could not be opened.\r\n" +
                              OpenFailureText(app->session.LastResult, data.dataFile(name)),
                          "ERROR!", Icon::Exclamation, 1);
        QVERIFY(app->session.LastResult != 0);
        app->expectPrompt("Do you want to create another database?", "ANOTHER?", Icon::Question);
        QVERIFY(QFileInfo::exists(data.dataFile(name)) &&
                QFileInfo::exists(data.historyFile(name)));
        QCOMPARE(DefinitionFile::Read(data.definitionFile(name)).size(), 12u);
        QVERIFY(!app->session.hasDatabase());
        QCOMPARE(window.windowTitle(), QString("RANDOLA 3.00"));
    }
};

QTEST_MAIN(CreateWindowTest)
#include "CreateWindowTest.moc"
