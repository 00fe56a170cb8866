#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "records/DisplayWindow.h"
#include "store/Clock.h"
#include "store/CodePage.h"
#include "store/RecordManager.h"
#include "store/Session.h"
#include "support/FakePrompter.h"
#include "support/FakeShell.h"
#include "support/TestFolder.h"

namespace {

using Icon = Prompter::Icon;

DataRecord entry(const QByteArray& name, const QByteArray& city = {}) {
    DataRecord r;
    r.Field[0] = name;
    r.Field[1] = city;
    r.DateEntered = "01-02-2003";
    r.TimesPicked = 4;
    r.Omit = "F";
    return r;
}

// A database of three records ANN < BOB < CY, opened as the program opens one,
// and the record window on it with its fakes.
struct Fixture {
    explicit Fixture(const QStringList& fields = {"NAME", "CITY"}) {
        folder.createDatabase(QStringLiteral("club"), fields);
        session.DatabaseName = QStringLiteral("club");
        session.DataHandle = trm_Open(folder.folder().dataFile(QStringLiteral("club")), 0);
        session.DisplayMode = Session::BrowseMode;
        for (const char* name : {"CY", "ANN", "BOB"}) add(entry(name, "ROME"));
        window = std::make_unique<DisplayWindow>(context);
        window->show();
        QApplication::setActiveWindow(window.get());
        window->Form_Activate();
    }
    ~Fixture() {
        window.reset();
        trm_CloseAll();
    }

    void add(const DataRecord& r) {
        trm_Insert(session.DataHandle, RecordToString(r));
        session.TotalRecords = trm_Count(session.DataHandle);
    }
    template <typename T = QWidget>
    T* get(const QString& name) const {
        T* found = window->findChild<T*>(name);
        if (!found) qFatal("no control %s", qPrintable(name));
        return found;
    }
    QLineEdit* box(const QString& name) const { return get<QLineEdit>(name); }
    QLineEdit* field(int index) const { return box(QStringLiteral("txtField(%1)").arg(index)); }
    void click(const QString& button) const {
        QTest::mouseClick(get<QPushButton>(button), Qt::LeftButton);
    }
    QString shownName() const { return field(0)->text().trimmed(); }
    // The first fields of the file along key 1.
    QStringList names() const {
        QStringList seen;
        for (QByteArray r = trm_GetFirst(session.DataHandle, 1); !r.isEmpty();
             r = trm_GetNext(session.DataHandle)) {
            seen << CodePage::toUnicode(
                CodePage::trimmed(RecordFromString<DataRecord>(r).Field[0]));
        }
        return seen;
    }
    // What another window does between two clicks here.
    void fetchElsewhere() const { trm_GetLast(session.DataHandle, 1); }
    void typeNewRecord() const {
        click("cmdNew");
        field(0)->setText("DORA");
        field(1)->setText("KIEV");
    }

    TestFolder folder;
    Session session;
    FakePrompter prompter;
    FixedClock clock{QDateTime(QDate(2026, 3, 9), QTime(14, 5, 9))};
    FakeShell shell;
    AppContext context{session, prompter, clock, folder.folder(), shell};
    std::unique_ptr<DisplayWindow> window;
};

}  // namespace

class DisplayWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Fixture> f;

    void expectBrowsing(bool browsing) {
        for (int i = 0; i < DisplayWindow::UserFields; ++i) {
            QCOMPARE(f->field(i)->isEnabled(), !browsing);
        }
        for (const char* name :
             {"txtDateEntered", "txtLastPicked", "txtNotes", "txtTimesPicked", "cbOmit"}) {
            QCOMPARE(f->get(name)->isEnabled(), !browsing);
        }
        for (const char* name : {"cmdFirst", "cmdPrevious", "cmdNext", "cmdLast", "cmdFind",
                                 "cmdNew", "cmdEdit", "cmdDelete", "cmdPick"}) {
            QCOMPARE(f->get(name)->isEnabled(), browsing);
        }
        QVERIFY(!f->get("frameResults")->isEnabled());
        QVERIFY(f->get("cmdSave")->isEnabled() && f->get("cmdClose")->isEnabled());
    }

    void expectLastPrompt(const QString& text, const QString& title, Icon icon,
                          Prompter::Buttons buttons = Prompter::Buttons::Ok) {
        const FakePrompter::Prompt last = f->prompter.last();
        QCOMPARE(last.text, text);
        QCOMPARE(last.title, title);
        QCOMPARE(last.icon, icon);
        QCOMPARE(last.buttons, buttons);
    }

    // A failure is told with its reason, nothing claims success, the window
    // keeps its mode, and the file its records.
    void expectFailureTold(const QString& reason, qint16 mode, const QStringList& names) {
        const FakePrompter::Prompt last = f->prompter.last();
        QCOMPARE(last.title, QStringLiteral("ERROR!"));
        QCOMPARE(last.icon, Icon::Exclamation);
        QVERIFY2(last.text.contains(reason), qPrintable(last.text));
        for (const FakePrompter::Prompt& p : f->prompter.prompts()) QVERIFY(p.title != "SUCCESS!");
        QCOMPARE(f->session.DisplayMode, mode);
        QCOMPARE(f->names(), names);
        QCOMPARE(f->session.TotalRecords, names.size());
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void init() { f = std::make_unique<Fixture>(); }
    void cleanup() {
        const std::unique_ptr<Fixture> done = std::move(f);  // gone even when the check fails
        VERIFY_PROMPTS(done->prompter);
    }

    void fieldRowsAndTabOrder() {
        QCOMPARE(f->get<QLabel>("lblField(0)")->text(), QStringLiteral("NAME").leftJustified(25));
        for (int i = 0; i < 12; ++i) QCOMPARE(f->field(i)->isVisible(), i < 2);
        QStringList order;
        for (int i = 0; i < 12; ++i) order << QStringLiteral("txtField(%1)").arg(i);
        order << "txtDateEntered"
              << "txtLastPicked"
              << "txtTimesPicked"
              << "cbOmit"
              << "txtNotes"
              << "cmdFirst"
              << "cmdPrevious"
              << "cmdNext"
              << "cmdLast"
              << "cmdFind"
              << "cmdNew"
              << "cmdEdit"
              << "cmdDelete"
              << "cmdSave"
              << "cmdPick"
              << "lbResults"
              << "cmdEmailResults"
              << "cmdExportResults"
              << "cmdPrintResults"
              << "cmdClose";
        QStringList chain;
        QWidget* w = f->field(0);
        do {
            if (order.contains(w->objectName())) chain << w->objectName();
            w = w->nextInFocusChain();
        } while (w != f->field(0));
        QCOMPARE(chain, order);

        // Enter moves on like Tab, over hidden rows, and types nothing.
        f->click("cmdNew");
        QTest::keyClick(f->field(0), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), f->field(1));
        QTest::keyClick(f->field(1), Qt::Key_Enter);
        QCOMPARE(QApplication::focusWidget(), f->box("txtDateEntered"));
        QCOMPARE(f->field(0)->text(), QString());
    }

    void titleAndControlsFollowTheMode_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("title");
        QTest::newRow("browse") << 1 << "RANDOLA 3.00 - [Display] - [Browse]";
        QTest::newRow("add") << 2 << "RANDOLA 3.00 - [Display] - [Add]";
        QTest::newRow("edit") << 3 << "RANDOLA 3.00 - [Display] - [Edit]";
    }
    void titleAndControlsFollowTheMode() {
        QFETCH(int, mode);
        QFETCH(QString, title);
        f->get("frameResults")->setEnabled(true);  // as a pick leaves it
        f->session.DisplayMode = qint16(mode);
        const int titles = f->shell.countedTitles;
        f->window->ApplyMode();
        QCOMPARE(f->window->windowTitle(), title);
        expectBrowsing(mode == Session::BrowseMode);
        QCOMPARE(f->shell.countedTitles, titles + 1);
        // Any other mode: the plain title, and every control as it was.
        f->session.DisplayMode = 0;
        f->window->ApplyMode();
        QCOMPARE(f->window->windowTitle(), QStringLiteral("RANDOLA 3.00 - [Display]"));
        expectBrowsing(mode == Session::BrowseMode);
    }

    void arrowsStopAtEitherEndAndStepFromTheShownRecord() {
        const std::tuple<const char*, const char*, int> steps[] = {
            {"cmdFirst", "ANN", 0},    {"cmdNext", "BOB", 0},     {"cmdNext", "CY", 0},
            {"cmdNext", "CY", 9},      {"cmdPrevious", "BOB", 0}, {"cmdPrevious", "ANN", 0},
            {"cmdPrevious", "ANN", 9}, {"cmdLast", "CY", 0},      {"cmdPrevious", "BOB", 0},
        };
        for (const auto& [button, name, code] : steps) {
            f->fetchElsewhere();
            f->session.LastResult = code == 0 ? 0 : -1;
            f->click(button);
            QCOMPARE(f->shownName(), QString(name));
            QCOMPARE(CodePage::trimmed(f->session.CurrentRecord.Field[0]), QByteArray(name));
            QCOMPARE(f->session.LastResult, code);
        }
    }

    void recordShownWholeAndReadBackAsStored() {
        DataRecord r = entry("AARON", "LIMA");
        r.TimesPicked = 258;
        r.Notes = "notes";
        r.Omit = "t";  // only an upper-case T omits
        f->add(r);
        f->click("cmdFirst");
        QCOMPARE(f->field(0)->text(), QStringLiteral("AARON").leftJustified(50));
        QCOMPARE(f->box("txtNotes")->text(), QStringLiteral("notes").leftJustified(255));
        QCOMPARE(f->box("txtTimesPicked")->text(), QStringLiteral("258"));
        QVERIFY(!f->get<QCheckBox>("cbOmit")->isChecked());
        f->window->ReadControls();
        r.Omit = "F";
        QCOMPARE(RecordToString(f->session.CurrentRecord), RecordToString(r));
    }

    void readControlsRepairsWhatCannotBeStored_data() {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("dateKept");
        QTest::addColumn<qint32>("countKept");
        const auto row = [](const char* name, const char* date, const char* count,
                            const char* dateKept, qint32 countKept) {
            QTest::newRow(name) << QString(date) << QString(count) << QString(dateKept)
                                << countKept;
        };
        row("short form", "7/4/2004", "12", "7/4/2004", 12);
        row("hyphenated", "07-04-2004", "0", "07-04-2004", 0);
        row("iso", "2004-07-04", "2.5", "2004-07-04", 2);
        row("letters", "soon", "many", "03-09-2026", 0);
        row("empty", "", "", "03-09-2026", 0);
        row("no such day", "02-30-2004", "-5", "03-09-2026", 0);
    }
    void readControlsRepairsWhatCannotBeStored() {
        QFETCH(QString, date);
        QFETCH(QString, count);
        QFETCH(QString, dateKept);
        QFETCH(qint32, countKept);
        f->click("cmdNew");
        QCOMPARE(f->box("txtDateEntered")->text(), QStringLiteral("3/9/2026"));
        f->box("txtDateEntered")->setText(date);
        f->box("txtTimesPicked")->setText(count);
        f->window->ReadControls();
        QCOMPARE(f->box("txtDateEntered")->text(), dateKept);
        QCOMPARE(f->box("txtTimesPicked")->text(), QString::number(countKept));
        QCOMPARE(f->session.CurrentRecord.DateEntered, CodePage::field(dateKept, 10));
        QCOMPARE(f->session.CurrentRecord.TimesPicked, countKept);
    }

    void multiSave_data() {
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::addColumn<int>("copies");
        const std::pair<const char*, int> answers[] = {
            {"3", 3},  {"2.5", 2}, {"3.5", 4}, {" 1 ", 1}, {"0", 0},
            {"-2", 0}, {"0.5", 0}, {"", 0},    {"abc", 0}, {"3000000000", 0},
        };
        for (const auto& [answer, copies] : answers) {
            const QByteArray tag = '"' + QByteArray(answer) + '"';
            QTest::newRow(tag.constData()) << std::optional<QString>(answer) << copies;
        }
        QTest::newRow("cancelled") << std::optional<QString>() << 0;
    }
    void multiSave() {
        QFETCH(std::optional<QString>, answer);
        QFETCH(int, copies);
        f->typeNewRecord();
        f->prompter.answerInput(answer);
        if (copies > 0) f->prompter.answerOk();
        f->click("cmdSave");
        const FakePrompter::Prompt asked = f->prompter.prompts().first();
        QCOMPARE(asked.text, QStringLiteral("How many copies to save? (0=None):"));
        QCOMPARE(asked.title, QStringLiteral("MULTI-SAVE"));
        QCOMPARE(asked.defaultText, QStringLiteral("1"));
        QCOMPARE(f->names().count("DORA"), copies);
        QCOMPARE(f->session.TotalRecords, 3 + copies);
        QCOMPARE(f->shownName(), QStringLiteral("DORA"));
        if (copies == 0) {
            QCOMPARE(f->prompter.prompts().size(), 1);
            QCOMPARE(f->session.DisplayMode, Session::AddMode);
            return;
        }
        expectLastPrompt("There were " + *answer + " copies added.", "SUCCESS!", Icon::Information);
        QCOMPARE(f->window->windowTitle(), QStringLiteral("RANDOLA 3.00 - [Display] - [Browse]"));
        DataRecord copy = entry("DORA", "KIEV");
        copy.DateEntered = "3/9/2026";
        copy.TimesPicked = 0;
        QCOMPARE(RecordAtPosition(f->session.DataHandle, 880, 4), RecordToString(copy));
    }

    void aFailedMultiSaveKeepsNoCopyAndTheEntry() {
        f->typeNewRecord();
        trm_FailAfter(1, TrmCode::IoError);  // the second copy cannot be written
        f->prompter.answerInput(QStringLiteral("3")).answerOk();
        f->click("cmdSave");
        trm_FailAfter(-1, 0);
        expectFailureTold(trm_ResultText(TrmCode::IoError), Session::AddMode, {"ANN", "BOB", "CY"});
        QCOMPARE(f->session.LastResult, TrmCode::IoError);
        QCOMPARE(f->field(1)->text(), QStringLiteral("KIEV"));
        expectBrowsing(false);
    }

    void editAndDeleteActOnTheShownRecord() {
        f->click("cmdEdit");  // nothing shown: refused silently
        QCOMPARE(f->session.DisplayMode, Session::BrowseMode);
        f->click("cmdFirst");
        f->click("cmdNext");
        f->fetchElsewhere();
        f->click("cmdEdit");
        QCOMPARE(QApplication::focusWidget(), f->field(0));
        // Room to type after the value, though the box showed it padded.
        QTest::keyClick(f->field(0), Qt::Key_End);
        QTest::keyClicks(f->field(0), "BY");
        QCOMPARE(f->field(0)->text(), QStringLiteral("BOBBY"));
        f->field(0)->setText("ZED");
        f->fetchElsewhere();
        f->prompter.answerOk();
        f->click("cmdSave");
        expectLastPrompt("The record has been updated!", "SUCCESS!", Icon::Information);
        QCOMPARE(f->names(), (QStringList{"ANN", "CY", "ZED"}));
        QCOMPARE(f->session.DisplayMode, Session::BrowseMode);

        f->prompter.answerNo();
        f->click("cmdDelete");
        expectLastPrompt("Delete this record! Are you sure?", "DELETE!", Icon::Exclamation,
                         Prompter::Buttons::YesNo);
        QCOMPARE(f->names().size(), 3);
        f->fetchElsewhere();
        f->prompter.answerYes();
        f->click("cmdDelete");
        QCOMPARE(f->names(), (QStringList{"ANN", "CY"}));
        QCOMPARE(f->session.TotalRecords, 2);
        DataRecord blank;
        blank.DateEntered = "3/9/2026";
        blank.Omit = "F";
        QCOMPARE(RecordToString(f->session.CurrentRecord), RecordToString(blank));
        QCOMPARE(f->box("txtTimesPicked")->text(), QStringLiteral("0"));
        f->click("cmdDelete");  // nothing shown: no question
    }

    void aSavedEntryIsTheRecordEditedNext() {
        f->typeNewRecord();
        f->prompter.answerInput(QStringLiteral("2")).answerOk().answerOk();
        f->click("cmdSave");
        f->fetchElsewhere();
        f->click("cmdEdit");
        f->field(0)->setText("EVE");
        f->click("cmdSave");
        QCOMPARE(f->names(), (QStringList{"ANN", "BOB", "CY", "DORA", "EVE"}));
    }

    void editStartsFromTheRecordAsStoredNow() {
        f->click("cmdFirst");
        DataRecord stamped = entry("ANN", "ROME");  // a pick stamps it meanwhile
        stamped.LastPicked = "03-09-2026";
        stamped.TimesPicked = 5;
        trm_Update(f->session.DataHandle, RecordToString(stamped));
        f->click("cmdEdit");
        QCOMPARE(f->box("txtTimesPicked")->text(), QStringLiteral("5"));
        f->prompter.answerOk();
        f->click("cmdSave");
        QCOMPARE(RecordAtPosition(f->session.DataHandle, 880, 1), RecordToString(stamped));
    }

    void failedUpdatesAndDeletesSayWhy() {
        f->click("cmdFirst");
        f->click("cmdEdit");
        f->field(0)->setText("ZED");
        trm_FailAfter(0, TrmCode::ReadOnly);
        f->prompter.answerOk();
        f->click("cmdSave");
        trm_FailAfter(-1, 0);
        expectFailureTold(trm_ResultText(TrmCode::ReadOnly), Session::EditMode,
                          {"ANN", "BOB", "CY"});
        QCOMPARE(f->shownName(), QStringLiteral("ZED"));

        trm_GetFirst(f->session.DataHandle, 1);
        trm_Delete(f->session.DataHandle);  // gone from under the window
        f->session.TotalRecords = 2;
        f->prompter.answerOk();
        f->click("cmdSave");
        expectFailureTold("no longer", Session::EditMode, {"BOB", "CY"});

        f->session.DisplayMode = Session::BrowseMode;
        f->window->ApplyMode();
        f->click("cmdLast");
        trm_FailAfter(0, TrmCode::IoError);
        f->prompter.answerYes().answerOk();
        f->click("cmdDelete");
        trm_FailAfter(-1, 0);
        expectFailureTold(trm_ResultText(TrmCode::IoError), Session::BrowseMode, {"BOB", "CY"});
        QCOMPARE(f->shownName(), QStringLiteral("CY"));
    }

    void aRecordHandedOverIsShownOnActivation() {
        f->typeNewRecord();
        f->session.CurrentRecord =
            RecordFromString<DataRecord>(trm_GetEqual(f->session.DataHandle, 1, "BOB"));
        f->session.FoundRecordPending = true;
        f->window->Form_Activate();  // not over a record being typed
        QCOMPARE(f->shownName(), QStringLiteral("DORA"));
        f->session.DisplayMode = Session::BrowseMode;
        f->window->Form_Activate();
        QVERIFY(!f->session.FoundRecordPending);
        QCOMPARE(f->shownName(), QStringLiteral("BOB"));
        f->fetchElsewhere();
        f->click("cmdNext");
        QCOMPARE(f->shownName(), QStringLiteral("CY"));
    }
};

QTEST_MAIN(DisplayWindowTest)
#include "DisplayWindowTest.moc"
