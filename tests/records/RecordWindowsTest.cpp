#include <QtTest>
#include <QtWidgets>
#include <limits>
#include <memory>

#include "PickDatabase.h"
#include "app/AppHarness.h"
#include "app/PublicDrawWindow.h"
#include "records/ClearOmits.h"
#include "records/ClearOmitsWindow.h"
#include "records/DisplayWindow.h"
#include "records/DrawPool.h"
#include "records/RandomSource.h"
#include "store/RecordText.h"
#include "store/SessionDatabase.h"
#include "support/FakeShell.h"
#include "support/FileSizeLimit.h"
#include "support/PdfText.h"
#include "support/TypedText.h"
#include "support/WorldNames.h"
#include "ui/PdfLinePrinter.h"

namespace {

const QStringList kEarlier = {QStringLiteral("Old,One,,,,,,,,,,\r\n======")};
constexpr qint32 Most = std::numeric_limits<qint32>::max();

// The record window, after an earlier pick, in a session that has opened a
// database of records named by letters. The clock reads 07-04-2004 14:05:09,
// every pick's key is the number `key`, and the printer prints into a PDF.
struct Fixture {
    Fixture(const QByteArray& names, const QByteArray& omitted, const QStringList& fields)
        : db(fields) {
        db.addNamed(names, omitted);
        session.DatabaseName = db.name;
        session.DataHandle = db.handle;
        session.DisplayMode = Session::BrowseMode;
        session.TotalRecords = int(names.size());
        session.PickDate = QStringLiteral("01-01-2001");
        session.PickTime = QStringLiteral("01:01:01");
        context.randomSource = [this] { return std::make_unique<FixedRandomSource>(key); };
        context.linePrinter = [this](Prompter&) { return std::make_unique<PdfLinePrinter>(pdf); };
        window = std::make_unique<DisplayWindow>(context);
        window->show();
        QApplication::setActiveWindow(window.get());
        window->Form_Activate();
        window->resultsList()->addItems(kEarlier);
    }

    QWidget* get(const QString& name) const { return window->findChild<QWidget*>(name); }
    QLineEdit* box(const QString& name) const { return window->findChild<QLineEdit*>(name); }
    QLineEdit* field(int i) const { return box(QStringLiteral("txtField(%1)").arg(i)); }
    QString shownName() const { return field(0)->text().trimmed(); }
    // Every prompt shown, in one line each.
    QStringList said() const {
        QStringList out;
        for (const FakePrompter::Prompt& p : prompter.prompts()) out << p.said();
        return out;
    }
    void click(const QString& name) const {
        QTest::mouseClick(window->findChild<QPushButton*>(name), Qt::LeftButton);
    }
    // A click while the store fails from its write number `after` on.
    void clickFailing(const QString& name, int after, int code) const {
        trm_FailAfter(after, code);
        click(name);
        trm_FailAfter(-1, 0);
    }
    // The first fields of the file along key 1.
    QStringList names() const {
        QStringList seen;
        for (const QByteArray& r : db.dataStrings())
            seen << RecordText::toUnicode(RecordText::trimmed(r.left(DataRecord::FieldWidth)));
        return seen;
    }
    // The mode, the name shown, the count of records kept and the names in the file.
    QString state() const {
        const char* modes[] = {"-", "Browse", "Add", "Edit"};
        return QStringLiteral("%1 %2 %3: %4")
            .arg(modes[session.DisplayMode], shownName())
            .arg(session.TotalRecords)
            .arg(names().join(' '));
    }
    // What another window does between two clicks here.
    void fetchElsewhere() const { trm_GetLast(db.handle, 1); }
    void typeNewRecord() const {
        click("cmdNew");
        field(0)->setText("DORA");
        field(1)->setText("KIEV");
    }

    PickDatabase db;
    Session session;
    FakePrompter prompter;
    FixedClock clock{QDateTime(QDate(2004, 7, 4), QTime(14, 5, 9))};
    FakeShell shell;
    AppContext context{session, prompter, clock, db.folder.folder(), shell};
    QString key = QStringLiteral("7");
    QString pdf = db.folder.path() + QStringLiteral("/results.pdf");
    std::unique_ptr<DisplayWindow> window;
};

}  // namespace

class RecordWindowsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Fixture> f;

    void open(const QByteArray& names, const QByteArray& omitted = {},
              const QStringList& fields = {"Name", "Team"}) {
        f.reset();  // one database open at a time
        f = std::make_unique<Fixture>(names, omitted, fields);
    }
    void expectLast(const QString& prompt) { QCOMPARE(f->prompter.last().said(), prompt); }
    // A failure is told as such, with no success told before it, and the
    // window and the file are left as they were.
    void expectFailureTold(const QString& told, const QString& state) {
        const QStringList said = f->said();
        QVERIFY2(said.last().startsWith("ERROR! [Exclamation] " + told), qPrintable(said.last()));
        QVERIFY(said.size() < 2 || !said.at(said.size() - 2).startsWith("SUCCESS!"));
        QCOMPARE(f->state(), state);
    }

private slots:
    void init() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        open("CAB");
    }
    void cleanup() {
        trm_FailAfter(-1, 0);
        const std::unique_ptr<Fixture> done = std::move(f);  // gone even when the check fails
        if (done) VERIFY_PROMPTS(done->prompter);
    }

    void enterAndTabFollowTheRecordsOrder() {
        open("CAB", {}, {"Name", "Team", "Town"});
        f->click("cmdNew");
        QCOMPARE(QApplication::focusWidget(), f->field(0));
        // Enter moves on from each field in use, then to the date: fields not
        // in use are hidden, so the chain skips from the last one in use.
        const char* const order[] = {"txtField(1)",   "txtField(2)",    "txtDateEntered",
                                     "txtLastPicked", "txtTimesPicked", "cbOmit",
                                     "txtNotes",      "cmdSave",        "cmdClose"};
        for (std::size_t i = 0; i < std::size(order); ++i) {  // Enter or Return, then Tab
            const Qt::Key key = i >= 3 ? Qt::Key_Tab : i % 2 ? Qt::Key_Enter : Qt::Key_Return;
            QTest::keyClick(QApplication::focusWidget(), key);
            QCOMPARE(QApplication::focusWidget()->objectName(), QString(order[i]));
        }
    }
    void titleAndControlsFollowTheMode() {
        QCOMPARE(f->window->findChild<QLabel*>("lblField(0)")->text(),
                 QStringLiteral("Name").leftJustified(25));
        for (int i = 0; i < 12; ++i) QCOMPARE(f->field(i)->isVisible(), i < 2);  // rows in use
        const std::pair<qint16, const char*> modes[] = {{Session::BrowseMode, " - [Browse]"},
                                                        {Session::AddMode, " - [Add]"},
                                                        {Session::EditMode, " - [Edit]"},
                                                        {0, ""}};
        for (const auto& [mode, title] : modes) {
            if (mode) f->get("frameResults")->setEnabled(true);  // as a pick leaves it
            f->session.DisplayMode = mode;
            f->window->ApplyMode();
            QCOMPARE(f->window->windowTitle(), "RANDOLA 3.00 - [Display]" + QString(title));
            // What Browse mode enables, Add and Edit disable, and the reverse; any other
            // mode leaves every control as it was.
            const bool browsing = mode == Session::BrowseMode;
            for (QLineEdit* box : f->window->findChildren<QLineEdit*>())
                QCOMPARE(box->isEnabled(), !browsing);
            QCOMPARE(f->get("cbOmit")->isEnabled(), !browsing);
            for (const char* name : {"cmdFirst", "cmdPrevious", "cmdNext", "cmdLast", "cmdFind",
                                     "cmdNew", "cmdEdit", "cmdDelete", "cmdPick"})
                QCOMPARE(f->get(name)->isEnabled(), browsing);
            QVERIFY(!f->get("frameResults")->isEnabled());
            QVERIFY(f->get("cmdSave")->isEnabled() && f->get("cmdClose")->isEnabled());
        }
    }

    void arrowsStopAtEitherEndAndStepFromTheShownRecord() {
        const std::tuple<const char*, const char*, int> steps[] = {
            {"cmdFirst", "A", 0},    {"cmdNext", "B", 0},     {"cmdNext", "C", 0},
            {"cmdNext", "C", 9},     {"cmdPrevious", "B", 0}, {"cmdPrevious", "A", 0},
            {"cmdPrevious", "A", 9}, {"cmdLast", "C", 0},     {"cmdPrevious", "B", 0},
        };
        for (const auto& [button, name, code] : steps) {
            f->fetchElsewhere();
            f->session.LastResult = code == 0 ? 0 : -1;
            f->click(button);
            QCOMPARE(f->shownName() + ' ' + QString::number(f->session.LastResult),
                     QStringLiteral("%1 %2").arg(name).arg(code));
        }
        QCOMPARE(f->window->findChild<QLabel*>("lblOdds")->text(),
                 QStringLiteral("1 in 3 (33.3%): 1 copy in a pool of 3"));
    }

    // Dates and counts as typed in a locale, and what the boxes and the record keep.
    void typedDatesAndCountsAreKeptOrRepaired() {
        using L = QLocale;
        const std::tuple<L::Language, const char*, const char*, const char*, qint32> rows[] = {
            {L::English, "12/25/1999", "12", "12/25/1999", 12},
            {L::English, "1999-12-25", "2.5", "1999-12-25", 2},
            {L::English, "7-4-2004", "1,000", "7-4-2004", 1000},
            {L::English, " 2004-7-4 ", "1e3", "2004-7-4", 1000},
            {L::English, "02-29-2004", "2147483647", "02-29-2004", Most},
            {L::English, "soon", "3 copies", "07-04-2004", 0},
            {L::English, "02-30-2004", "-5", "07-04-2004", 0},
            {L::English, "7/4/04", "inf", "07-04-2004", 0},
            {L::English, "07-04-2004x", "3000000000", "07-04-2004", 0},
            {L::German, "4.7.2004", "2,5", "4.7.2004", 2},
            // Cut to 10 characters, "1999. 12. 25." would be spoilt.
            {L::Hungarian, "1999. 12. 25.", "1", "12-25-1999", 1},
        };
        f->click("cmdNew");
        for (const auto& [language, date, count, dateKept, countKept] : rows) {
            QLocale::setDefault(QLocale(language));
            f->box("txtDateEntered")->setText(date);
            f->box("txtTimesPicked")->setText(count);
            f->window->ReadControls();
            QCOMPARE(f->box("txtDateEntered")->text(), QString(dateKept));
            QCOMPARE(f->box("txtTimesPicked")->text(), QString::number(countKept));
            QCOMPARE(f->session.CurrentRecord.DateEntered, RecordText::field(dateKept, 10));
            QCOMPARE(f->session.CurrentRecord.TimesPicked, countKept);
        }
        // A new record's date: the short form, unless some day's would not fit.
        const std::pair<L::Language, const char*> newDates[] = {
            {L::English, "7/4/2004"}, {L::Hungarian, "07-04-2004"}, {L::C, "07-04-2004"}};
        for (const auto& [language, text] : newDates) {
            QLocale::setDefault(QLocale(language));
            f->window->ClearControls();
            QCOMPARE(f->box("txtDateEntered")->text(), QString(text));
        }
    }

    void namesInEveryScriptAreSavedAsTyped() {
        open("");
        for (const QString& name : WorldNames()) {
            f->click("cmdNew");
            TypeText(f->field(0), name);
            TypeText(f->field(1), name.right(2));
            f->prompter.answerInput("1").answerOk();
            f->click("cmdSave");
        }
        // In the file in key order, each as typed, and shown so again.
        QStringList sorted = WorldNames();
        std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
            return a.toCaseFolded().toUtf8() < b.toCaseFolded().toUtf8();
        });
        QCOMPARE(f->names(), sorted);
        QStringList shown;
        for (f->click("cmdFirst"); shown.size() < sorted.size(); f->click("cmdNext"))
            shown << f->shownName() + '|' + f->field(1)->text().trimmed();
        for (QString& name : sorted) name += '|' + name.right(2);
        QCOMPARE(shown, sorted);
        // A box takes no more than its field holds: typing past it does nothing.
        f->click("cmdNew");
        TypeText(f->field(0), QString(24, u'ł') + "xyz");
        QCOMPARE(f->field(0)->text(), QString(24, u'ł') + "xy");
        f->field(0)->clear();
        TypeText(f->field(0), QString(25, u'王'));
        QCOMPARE(f->field(0)->text(), QString(16, u'王'));
    }

    void multiSaveAddsAsManyCopiesAsAnswered() {
        const std::pair<std::optional<QString>, int> answers[] = {
            {"3", 3},   {"2.5", 2}, {"3.5", 4}, {" 1 ", 1},        {"0", 0},          {"-2", 0},
            {"0.5", 0}, {"", 0},    {"abc", 0}, {"3000000000", 0}, {std::nullopt, 0},
        };
        for (const auto& [answer, copies] : answers) {
            open("CAB");
            f->typeNewRecord();
            f->prompter.answerInput(answer);
            if (copies > 0) f->prompter.answerOk();
            f->click("cmdSave");
            QStringList told = {"MULTI-SAVE [input: 1] How many copies to save? (0=None):"};
            if (copies) told << "SUCCESS! [Information] There were " + *answer + " copies added.";
            QCOMPARE(f->said(), told);
            QCOMPARE(
                f->state(),
                QStringLiteral("%1 DORA %2: A B C").arg(copies ? "Browse" : "Add").arg(3 + copies) +
                    QStringList(copies, " DORA").join(QString()));
            if (copies == 0) continue;
            DataRecord copy = PickDatabase::entry({"DORA", "KIEV"});
            copy.DateEntered = "7/4/2004";
            QCOMPARE(RecordAtPosition(f->db.handle, 880, 4), RecordToString(copy));
        }
    }

    void aMultiSaveThatFailsAddsNothingAndKeepsTheEntry() {
        f->typeNewRecord();
        f->prompter.answerInput(QStringLiteral("3")).answerOk();
        f->clickFailing("cmdSave", 1, TrmCode::IoError);  // the second copy cannot be written
        const QString notSaved =
            QStringLiteral("The record could not be saved; nothing was added.\r\n");
        expectFailureTold(notSaved + trm_ResultText(TrmCode::IoError), "Add DORA 3: A B C");
        QCOMPARE(f->session.LastResult, TrmCode::IoError);
        QCOMPARE(f->field(1)->text(), QStringLiteral("KIEV"));
        const QString file = f->db.folder.folder().dataFile(f->db.name);
        {
            // Room for a few hundred copies of the 20,000 asked for.
            const FileSizeLimit limit(rlim_t(QFileInfo(file).size() + 256 * 1024));
            f->prompter.answerInput(QStringLiteral("20000")).answerOk();
            f->click("cmdSave");
        }
        expectFailureTold(notSaved, "Add DORA 3: A B C");

        // Saved at last, the entry is the record that Edit changes next.
        f->prompter.answerInput(QStringLiteral("2")).answerOk().answerOk();
        f->click("cmdSave");
        trm_GetFirst(f->db.handle, 1);
        f->click("cmdEdit");
        f->field(0)->setText("EVE");
        f->click("cmdSave");
        QCOMPARE(f->names(), (QStringList{"A", "B", "C", "DORA", "EVE"}));
        trm_CloseAll();  // and so a fresh open finds the file
        QCOMPARE(PickDatabase::strings(trm_Open(file, 0)).size(), 5);
    }

    // Edit, Save and Delete act on the record shown, as stored now, whatever
    // another window fetched meanwhile; when the store fails, nothing changes.
    void editAndDeleteActOnTheShownRecordAsStoredNow() {
        f->click("cmdEdit");  // nothing shown: refused silently
        QCOMPARE(f->session.DisplayMode, Session::BrowseMode);
        f->click("cmdFirst");
        f->fetchElsewhere();
        f->prompter.answerYes().answerOk();
        f->clickFailing("cmdDelete", 0, TrmCode::IoError);
        expectFailureTold("The record could not be deleted.\r\n" + trm_ResultText(TrmCode::IoError),
                          "Browse A 3: A B C");

        f->click("cmdNext");
        QCOMPARE(f->field(0)->text(), QStringLiteral("B").leftJustified(50));
        // A pick stamps the shown record meanwhile: editing must not undo that.
        DataRecord stamped = PickDatabase::entry({"B", "Team B"}, "t", 258);  // only "T" omits
        stamped.LastPicked = "07-04-2004";
        stamped.Notes = "notes";
        trm_GetEqual(f->db.handle, 1, "B");
        trm_Update(f->db.handle, RecordToString(stamped));
        f->fetchElsewhere();
        f->click("cmdEdit");
        QCOMPARE(QApplication::focusWidget(), f->field(0));
        QCOMPARE(f->box("txtTimesPicked")->text() + ' ' + f->box("txtNotes")->text(), "258 notes");
        // Room to type after the value, though the box showed it padded.
        QTest::keyClick(f->field(0), Qt::Key_End);
        QTest::keyClicks(f->field(0), "OB");
        f->prompter.answerOk().answerOk();
        f->clickFailing("cmdSave", 0, TrmCode::ReadOnly);
        const QString notUpdated = QStringLiteral("The record could not be updated.\r\n");
        expectFailureTold(notUpdated + trm_ResultText(TrmCode::ReadOnly), "Edit BOB 3: A B C");
        f->fetchElsewhere();
        f->click("cmdSave");
        expectLast("SUCCESS! [Information] The record has been updated!");
        stamped.Field[0] = "BOB";
        stamped.Omit = "F";
        QCOMPARE(RecordAtPosition(f->db.handle, 880, 2), RecordToString(stamped));
        QCOMPARE(f->state(), QStringLiteral("Browse BOB 3: A BOB C"));

        f->prompter.answerNo().answerYes();
        f->click("cmdDelete");
        expectLast("DELETE! [Exclamation Yes/No] Delete this record! Are you sure?");
        QCOMPARE(f->names().size(), 3);
        f->fetchElsewhere();
        f->click("cmdDelete");
        QCOMPARE(f->field(0)->text().trimmed(), QString());
        f->click("cmdDelete");  // nothing shown: no question
        f->click("cmdNext");    // on from where the deleted record stood
        QCOMPARE(f->state(), QStringLiteral("Browse C 2: A C"));

        f->click("cmdFirst");
        f->click("cmdEdit");
        trm_GetFirst(f->db.handle, 1);
        trm_Delete(f->db.handle);  // gone from under the window
        f->session.TotalRecords = 1;
        f->prompter.answerOk();
        f->click("cmdSave");
        expectFailureTold(notUpdated + "The record shown is no longer in the database.",
                          "Edit A 1: C");
    }

    // Taking a handed-over record and going on from it is the find window's test.
    void aRecordHandedOverWaitsWhileARecordIsTyped() {
        f->typeNewRecord();
        f->session.CurrentRecord = RecordFromString<DataRecord>(trm_GetEqual(f->db.handle, 1, "B"));
        f->session.FoundRecordPending = true;
        f->window->Form_Activate();  // not over a record being typed
        QCOMPARE(f->shownName(), QStringLiteral("DORA"));
        f->session.DisplayMode = Session::BrowseMode;
        f->window->Form_Activate();
        QCOMPARE(f->shownName(), QStringLiteral("B"));
    }

    void aPickStampsItsDrawsListsThemInOrderAndPrintsThem() {
        f->db.add({PickDatabase::entry({"D", "Team D"}, "F", Most)});
        f->session.TotalRecords = 4;
        // The key "7./" selects from A, B, C, D numbers 1, 3 of B C D, 1 of B C, then C.
        f->prompter.answerInput(QStringLiteral("4")).answerOk();
        f->click("cmdPick");
        expectLast("SUCCESS! [Information] Results have been obtained.");
        const QStringList drawn = {"A,Team A,,,,,,,,,,", "D,Team D,,,,,,,,,,", "B,Team B,,,,,,,,,,",
                                   "C,Team C,,,,,,,,,,"};
        QCOMPARE(AppHarness::texts(f->window->resultsList()).join('|'),
                 drawn.join("\r\n======|") + "\r\n======");
        QVERIFY(f->window->resultsFrame()->isEnabled());
        // Each drawn record is stamped once, and its history record is the record as stored.
        QByteArrayList stamped, history;  // both in key order
        for (const QByteArray name : {"A", "B", "C", "D"}) {
            DataRecord r = PickDatabase::entry({name, "Team " + name}, "F", name == "D" ? Most : 1);
            r.LastPicked = "07-04-2004";
            stamped << RecordToString(r);
            history << RecordToString(HistoryRecord{r, "07-04-2004", "14:05:09"});
        }
        QCOMPARE(f->db.dataStrings(), stamped);
        QCOMPARE(f->db.historyStrings(), history);
        QCOMPARE(RecordToString(f->session.CurrentRecord), stamped.at(2));  // the last drawn, C

        // Printed twice, the same both times.
        for (int i = 0; i < 2; ++i) {
            QFile::remove(f->pdf);
            f->click("cmdPrintResults");
            QCOMPARE(PdfText::lines(f->pdf).join('|'),
                     "RESULTS FROM 07-04-2004 AT 14:05:09|" + drawn.join("|======|") + "|======");
        }
        f->pdf = f->db.folder.path() + QStringLiteral("/missing/results.pdf");
        f->prompter.answerOk();
        f->click("cmdPrintResults");
        expectLast("ERROR! [Exclamation] There was a problem printing the report.");
        QVERIFY(!QFile::exists(f->pdf));
        // Coming back to the window closes the results again.
        f->window->Form_Activate();
        QVERIFY(!f->window->resultsFrame()->isEnabled());
    }

    void aPickThatCannotBeMadeSaysSoOrNothingAndChangesNothing() {
        const QString notEnough =
            "NOT ENOUGH! [Exclamation] You asked for %1 picks, but only %2.\r\nNothing was picked.";
        const QString stored =
            "ERROR! [Exclamation] The pick could not be stored, so nothing was "
            "picked.\r\n" +
            trm_ResultText(TrmCode::IoError);
        // Omitted, the answer, the write that fails, and what is told: nothing
        // for an answer that is no count.
        const std::tuple<const char*, std::optional<QString>, int, QString> cases[] = {
            {"ABC", "3", -1,
             notEnough.arg(3).arg("2 of the 6 records can be drawn: the others are "
                                  "omitted from picks")},
            // "A" twice over makes five different entries of the six records.
            {"", "6", -1,
             notEnough.arg(6).arg("5 different entries can be drawn: the other "
                                  "records repeat them or are omitted from picks")},
            // Three picks write seven times: an update and a history record each, then the receipt.
            {"", "3", 3, stored},  // each write failing is the pick logic's test
            {"", "0.4", -1, {}},
            {"", "7", -1, {}},
            {"", std::nullopt, -1, {}},
        };
        for (const auto& [omitted, answer, failingWrite, told] : cases) {
            open("ABCDEA", omitted);
            const QByteArrayList before = f->db.dataStrings();
            f->prompter.answerInput(answer);
            if (!told.isEmpty()) f->prompter.answerOk();
            f->clickFailing("cmdPick", failingWrite, TrmCode::IoError);
            const QStringList said = f->said();
            QCOMPARE(said.first(), QStringLiteral("RANDOLA [input: 0] How many picks (1-6)?"));
            QVERIFY2(said.size() == (told.isEmpty() ? 1 : 2) && said.last().startsWith(told),
                     qPrintable(said.join('\n')));
            QCOMPARE(AppHarness::texts(f->window->resultsList()), kEarlier);
            QCOMPARE(f->session.PickDate + ' ' + f->session.PickTime, "01-01-2001 01:01:01");
            QVERIFY(!f->window->resultsFrame()->isEnabled());
            QCOMPARE(f->db.dataStrings(), before);
            QVERIFY(f->db.historyStrings().isEmpty());
            // The files take the next pick.
            f->prompter.answerInput(QStringLiteral("1")).answerOk();
            f->click("cmdPick");
            expectLast("SUCCESS! [Information] Results have been obtained.");
            QCOMPARE(f->db.historyStrings().size(), 1);
            VERIFY_PROMPTS(f->prompter);
        }
    }

    // The pool published (its listing is what its SHA-256 is of), the
    // sources named, the draw made and recorded as a pick is; nothing drawn
    // from sources or a count that cannot be, nor from a pool changed since.
    void aPublicDrawDrawsFromThePublishedPoolOnly() {
        open("ABCDEFGH", "H");
        PublicDrawWindow draw(f->context);
        draw.show();
        const auto box = [&](const char* name) { return draw.findChild<QLineEdit*>(name); };
        const auto press = [&](const char* name) {
            QTest::mouseClick(draw.findChild<QPushButton*>(name), Qt::LeftButton);
        };
        const QByteArray sha = DrawPool::Read(f->db.handle).pool->sha256;
        const auto hex = [](const QByteArray& bytes) { return QString(bytes.toHex().toUpper()); };
        QCOMPARE(
            draw.findChild<QLabel*>("lblPoolSize")->text(),
            QStringLiteral("7 records can be drawn, numbered in the order of the first field."));
        QCOMPARE(box("txtSha256")->text(), hex(sha));
        const QString listing = f->db.folder.file("pool.txt"), pdf = f->db.folder.file("pool.pdf");
        f->prompter.answerFile(listing).answerOk().answerFile(pdf).answerOk();
        press("cmdExportListing");
        press("cmdSavePoolPdf");
        QCOMPARE(
            QCryptographicHash::hash(f->db.folder.readAll("pool.txt"), QCryptographicHash::Sha256),
            sha);
        QCOMPARE(
            PdfText::simplifiedLines(pdf).mid(0, 6),
            QStringList({"POOL FOR A PUBLIC DRAW FROM Club", "Records in the pool: 7",
                         "SHA-256 of the pool listing:", hex(sha), "1 A, Team A", "2 B, Team B"}));

        // A draw of `count` from the sources typed, its outcome told in one prompt.
        const auto drawFrom = [&](const char* typed, const char* count) {
            draw.findChild<QPlainTextEdit*>("txtSources")->setPlainText(typed);
            box("txtCount")->setText(count);
            f->prompter.answerOk();
            press("cmdDraw");
        };
        drawFrom(" ", "2");
        expectLast("SOURCES! [Critical] Name at least one source: a line of whole numbers.");
        drawFrom("1", "8");
        expectLast(
            "HOW MANY? [Critical] Type how many records to draw: a whole number from 1 to 7.");
        QVERIFY(f->db.historyStrings().isEmpty());

        drawFrom("9319\n2 5 12 8 10", "3");
        QCOMPARE(box("txtKeyString")->text(), QStringLiteral("9319./2.5.8.10.12./"));
        expectLast("SUCCESS! [Information] Results have been obtained.");
        QCOMPARE(draw.resultsList()->count(), 3);
        QCOMPARE(f->session.PickDate + ' ' + f->session.PickTime, "07-04-2004 14:05:09");
        QCOMPARE(f->db.historyStrings().size(), 3);

        // A record changed since the pool was published: nothing drawn, nor published.
        trm_GetFirst(f->db.handle, 1);
        trm_Update(f->db.handle, RecordToString(PickDatabase::entry({"A", "Team Z"})));
        f->prompter.answerOk().answerOk();
        press("cmdDraw");
        expectLast(
            "POOL CHANGED! [Exclamation] The pool has changed since it was published, so "
            "nothing was drawn.\r\nIts SHA-256 was " +
            hex(sha) + " when published, and is " + hex(DrawPool::Read(f->db.handle).pool->sha256) +
            " now.\r\nRead the pool again and publish it before drawing.");
        press("cmdExportPoolCsv");
        expectLast(
            "POOL CHANGED! [Exclamation] The records have changed since the pool was read, "
            "so the pool shown is no longer the pool of the database.\r\nRead the pool "
            "again before publishing it.");
        QCOMPARE(f->db.historyStrings().size(), 3);
        press("cmdReadPool");
        f->prompter.answerOk();
        press("cmdDraw");
        expectLast("SUCCESS! [Information] Results have been obtained.");
        QCOMPARE(f->db.historyStrings().size(), 6);
    }

    void clearOmitsClearsOnlyAFlagOfExactlyTAndAllOrNothing() {
        const auto runToDone = [](ClearOmitsWindow& window) {
            window.show();
            QTRY_VERIFY(window.findChild<QPushButton*>("Command1")->isVisible());
        };
        const auto barIsFull = [](const ClearOmitsWindow& window) {
            auto* bar = window.findChild<QProgressBar*>("ProgressBar1");
            return bar->maximum() > bar->minimum() && bar->value() == bar->maximum();
        };
        ClearOmitsWindow nothingOmitted(f->context);
        QCOMPARE(AppHarness::captions(&nothingOmitted).join('|'),
                 "RANDOLA 3.00 - [Remove Omits]|Currently un-checking the checked omits...|0 %|"
                 "100 %|Done");
        runToDone(nothingOmitted);
        QVERIFY(barIsFull(nothingOmitted));  // not a busy bar for ever

        std::vector<DataRecord> records;
        const QByteArray flags = QByteArray(3 * ClearOmits::BatchSize, 'T') + "Ft X";
        for (qsizetype i = 0; i < flags.size(); ++i)
            records.push_back(PickDatabase::entry({QByteArray::number(100000 + i), "Ren\xe9"},
                                                  flags.mid(i, 1), qint32(i)));
        f->db.add(records);
        const QByteArrayList before = f->db.dataStrings();
        // The second batch fails: the first must not stay cleared.
        trm_FailAfter(1, TrmCode::IoError);
        f->prompter.answerOk();
        ClearOmitsWindow failing(f->context);
        runToDone(failing);
        trm_FailAfter(-1, 0);
        QVERIFY(f->prompter.last().said().startsWith(
            "ERROR! [Exclamation] The omits could not be cleared; every "
            "record is as it was.\r\n" +
            trm_ResultText(TrmCode::IoError)));
        QCOMPARE(f->session.LastResult, TrmCode::IoError);
        QCOMPARE(f->db.dataStrings(), before);
        QVERIFY(!barIsFull(failing));

        ClearOmitsWindow window(f->context);
        // A timer, not a posted event, so that it comes in between two batches.
        bool closedWhileRunning = true;
        QTimer::singleShot(1, &window, [&] {
            QVERIFY(window.isRunning());
            closedWhileRunning = window.close();
        });
        runToDone(window);
        QVERIFY(!closedWhileRunning);
        QVERIFY(barIsFull(window));
        QByteArrayList cleared = before;
        for (QByteArray& r : cleared)
            if (r[DataRecord::OmitOffset] == 'T') r[DataRecord::OmitOffset] = 'F';
        QCOMPARE(f->db.dataStrings(), cleared);
    }

    // A pick from a script, with no display, beside the window over the same
    // database: both stay whole, the window shows the new stamps when it next
    // reads a record, and it picks on from there.
    void aCommandPicksBesideTheOpenWindow() {
        open("ABCDEFGH");
        f->click("cmdFirst");
        QCOMPARE(f->box("txtTimesPicked")->text(), QStringLiteral("0"));
        QProcess command;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
        command.setProcessEnvironment(environment);
        command.start(RANDOLA_PROGRAM, {"--data-dir", f->db.folder.path(), "pick", "Club", "8"});
        QVERIFY(command.waitForFinished(30000));
        QCOMPARE(command.readAllStandardError(), QByteArray());
        QCOMPARE(command.exitCode(), 0);
        const QByteArrayList lines = command.readAllStandardOutput().split('\n');
        QCOMPARE(lines.size(), 10);  // the stamp, every record, and the end of the last line

        f->click("cmdLast");
        f->click("cmdFirst");
        QCOMPARE(f->shownName() + ' ' + f->box("txtTimesPicked")->text() + ' ' +
                     f->box("txtLastPicked")->text().trimmed(),
                 "A 1 " + lines.first().left(10));
        f->prompter.answerInput(QStringLiteral("2")).answerOk();
        f->click("cmdPick");
        expectLast("SUCCESS! [Information] Results have been obtained.");
        QCOMPARE(f->db.historyStrings().size(), 10);
        qint32 picks = 0;
        for (const QByteArray& r : f->db.dataStrings())
            picks += RecordFromString<DataRecord>(r).TimesPicked;
        QCOMPARE(picks, 10);
    }

    // The record window as the program opens it: from Display Records, inside
    // the main window, with the menus following its mode.
    void inTheMainWindowMenusFollowTheModeAndNothingTypedIsLostUnasked() {
        f.reset();  // the program's own session instead
        AppHarness app;
        const auto display = [&] { return app.task<DisplayWindow>(Shell::Window::Display); };
        const auto typeNewRecord = [&] {
            display()->findChild<QPushButton*>("cmdNew")->click();
            display()->findChild<QLineEdit*>("txtField(0)")->setText("ANN");
        };
        const auto displayItemEnabled = [&] { return app.action("mnuEditDisplay")->isEnabled(); };
        app.openDatabase("club", {"NAME", "CITY"});
        app.action("mnuEditDisplay")->trigger();
        typeNewRecord();
        QVERIFY(!displayItemEnabled());

        // Closing while typing asks first, the window's and the program's own.
        app.prompter.answerNo();
        app.window.subWindow(Shell::Window::Display)->close();
        QCOMPARE(app.prompter.last().said(),
                 QStringLiteral("CLOSE? [Exclamation Yes/No] The record in this window has not "
                                "been saved.\r\nClose the window and lose it?"));
        app.prompter.answerNo();
        app.window.close();  // File, Exit
        AppHarness::settle();
        QVERIFY(display() && app.window.isVisible());
        QCOMPARE(app.session.DisplayMode, Session::AddMode);

        app.prompter.answerInput(QStringLiteral("2")).answerOk();
        display()->findChild<QPushButton*>("cmdSave")->click();
        QVERIFY(displayItemEnabled());
        QCOMPARE(app.window.windowTitle(),
                 QStringLiteral("RANDOLA 3.00 - [club] [Total Records = 2]"));

        typeNewRecord();
        app.prompter.answerYes();
        display()->findChild<QPushButton*>("cmdClose")->click();
        AppHarness::settle();
        QVERIFY(!display());
        QCOMPARE(app.session.DisplayMode, Session::BrowseMode);
        QVERIFY(displayItemEnabled());
        QCOMPARE(trm_Count(app.session.DataHandle), 2);

        // Opening another database while typing asks first; No keeps both.
        app.action("mnuEditDisplay")->trigger();
        typeNewRecord();
        app.folder.createDatabase("shop", {"ITEM"});
        app.action("mnuFileOpen")->trigger();
        auto* open = app.task<QWidget>(Shell::Window::Open);
        open->findChild<QListWidget*>("lbDbList")->setCurrentRow(1);  // shop
        app.prompter.answerNo();
        open->findChild<QPushButton*>("cmdOpen")->click();
        QCOMPARE(app.session.DatabaseName, QStringLiteral("club"));
        QCOMPARE(app.session.DisplayMode, Session::AddMode);

        // Another database opened behind the window's back drops what was typed.
        QCOMPARE(SessionDatabase::Open(app.session, app.folder.folder(), "shop"), 0);
        display()->Form_Activate();
        QCOMPARE(app.session.DisplayMode, Session::BrowseMode);
        QCOMPARE(display()->findChild<QLineEdit*>("txtField(0)")->text(), QString());
        QCOMPARE(display()->findChild<QLabel*>("lblField(0)")->text().trimmed(),
                 QStringLiteral("ITEM"));
        VERIFY_PROMPTS(app.prompter);
    }
};

QTEST_MAIN(RecordWindowsTest)
#include "RecordWindowsTest.moc"
