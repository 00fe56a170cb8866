#include "AppHarness.h"
#include "app/OpenDatabase.h"
#include "store/DefinitionFile.h"
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
        QCOMPARE(app->said(1), "SUCCESS! [Information] Database has been created!");
        QCOMPARE(app->said(), "ANOTHER? [Question Yes/No] Do you want to create another database?");
        QCOMPARE(app->window.windowTitle(), "RANDOLA 3.00 - [" + name + "] [Total Records = 0]");
    }

private slots:
    void fieldNamesAreCapitalisedCheckedAndTakenOffAgain() {
        QCOMPARE(AppHarness::captions(app->task(kCreate)),
                 QStringList({"RANDOLA 3.00 - [Create New Database]", "Enter Field To Create:",
                              "Created Fields:", "Ok", "Create", "Close"}));
        QCOMPARE(field->maxLength(), 25);

        const QString letters =
            "INVALID FORMAT! [Critical] You can only use characters 'A' thru 'Z' in a field name.";
        // typed, the entry box afterwards, the prompt
        const std::tuple<const char*, const char*, QString> refused[] = {
            {"   ", "   ", "NO FIELD NAME! [Critical] You have not supplied a field name."},
            {"first name", "FIRST NAME", letters},
            {"né", "NÉ", letters},
            {"straße", "STRASSE", letters},
        };
        for (const auto& [typed, shown, said] : refused) {
            app->prompter.answerOk();
            addFields({QString::fromUtf8(typed)});
            QCOMPARE(app->said(), said);
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
        QCOMPARE(app->said(3), "NAME [input: ] What is the name of your new database?");
        QCOMPARE(app->said(),
                 "INVALID NAME! [Critical] A database name cannot contain the character \"/\".");
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
        QCOMPARE(app->said(), "OVERWRITE? [Exclamation Yes/No] That database exists. Overwrite?");
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
            "ERROR! [Exclamation] There was an internal error "
            "creating database.\r\nDatabase has not been created. (");
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
            const QString said = app->said();
            QVERIFY2(said.startsWith(failed + QString::number(app->session.LastResult) + ")\r\n") &&
                         app->session.LastResult != 0 && said.size() > failed.size() + 8,
                     qPrintable(said));
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
        QCOMPARE(app->said(1),
                 "ERROR! [Exclamation] Database has been created, but it could not be "
                 "opened.\r\n" +
                     OpenFailureText(app->session.LastResult, data.dataFile(name)));
        QVERIFY(app->session.LastResult != 0);
        QCOMPARE(app->said(), "ANOTHER? [Question Yes/No] Do you want to create another database?");
        QVERIFY(QFileInfo::exists(data.dataFile(name)) &&
                QFileInfo::exists(data.historyFile(name)));
        QCOMPARE(DefinitionFile::Read(data.definitionFile(name)).size(), 12u);
        QVERIFY(!app->session.hasDatabase());
        QCOMPARE(window.windowTitle(), QString("RANDOLA 3.00"));
    }
};

QTEST_MAIN(CreateWindowTest)
#include "CreateWindowTest.moc"
