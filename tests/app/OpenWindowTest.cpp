#include "AppHarness.h"
#include "records/PickDatabase.h"
#include "store/DefinitionFile.h"
#include "store/RecordText.h"
#include "support/CutOffCreation.h"
#include "support/EarlierVersionFile.h"
#include "support/LockedPath.h"

constexpr auto kOpen = Shell::Window::Open;

class OpenWindowTest : public AppTest {
    Q_OBJECT

    QListWidget* list = nullptr;

    void showOpen() {
        app->action("mnuFileOpen")->trigger();
        list = app->control<QListWidget>(kOpen, "lbDbList");
        QVERIFY(list);
    }
    void choose(const QString& name) {
        list->setCurrentItem(list->findItems(name, Qt::MatchExactly).value(0));
    }
    void click(const char* button) {
        app->control<QPushButton>(kOpen, button)->click();
        AppHarness::settle();
    }
    void expectNoDatabase() {
        QCOMPARE(app->window.windowTitle(), QString("RANDOLA 3.00"));
        QVERIFY(!app->session.hasDatabase() && app->session.DataHandle == 0);
        QVERIFY(!app->action("mnuEdit")->isEnabled());
    }

private slots:
    void listsOpensAndDeletesDatabasesAndSaysWhyWhenItCannot() {
        app->folder.createDatabase(" shop", {"A"});
        app->folder.createDatabase("nodefs", {"A"});
        QFile::remove(app->folder.file("nodefs.dfn"));
        for (const char* name : {"unins000.dat", "UNINS000.DAT", "Zoo.dat", "Banana.DAT", "x.txt",
                                 ".hidden.dat", "apple.dat.old", "dat"})
            app->write(name, "x");
        QDir(app->folder.path()).mkdir("folder.dat");
        showOpen();
        QCOMPARE(AppHarness::captions(app->task(kOpen)),
                 QStringList({"RANDOLA 3.00 - [Open A Database]",
                              "Select A Database To Open From Below:", "Open", "Delete", "Close"}));
        QCOMPARE(AppHarness::texts(list),
                 QStringList({" shop", ".hidden", "Banana", "nodefs", "UNINS000", "Zoo"}));
        click("cmdOpen");
        click("cmdDelete");
        QVERIFY(app->prompter.prompts().isEmpty());

        // A refused open says why, leaves nothing open and keeps the window.
        const std::pair<const char*, QString> refused[] = {
            {"nodefs", "ERROR! [Exclamation] The field definition file nodefs.dfn is missing."},
            {"Zoo",
             " [None] Internal Error! (30)\r\nZoo.dat: " + trm_ResultText(TrmCode::NotADatabase)},
        };
        app->session.LastResult = 77;
        for (const auto& [name, said] : refused) {
            QCOMPARE(SessionDatabase::Open(app->session, app->folder.folder(), " shop"), 0);
            const int earlier = app->session.DataHandle;
            choose(name);
            app->prompter.answerOk();
            click("cmdOpen");
            QCOMPARE(app->said(), said);
            expectNoDatabase();
            // Not even the handle the refused open took is left open.
            for (int h = earlier; h <= earlier + 2; ++h) QVERIFY(!trm_FileIsOpen(h));
            QVERIFY(app->task(kOpen));
        }
        QCOMPARE(app->session.LastResult, TrmCode::NotADatabase);

        // Capitals in the extension are found; what is missing is named.
        choose("Banana");
        app->prompter.answerYes().answerOk();
        click("cmdDelete");
        QCOMPARE(app->said(),
                 "SUCCESS! [Information] Banana has been deleted!\r\nThese of its files were "
                 "already missing: Banana.hst, Banana.dfn");

        // Enter opens the name, counts its records and closes the window.
        list->setCurrentRow(0, QItemSelectionModel::NoUpdate);
        QTest::keyClick(list, Qt::Key_Return);
        AppHarness::settle();
        QVERIFY(!app->task(kOpen) && trm_FileIsOpen(app->session.DataHandle));
        QCOMPARE(app->window.windowTitle(), QString("RANDOLA 3.00 - [ shop] [Total Records = 0]"));
        QVERIFY(app->action("mnuEdit")->isEnabled() && !app->action("mnuToolsClear")->isEnabled());
        app->window.MDIForm_Activate();
        QCOMPARE(app->window.windowTitle(), QString("RANDOLA 3.00 - [ shop]"));

        // Deleting the open database closes it first.
        showOpen();
        choose(" shop");
        app->prompter.answerYes().answerOk();
        click("cmdDelete");
        QCOMPARE(app->said(1),
                 "DELETE DATABASE! [Exclamation Yes/No] This will permanently remove  shop data "
                 "and history!\r\nAre you sure you want to do this?");
        QCOMPARE(app->said(), "SUCCESS! [Information]  shop has been deleted!");
        expectNoDatabase();
        for (const QString& f : app->folder.files()) QVERIFY(!f.startsWith(" shop"));
        const QStringList left = {".hidden", "nodefs", "UNINS000", "Zoo"};
        QCOMPARE(AppHarness::texts(list), left);

        // Answered No, or refused by the folder, the files stay.
        choose("nodefs");
        app->prompter.answerNo();
        click("cmdDelete");
        QVERIFY(app->said().startsWith("DELETE DATABASE! [Exclamation Yes/No] "));
        const QStringList files = app->folder.files();
        LockedPath lock(app->folder.path());
        if (!lock.locked()) QSKIP("this machine cannot lock a folder");
        choose("nodefs");
        app->prompter.answerYes().answerOk();
        click("cmdDelete");
        QVERIFY(app->said().startsWith(
            "ERROR! [Exclamation] The file nodefs.dat could not be deleted: "));
        QCOMPARE(app->folder.files(), files);
        QCOMPARE(AppHarness::texts(list), left);
    }

    // Never read as if its Windows-1252 were UTF-8: converted whole when first
    // opened, equal keys in the order they were added, a value too long for
    // its field once in UTF-8 cut between characters, and the files as they
    // were kept aside.
    void aDatabaseOfTheEarlierVersionIsConvertedWhenOpenedAndWhatWasCutIsKept() {
        const auto earlier = [](const QByteArray& name, const QByteArray& notes, qint32 times = 0) {
            DataRecord r = PickDatabase::entry({name}, "F", times);
            r.Notes = notes;
            return r;
        };
        const QByteArray tooLong(50, '\xE9');  // fifty letters, a hundred bytes in UTF-8
        QByteArrayList records;
        for (const DataRecord& r :
             {earlier("Zo\xEB", "first", 3), earlier("ann", "second"), earlier("Caf\xE9", "\x80 5"),
              earlier("ANN", "fourth"), earlier(tooLong, "long")})
            records << RecordToString(r);
        DefinitionFile::Write(app->folder.file("old.dfn"), {"NAME"});
        WriteEarlierVersionFile(app->folder.file("old.dat"), {"NAME"}, records);
        WriteEarlierVersionFile(
            app->folder.file("old.hst"), {"NAME"},
            {RecordToString(HistoryRecord{earlier("Zo\xEB", ""), "07-04-2004", "14:05:09  "})});
        const QByteArray before = app->folder.readAll("old.dat");
        QCOMPARE(trm_Open(app->folder.file("old.dat"), 0), -TrmCode::EarlierVersion);
        QCOMPARE(app->folder.readAll("old.dat"), before);

        showOpen();
        choose("old");
        app->prompter.answerOk();
        click("cmdOpen");
        QCOMPARE(app->said(),
                 "CONVERTED! [Information] The database \"old\" has been converted for this "
                 "version of RANDOLA. 1 value was too long for its field once written in UTF-8 "
                 "and was cut to fit; the files as they were are kept as old.dat.earlier.");
        QCOMPARE(app->window.windowTitle(), QString("RANDOLA 3.00 - [old] [Total Records = 5]"));
        QStringList walked;
        const int data = app->session.DataHandle;
        for (QByteArray r = trm_GetFirst(data, 1); !r.isEmpty(); r = trm_GetNext(data)) {
            const DataRecord d = RecordFromString<DataRecord>(r);
            walked << RecordText::toUnicode(RecordText::trimmed(d.Field[0]) + "|" +
                                            RecordText::trimmed(d.Notes)) +
                          "|" + QString::number(d.TimesPicked);
        }
        QCOMPARE(walked, QStringList({"ann|second|0", "ANN|fourth|0", "Café|€ 5|0", "Zoë|first|3",
                                      QString(25, u'é') + "|long|0"}));
        const int history = trm_Open(app->folder.file("old.hst"), 0);
        const QByteArray picked = trm_GetFirst(history, 1);
        trm_Close(history);
        QCOMPARE(picked.left(4) + picked.mid(880), QByteArray("Zo\xC3\xAB"
                                                              "07-04-200414:05:09  "));
        QCOMPARE(app->folder.readAll("old.dat.earlier"), before);
        QCOMPARE(app->folder.files(),
                 QStringList({"old.dat", "old.dat.earlier", "old.dfn", "old.hst"}));
    }

    void aCreationCutOffByACrashIsMendedAtStartAndWhenTheDatabasesAreListed() {
        const QStringList earlier = {"shop.dat", "shop.dfn", "shop.hst"};
        app->folder.createDatabase("shop", {"A"});
        // Cut off with the earlier files hidden and the new data file in: undone.
        CutOffCreation::Leave(app->folder, "shop", 4);
        {
            const LockedPath lock(app->folder.path());
            if (!lock.locked()) QSKIP("this machine cannot lock a folder");
            app->prompter.answerOk();
            showOpen();
            const QString told = app->said();
            QVERIFY2(told.startsWith("ERROR! [Exclamation] The creation of the database \"shop\" "
                                     "was cut off and could not be finished or undone.\r\nThe "
                                     "earlier files could not be put back: shop.dat: ") &&
                         told.endsWith("\r\nIt is tried again the next time the databases are "
                                       "listed."),
                     qPrintable(told));
            QCOMPARE(AppHarness::texts(list), QStringList({"shop"}));
        }
        app->task(kOpen)->close();
        AppHarness::settle();
        showOpen();
        QCOMPARE(app->folder.files(), earlier);
        QCOMPARE(SessionDatabase::Open(app->session, app->folder.folder(), "shop"), 0);
        SessionDatabase::Close(app->session);

        // Cut off once the new files were all in: finished, at the next start.
        CutOffCreation::Leave(app->folder, "shop", 6);
        QCOMPARE(app->folder.files().size(), earlier.size() + 4);
        MainWindow restarted(app->session, app->prompter, app->clock, app->folder.folder());
        QCOMPARE(app->folder.files(), earlier);
        QCOMPARE(app->folder.readAll("shop.dat"), QByteArray("new shop.dat"));
    }
};

QTEST_MAIN(OpenWindowTest)
#include "OpenWindowTest.moc"
