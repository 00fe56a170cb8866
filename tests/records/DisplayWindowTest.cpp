#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "records/DisplayWindow.h"
#include "records/TypedValues.h"
#include "store/Clock.h"
#include "store/CodePage.h"
#include "store/RecordManager.h"
#include "store/Session.h"
#include "support/FakePrompter.h"
#include "support/FakeShell.h"
#include "support/TestFolder.h"

namespace {

const QDate kToday(2026, 3, 9);

const QStringList kDataBoxes = {"txtDateEntered", "txtLastPicked", "txtNotes", "txtTimesPicked",
                                "cbOmit"};
const QStringList kBrowseButtons = {"cmdFirst", "cmdPrevious", "cmdNext", "cmdLast",
                                    "cmdFind",  "cmdNew",      "cmdEdit", "cmdDelete"};

DataRecord entry(const QByteArray& name, const QByteArray& city = {}) {
    DataRecord r;
    r.Field[0] = name;
    r.Field[1] = city;
    r.DateEntered = "01-02-2003";
    r.LastPicked = "";
    r.TimesPicked = 4;
    r.Omit = "F";
    r.Notes = "notes of " + name;
    return r;
}

QString padded(const QString& text, int width) {
    return text.leftJustified(width, QLatin1Char(' '));
}

// A database opened as the program opens one, a session, and the window with
// its fakes.
struct Fixture {
    explicit Fixture(const QStringList& fields) {
        folder.createDatabase(QStringLiteral("club"), fields);
        session.DatabaseName = QStringLiteral("club");
        session.DataHandle = trm_Open(folder.folder().dataFile(QStringLiteral("club")), 0);
        session.DisplayMode = Session::BrowseMode;
    }
    ~Fixture() {
        window.reset();
        trm_CloseAll();
    }

    qint64 add(const DataRecord& r) {
        trm_Insert(session.DataHandle, RecordToString(r));
        session.TotalRecords = trm_Count(session.DataHandle);
        return trm_GetPosition(session.DataHandle);
    }

    DisplayWindow* open() {
        window = std::make_unique<DisplayWindow>(context);
        window->show();
        window->Form_Activate();
        return window.get();
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

    // First fields of the file along key 1.
    QStringList names() const {
        QStringList seen;
        for (QByteArray r = trm_GetFirst(session.DataHandle, 1); !r.isEmpty();
             r = trm_GetNext(session.DataHandle)) {
            seen << CodePage::toUnicode(
                CodePage::trimmed(RecordFromString<DataRecord>(r).Field[0]));
        }
        return seen;
    }
    QString shownName() const { return field(0)->text().trimmed(); }

    TestFolder folder;
    Session session;
    FakePrompter prompter;
    FixedClock clock{QDateTime(kToday, QTime(14, 5, 9))};
    FakeShell shell;
    AppContext context{session, prompter, clock, folder.folder(), shell};
    std::unique_ptr<DisplayWindow> window;
};

}  // namespace

class DisplayWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Fixture> f;

    // A database of three records A < B < C with the window open on it.
    void openThree() {
        f = std::make_unique<Fixture>(QStringList{"NAME", "CITY"});
        f->add(entry("CY", "OSLO"));
        f->add(entry("ANN", "ROME"));
        f->add(entry("BOB", "LIMA"));
        f->open();
    }

    void typeNewRecord() {
        f->click("cmdNew");
        f->field(0)->setText("DORA");
        f->field(1)->setText("KIEV");
        f->box("txtNotes")->setText("typed");
    }

    void expectModeControls(bool browsing) {
        for (int i = 0; i < DisplayWindow::UserFields; ++i) {
            QCOMPARE(f->field(i)->isEnabled(), !browsing);
        }
        for (const QString& name : kDataBoxes) QCOMPARE(f->get(name)->isEnabled(), !browsing);
        for (const QString& name : kBrowseButtons) QCOMPARE(f->get(name)->isEnabled(), browsing);
        QVERIFY(!f->get("frameResults")->isEnabled());
        QVERIFY(f->get("cmdSave")->isEnabled());
        QCOMPARE(f->get("cmdPick")->isEnabled(), browsing);
        QVERIFY(f->get("cmdClose")->isEnabled());
    }

    void expectLastPrompt(const QString& text, const QString& title, Prompter::Icon icon,
                          Prompter::Buttons buttons = Prompter::Buttons::Ok) {
        const FakePrompter::Prompt last = f->prompter.last();
        QCOMPARE(last.text, text);
        QCOMPARE(last.title, title);
        QCOMPARE(last.icon, icon);
        QCOMPARE(last.buttons, buttons);
    }

    // A failure is told with its reason, and nothing claims success.
    void expectFailureTold(const QString& reason) {
        const FakePrompter::Prompt last = f->prompter.last();
        QCOMPARE(last.title, QStringLiteral("ERROR!"));
        QCOMPARE(last.icon, Prompter::Icon::Exclamation);
        QVERIFY2(last.text.contains(reason), qPrintable(last.text));
        for (const FakePrompter::Prompt& p : f->prompter.prompts()) {
            QVERIFY(p.title != QStringLiteral("SUCCESS!"));
        }
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void cleanup() {
        if (f) VERIFY_PROMPTS(f->prompter);
        f.reset();
    }

    void controlsCarryTheirNamesCaptionsAndTabOrder() {
        openThree();
        QCOMPARE(f->window->objectName(), QStringLiteral("frmDisplay"));
        const std::pair<const char*, const char*> captions[] = {
            {"cmdFirst", "|<<"},
            {"cmdPrevious", "<<"},
            {"cmdNext", ">>"},
            {"cmdLast", ">>|"},
            {"cmdFind", "Find"},
            {"cmdNew", "New"},
            {"cmdEdit", "Edit"},
            {"cmdDelete", "Delete"},
            {"cmdSave", "Save"},
            {"cmdPick", "RANDOLA"},
            {"cmdPrintResults", "Print"},
            {"cmdExportResults", "Export"},
            {"cmdEmailResults", "Email"},
            {"cmdClose", "Close"},
        };
        for (const auto& [name, caption] : captions) {
            QCOMPARE(f->get<QPushButton>(name)->text(), QString::fromLatin1(caption));
        }
        const QStringList fixed = {"Date Entered", "Last Picked", "Times Picked", "Omit From Pick",
                                   "Notes"};
        for (int i = 0; i < fixed.size(); ++i) {
            QCOMPARE(f->get<QLabel>(QStringLiteral("lblField(%1)").arg(12 + i))->text(), fixed[i]);
        }
        QCOMPARE(f->get<QGroupBox>("frameResults")->title(),
                 QStringLiteral("Results From Current Pick:"));
        QVERIFY(f->get<QListWidget>("lbResults")->parentWidget() == f->get("frameResults"));
        QCOMPARE(f->field(0)->maxLength(), 50);

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
    }

    void titlesAndEnabledStatesFollowTheMode_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("title");
        QTest::newRow("browse") << 1 << "RANDOLA 3.00 - [Display] - [Browse]";
        QTest::newRow("add") << 2 << "RANDOLA 3.00 - [Display] - [Add]";
        QTest::newRow("edit") << 3 << "RANDOLA 3.00 - [Display] - [Edit]";
    }
    void titlesAndEnabledStatesFollowTheMode() {
        QFETCH(int, mode);
        QFETCH(QString, title);
        openThree();
        f->get("frameResults")->setEnabled(true);  // as a pick leaves it
        f->session.DisplayMode = qint16(mode);
        const int titlesBefore = f->shell.countedTitles;
        f->window->ApplyMode();
        QCOMPARE(f->window->windowTitle(), title);
        expectModeControls(mode == Session::BrowseMode);
        QCOMPARE(f->shell.countedTitles, titlesBefore + 1);

        // Any other mode gives the plain title and leaves every control as it was.
        f->session.DisplayMode = 0;
        f->window->ApplyMode();
        QCOMPARE(f->window->windowTitle(), QStringLiteral("RANDOLA 3.00 - [Display]"));
        expectModeControls(mode == Session::BrowseMode);
        QCOMPARE(f->shell.countedTitles, titlesBefore + 2);
    }

    void rowsShowTheFieldsInUseByTheirNames() {
        f = std::make_unique<Fixture>(QStringList{"NAME", "CITY"});
        f->open();
        for (int i = 0; i < 12; ++i) {
            QLabel* label = f->get<QLabel>(QStringLiteral("lblField(%1)").arg(i));
            QCOMPARE(label->isVisible(), i < 2);
            QCOMPARE(f->field(i)->isVisible(), i < 2);
        }
        QCOMPARE(f->get<QLabel>("lblField(0)")->text(), padded("NAME", 25));
        QCOMPARE(f->get<QLabel>("lblField(1)")->text(), padded("CITY", 25));
        // The boxes stay empty until a record is asked for.
        QCOMPARE(f->field(0)->text(), QString());
    }

    void arrowsMoveAlongTheFirstFieldAndStopAtEitherEnd() {
        openThree();
        const std::pair<const char*, const char*> steps[] = {
            {"cmdFirst", "ANN"},    {"cmdNext", "BOB"},     {"cmdNext", "CY"},
            {"cmdNext", "CY"},      {"cmdPrevious", "BOB"}, {"cmdPrevious", "ANN"},
            {"cmdPrevious", "ANN"}, {"cmdLast", "CY"},      {"cmdPrevious", "BOB"},
        };
        for (const auto& [button, name] : steps) {
            f->session.LastResult = -1;
            f->click(button);
            QCOMPARE(f->shownName(), QString::fromLatin1(name));
            const QByteArray current = CodePage::trimmed(f->session.CurrentRecord.Field[0]);
            QCOMPARE(current, QByteArray(name));
        }
        // Stepping past an end keeps the record and leaves the end-of-file code.
        f->click("cmdLast");
        f->click("cmdNext");
        QCOMPARE(f->shownName(), QStringLiteral("CY"));
        QCOMPARE(f->session.LastResult, TrmCode::EndOfFile);
        f->click("cmdFirst");
        f->click("cmdPrevious");
        QCOMPARE(f->shownName(), QStringLiteral("ANN"));
        QCOMPARE(f->session.LastResult, TrmCode::EndOfFile);
    }

    void arrowsStepFromTheShownRecordWhateverOthersFetched() {
        openThree();
        f->click("cmdFirst");
        trm_GetLast(f->session.DataHandle, 1);  // another window's fetch
        f->click("cmdNext");
        QCOMPARE(f->shownName(), QStringLiteral("BOB"));
        trm_GetFirst(f->session.DataHandle, 1);
        f->click("cmdNext");
        QCOMPARE(f->shownName(), QStringLiteral("CY"));
    }

    void firstAndLastDoNothingWithoutRecords() {
        f = std::make_unique<Fixture>(QStringList{"NAME"});
        f->open();
        f->field(0)->setText("kept");
        f->click("cmdFirst");
        f->click("cmdLast");
        QCOMPARE(f->field(0)->text(), QStringLiteral("kept"));
    }

    void aRecordIsShownWholeAndReadBackAsStored() {
        f = std::make_unique<Fixture>(QStringList{"NAME", "CITY"});
        DataRecord r = entry("ANN", "ROME");
        r.LastPicked = "02-03-2004";
        r.TimesPicked = 258;
        r.Omit = "t";  // only an upper-case T omits
        f->add(r);
        f->open();
        f->click("cmdFirst");
        QCOMPARE(f->field(0)->text(), padded("ANN", 50));
        QCOMPARE(f->field(1)->text(), padded("ROME", 50));
        QCOMPARE(f->field(2)->text(), padded("", 50));
        QCOMPARE(f->box("txtDateEntered")->text(), QStringLiteral("01-02-2003"));
        QCOMPARE(f->box("txtLastPicked")->text(), QStringLiteral("02-03-2004"));
        QCOMPARE(f->box("txtTimesPicked")->text(), QStringLiteral("258"));
        QCOMPARE(f->box("txtNotes")->text(), padded("notes of ANN", 255));
        QVERIFY(!f->get<QCheckBox>("cbOmit")->isChecked());

        f->window->ReadControls();
        DataRecord expected = RecordFromString<DataRecord>(RecordToString(r));
        expected.Omit = "F";
        QCOMPARE(RecordToString(f->session.CurrentRecord), RecordToString(expected));
    }

    void readControlsRepairsWhatCannotBeStored_data() {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("dateShown");
        QTest::addColumn<QString>("countShown");
        QTest::addColumn<qint32>("storedCount");
        const auto row = [](const char* name, const char* date, const char* count,
                            const char* dateShown, const char* countShown, qint32 stored) {
            QTest::newRow(name) << QString(date) << QString(count) << QString(dateShown)
                                << QString(countShown) << stored;
        };
        row("as typed", "7/4/2004", "12", "7/4/2004", "12", 12);
        row("hyphenated", "07-04-2004", "0", "07-04-2004", "0", 0);
        row("iso", "2004-07-04", "3", "2004-07-04", "3", 3);
        row("letters", "soon", "many", "03-09-2026", "0", 0);
        row("empty", "", "", "03-09-2026", "0", 0);
        row("no such day", "02-30-2004", "2.5", "03-09-2026", "2", 2);
        row("negative", "7/4/2004", "-5", "7/4/2004", "0", 0);
        row("too large", "7/4/2004", "3000000000", "7/4/2004", "0", 0);
    }
    void readControlsRepairsWhatCannotBeStored() {
        QFETCH(QString, date);
        QFETCH(QString, count);
        QFETCH(QString, dateShown);
        QFETCH(QString, countShown);
        QFETCH(qint32, storedCount);
        openThree();
        f->click("cmdNew");
        f->box("txtDateEntered")->setText(date);
        f->box("txtTimesPicked")->setText(count);
        f->window->ReadControls();
        QCOMPARE(f->box("txtDateEntered")->text(), dateShown);
        QCOMPARE(f->box("txtTimesPicked")->text(), countShown);
        QCOMPARE(f->session.CurrentRecord.DateEntered, CodePage::field(dateShown, 10));
        QCOMPARE(f->session.CurrentRecord.TimesPicked, storedCount);
    }

    void enterMovesOnLikeTabAndTypesNothing() {
        openThree();
        QApplication::setActiveWindow(f->window.get());
        f->click("cmdNew");
        QCOMPARE(QApplication::focusWidget(), f->field(0));
        QTest::keyClick(f->field(0), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), f->field(1));
        QTest::keyClick(f->field(1), Qt::Key_Enter);
        QCOMPARE(QApplication::focusWidget(), f->box("txtDateEntered"));
        QCOMPARE(f->field(0)->text(), QString());

        // Hidden rows are passed over.
        f = std::make_unique<Fixture>(QStringList{"NAME"});
        f->open();
        QApplication::setActiveWindow(f->window.get());
        f->click("cmdNew");
        QTest::keyClick(f->field(0), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), f->box("txtDateEntered"));
    }

    void newOffersABlankRecordDatedToday() {
        openThree();
        QApplication::setActiveWindow(f->window.get());
        f->click("cmdFirst");
        f->click("cmdNew");
        QCOMPARE(f->session.DisplayMode, Session::AddMode);
        QCOMPARE(f->window->windowTitle(), QStringLiteral("RANDOLA 3.00 - [Display] - [Add]"));
        for (int i = 0; i < 12; ++i) QCOMPARE(f->field(i)->text(), QString());
        QCOMPARE(f->box("txtDateEntered")->text(), QStringLiteral("3/9/2026"));
        QCOMPARE(f->box("txtLastPicked")->text(), QString());
        QCOMPARE(f->box("txtTimesPicked")->text(), QStringLiteral("0"));
        QCOMPARE(f->box("txtNotes")->text(), QString());
        QVERIFY(!f->get<QCheckBox>("cbOmit")->isChecked());
        QCOMPARE(QApplication::focusWidget(), f->field(0));
    }

    void multiSaveAnswers_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("cancelled");
        QTest::addColumn<int>("copies");
        const std::tuple<const char*, const char*, int> answers[] = {
            {"three", "3", 3},          {"half to even", "2.5", 2}, {"half up to even", "3.5", 4},
            {"one by default", "1", 1}, {"spaces", " 2 ", 2},       {"none", "0", 0},
            {"negative", "-2", 0},      {"below a half", "0.4", 0}, {"half to zero", "0.5", 0},
            {"empty", "", 0},           {"letters", "abc", 0},      {"too many", "3000000000", 0},
        };
        for (const auto& [name, answer, copies] : answers) {
            QTest::newRow(name) << QString(answer) << false << copies;
        }
        QTest::newRow("cancelled") << QString() << true << 0;
    }
    void multiSaveAnswers() {
        QFETCH(QString, answer);
        QFETCH(bool, cancelled);
        QFETCH(int, copies);
        openThree();
        typeNewRecord();
        f->prompter.answerInput(cancelled ? std::nullopt : std::optional<QString>(answer));
        if (copies > 0) f->prompter.answerOk();
        const int titlesBefore = f->shell.countedTitles;
        f->click("cmdSave");

        const FakePrompter::Prompt asked = f->prompter.prompts().first();
        QCOMPARE(asked.text, QStringLiteral("How many copies to save? (0=None):"));
        QCOMPARE(asked.title, QStringLiteral("MULTI-SAVE"));
        QCOMPARE(asked.defaultText, QStringLiteral("1"));
        QCOMPARE(f->names().count("DORA"), copies);
        QCOMPARE(f->session.TotalRecords, 3 + copies);
        QCOMPARE(trm_Count(f->session.DataHandle), 3 + copies);
        if (copies == 0) {
            QCOMPARE(f->prompter.prompts().size(), 1);  // no message at all
            QCOMPARE(f->session.DisplayMode, Session::AddMode);
            QCOMPARE(f->window->windowTitle(), QStringLiteral("RANDOLA 3.00 - [Display] - [Add]"));
            QCOMPARE(f->shownName(), QStringLiteral("DORA"));
            QCOMPARE(f->box("txtNotes")->text(), QStringLiteral("typed"));
            return;
        }
        expectLastPrompt("There were " + answer + " copies added.", "SUCCESS!",
                         Prompter::Icon::Information);
        QCOMPARE(f->session.DisplayMode, Session::BrowseMode);
        QCOMPARE(f->window->windowTitle(), QStringLiteral("RANDOLA 3.00 - [Display] - [Browse]"));
        QVERIFY(f->shell.countedTitles > titlesBefore);
        expectModeControls(true);
        QCOMPARE(f->shownName(), QStringLiteral("DORA"));

        // Every copy holds what the boxes held, the date as offered.
        DataRecord expected;
        expected.Field[0] = "DORA";
        expected.Field[1] = "KIEV";
        expected.DateEntered = "3/9/2026";
        expected.TimesPicked = 0;
        expected.Omit = "F";
        expected.Notes = "typed";
        for (qint64 n = 1; n <= 3 + copies; ++n) {
            const QByteArray stored = RecordAtPosition(f->session.DataHandle, 880, n);
            if (RecordFromString<DataRecord>(stored).Field[0].startsWith("DORA")) {
                QCOMPARE(stored, RecordToString(expected));
            }
        }
    }

    void aSavedRecordCanBeEditedAndDeletedAtOnce() {
        openThree();
        typeNewRecord();
        f->prompter.answerInput(QStringLiteral("2")).answerOk();
        f->click("cmdSave");
        trm_GetFirst(f->session.DataHandle, 1);

        f->click("cmdEdit");
        f->field(0)->setText("EVE");
        f->prompter.answerOk();
        f->click("cmdSave");
        QCOMPARE(f->names(), (QStringList{"ANN", "BOB", "CY", "DORA", "EVE"}));

        f->prompter.answerYes();
        f->click("cmdDelete");
        QCOMPARE(f->names(), (QStringList{"ANN", "BOB", "CY", "DORA"}));
    }

    void aFailedMultiSaveSaysWhyAndKeepsTheEntry() {
        openThree();
        typeNewRecord();
        trm_FailAfter(1, TrmCode::IoError);  // the second copy cannot be written
        f->prompter.answerInput(QStringLiteral("3")).answerOk();
        f->click("cmdSave");
        trm_FailAfter(-1, 0);

        expectFailureTold(trm_ResultText(TrmCode::IoError));
        QCOMPARE(f->names(), (QStringList{"ANN", "BOB", "CY"}));
        QCOMPARE(f->session.TotalRecords, 3);
        QCOMPARE(f->session.LastResult, TrmCode::IoError);
        QCOMPARE(f->session.DisplayMode, Session::AddMode);
        expectModeControls(false);
        QCOMPARE(f->shownName(), QStringLiteral("DORA"));
        QCOMPARE(f->field(1)->text(), QStringLiteral("KIEV"));

        // Trying again once the fault is gone saves the entry.
        f->prompter.answerInput(QStringLiteral("3")).answerOk();
        f->click("cmdSave");
        QCOMPARE(f->names().count("DORA"), 3);
        QCOMPARE(f->session.DisplayMode, Session::BrowseMode);
    }

    void editChangesTheShownRecordWhateverOthersFetched() {
        openThree();
        QApplication::setActiveWindow(f->window.get());
        f->click("cmdFirst");
        f->click("cmdNext");                     // BOB
        trm_GetFirst(f->session.DataHandle, 1);  // another window's fetch leaves ANN current
        f->click("cmdEdit");
        QCOMPARE(f->session.DisplayMode, Session::EditMode);
        QCOMPARE(f->window->windowTitle(), QStringLiteral("RANDOLA 3.00 - [Display] - [Edit]"));
        QCOMPARE(QApplication::focusWidget(), f->field(0));
        expectModeControls(false);
        f->field(0)->setText("ZED");
        f->box("txtTimesPicked")->setText("x");
        trm_GetLast(f->session.DataHandle, 1);
        const qint32 total = f->session.TotalRecords;
        f->prompter.answerOk();
        f->click("cmdSave");

        expectLastPrompt("The record has been updated!", "SUCCESS!", Prompter::Icon::Information);
        QCOMPARE(f->names(), (QStringList{"ANN", "CY", "ZED"}));
        const DataRecord zed =
            RecordFromString<DataRecord>(RecordAtPosition(f->session.DataHandle, 880, 3));
        QCOMPARE(zed.Field[1], padded("LIMA", 50).toLatin1());
        QCOMPARE(zed.TimesPicked, 0);
        QCOMPARE(f->box("txtTimesPicked")->text(), QStringLiteral("0"));
        QCOMPARE(f->session.DisplayMode, Session::BrowseMode);
        QCOMPARE(f->session.TotalRecords, total);
        expectModeControls(true);
    }

    void editStartsFromTheRecordAsStoredNow() {
        openThree();
        f->click("cmdFirst");
        // A pick stamps ANN after it was shown.
        DataRecord stamped = entry("ANN", "ROME");
        stamped.LastPicked = "03-09-2026";
        stamped.TimesPicked = 5;
        trm_GetFirst(f->session.DataHandle, 1);
        trm_Update(f->session.DataHandle, RecordToString(stamped));
        f->click("cmdEdit");
        QCOMPARE(f->box("txtTimesPicked")->text(), QStringLiteral("5"));
        QCOMPARE(f->box("txtLastPicked")->text(), QStringLiteral("03-09-2026"));
        f->prompter.answerOk();
        f->click("cmdSave");
        QCOMPARE(RecordAtPosition(f->session.DataHandle, 880, 1), RecordToString(stamped));
    }

    void editAndDeleteNeedAShownFirstField() {
        openThree();
        f->click("cmdEdit");
        f->click("cmdDelete");  // no question: nothing is shown
        QCOMPARE(f->session.DisplayMode, Session::BrowseMode);

        f->click("cmdFirst");
        f->session.TotalRecords = 0;
        f->click("cmdDelete");
        QCOMPARE(f->names().size(), 3);
    }

    void aFailedUpdateSaysWhyAndStaysInEditMode() {
        openThree();
        f->click("cmdFirst");
        f->click("cmdEdit");
        f->field(0)->setText("ZED");
        trm_FailAfter(0, TrmCode::ReadOnly);
        f->prompter.answerOk();
        f->click("cmdSave");
        trm_FailAfter(-1, 0);
        expectFailureTold(trm_ResultText(TrmCode::ReadOnly));
        QCOMPARE(f->session.LastResult, TrmCode::ReadOnly);
        QCOMPARE(f->session.DisplayMode, Session::EditMode);
        QCOMPARE(f->shownName(), QStringLiteral("ZED"));
        QCOMPARE(f->names(), (QStringList{"ANN", "BOB", "CY"}));

        // The record gone from under the window: said so, nothing else touched.
        trm_GetDirect(f->session.DataHandle, f->window->shownPosition());
        trm_Delete(f->session.DataHandle);
        f->prompter.answerOk();
        f->click("cmdSave");
        expectFailureTold("no longer");
        QCOMPARE(f->names(), (QStringList{"BOB", "CY"}));
        QCOMPARE(f->session.DisplayMode, Session::EditMode);
    }

    void deleteAsksThenRemovesTheShownRecord() {
        openThree();
        f->click("cmdFirst");
        f->click("cmdNext");  // BOB
        f->prompter.answerNo();
        f->click("cmdDelete");
        expectLastPrompt("Delete this record! Are you sure?", "DELETE!",
                         Prompter::Icon::Exclamation, Prompter::Buttons::YesNo);
        QCOMPARE(f->names().size(), 3);
        QCOMPARE(f->shownName(), QStringLiteral("BOB"));

        trm_GetLast(f->session.DataHandle, 1);  // another window's fetch
        f->prompter.answerYes();
        const int titlesBefore = f->shell.countedTitles;
        f->click("cmdDelete");
        QCOMPARE(f->names(), (QStringList{"ANN", "CY"}));
        QCOMPARE(f->session.TotalRecords, 2);
        QVERIFY(f->shell.countedTitles > titlesBefore);
        QCOMPARE(f->session.DisplayMode, Session::BrowseMode);
        QCOMPARE(f->field(0)->text(), QString());
        QCOMPARE(f->box("txtDateEntered")->text(), QStringLiteral("3/9/2026"));
        QCOMPARE(f->box("txtTimesPicked")->text(), QStringLiteral("0"));
        DataRecord blank;
        blank.DateEntered = "3/9/2026";
        blank.Omit = "F";
        QCOMPARE(RecordToString(f->session.CurrentRecord), RecordToString(blank));
    }

    void aFailedDeleteSaysWhyAndKeepsTheRecord() {
        openThree();
        f->click("cmdLast");
        trm_FailAfter(0, TrmCode::IoError);
        f->prompter.answerYes().answerOk();
        f->click("cmdDelete");
        trm_FailAfter(-1, 0);
        expectFailureTold(trm_ResultText(TrmCode::IoError));
        QCOMPARE(f->names().size(), 3);
        QCOMPARE(f->session.TotalRecords, 3);
        QCOMPARE(f->shownName(), QStringLiteral("CY"));
    }

    void saveInBrowseModeDoesNothing() {
        openThree();
        f->click("cmdFirst");
        f->click("cmdSave");
        QCOMPARE(f->prompter.prompts().size(), 0);
        QCOMPARE(f->names().size(), 3);
    }

    void closingWhileTypingAsksAndThenLeavesBrowseMode() {
        openThree();
        f->click("cmdClose");
        QVERIFY(!f->window->isVisible());

        f->window->show();
        typeNewRecord();
        f->prompter.answerNo();
        f->click("cmdClose");
        expectLastPrompt(
            "The record in this window has not been saved.\r\n"
            "Close the window and lose it?",
            "CLOSE?", Prompter::Icon::Question, Prompter::Buttons::YesNo);
        QVERIFY(f->window->isVisible());
        QCOMPARE(f->session.DisplayMode, Session::AddMode);
        QCOMPARE(f->shownName(), QStringLiteral("DORA"));

        const int refreshes = f->shell.menuRefreshes;
        f->prompter.answerYes();
        f->click("cmdClose");
        QVERIFY(!f->window->isVisible());
        QCOMPARE(f->session.DisplayMode, Session::BrowseMode);
        QVERIFY(f->shell.menuRefreshes > refreshes);
        QCOMPARE(f->names().size(), 3);
    }

    void aRecordHandedOverIsShownOnActivationAndEditedInPlace() {
        openThree();
        const QByteArray bob = trm_GetEqual(f->session.DataHandle, 1, QByteArrayLiteral("BOB"));
        f->session.CurrentRecord = RecordFromString<DataRecord>(bob);
        f->session.FoundRecordPending = true;
        f->window->Form_Activate();
        QVERIFY(!f->session.FoundRecordPending);
        QCOMPARE(f->shownName(), QStringLiteral("BOB"));

        trm_GetFirst(f->session.DataHandle, 1);
        f->click("cmdEdit");
        f->field(1)->setText("PARIS");
        f->prompter.answerOk();
        f->click("cmdSave");
        const DataRecord stored =
            RecordFromString<DataRecord>(RecordAtPosition(f->session.DataHandle, 880, 2));
        QCOMPARE(CodePage::trimmed(stored.Field[0]), QByteArray("BOB"));
        QCOMPARE(CodePage::trimmed(stored.Field[1]), QByteArray("PARIS"));
        f->click("cmdNext");
        QCOMPARE(f->shownName(), QStringLiteral("CY"));
    }

    void aRecordHandedOverWaitsWhileANewOneIsTyped() {
        openThree();
        typeNewRecord();
        f->session.CurrentRecord = entry("BOB");
        f->session.FoundRecordPending = true;
        f->window->Form_Activate();
        QCOMPARE(f->shownName(), QStringLiteral("DORA"));
        QVERIFY(f->session.FoundRecordPending);
        f->prompter.answerYes();
        f->window->close();
    }
};

QTEST_MAIN(DisplayWindowTest)
#include "DisplayWindowTest.moc"
