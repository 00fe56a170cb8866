#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "WindowSession.h"
#include "records/DisplayWindow.h"
#include "records/RandomPick.h"
#include "records/RandomSource.h"
#include "store/RecordManager.h"
#include "support/PdfText.h"
#include "ui/PdfLinePrinter.h"

namespace {

const QStringList kEarlier = {QStringLiteral("Old,One,,,,,,,,,,\r\n======")};

// The record window over a database of the named records (first field, second
// field "Team x"), with a fixed clock, random source and PDF printer.
struct Picking : WindowSession {
    explicit Picking(const QByteArray& names, const QByteArray& omitted = {}) {
        db.addNamed(names, omitted);
        session.TotalRecords = int(names.size());
        session.PickDate = QStringLiteral("01-01-2001");
        session.PickTime = QStringLiteral("01:01:01");
        context.randomSource = [this] { return std::make_unique<FixedRandomSource>(7, draws); };
        context.linePrinter = [this](Prompter&) {
            return std::make_unique<PdfLinePrinter>(pdfPath);
        };
        window = std::make_unique<DisplayWindow>(context);
        window->show();
        window->Form_Activate();
        results()->addItems(kEarlier);
    }
    ~Picking() { window.reset(); }

    QListWidget* results() const { return window->resultsList(); }
    QStringList resultLines() const {
        QStringList lines;
        for (int i = 0; i < results()->count(); ++i) lines << results()->item(i)->text();
        return lines;
    }
    void click(const char* name) const {
        QTest::mouseClick(window->findChild<QPushButton*>(QLatin1String(name)), Qt::LeftButton);
    }
    // Answers the input box, and the message that follows unless `silent`.
    void pick(std::optional<QString> answer, bool silent = false) {
        prompter.answerInput(answer);
        if (!silent) prompter.answerOk();
        click("cmdPick");
    }

    std::vector<double> draws;
    QTemporaryDir pdfFolder;
    QString pdfPath = pdfFolder.filePath(QStringLiteral("results.pdf"));
    std::unique_ptr<DisplayWindow> window;
};

}  // namespace

class DisplayPickTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { trm_FailAfter(-1, 0); }
    void answersThatAreNoCountEndThePickSilently_data();
    void answersThatAreNoCountEndThePickSilently();
    void aPickListsItsDrawsInOrderAndOpensTheResults();
    void aHalfRoundsToTheEvenCount();
    void aPickThatCannotBeMadeSaysSoAndKeepsTheEarlierResults_data();
    void aPickThatCannotBeMadeSaysSoAndKeepsTheEarlierResults();
    void printingPutsTheResultsOnPaperInOrder();
    void aPrinterFailureIsReported();
    void theResultsAndFindButtonsOpenTheirWindows();
};

void DisplayPickTest::answersThatAreNoCountEndThePickSilently_data() {
    QTest::addColumn<std::optional<QString>>("answer");
    QTest::newRow("zero") << std::optional<QString>(QStringLiteral("0"));
    QTest::newRow("zero with spaces") << std::optional<QString>(QStringLiteral(" 0 "));
    QTest::newRow("letters") << std::optional<QString>(QStringLiteral("abc"));
    QTest::newRow("empty") << std::optional<QString>(QString());
    QTest::newRow("cancelled") << std::optional<QString>();
    QTest::newRow("more than the records") << std::optional<QString>(QStringLiteral("6"));
    QTest::newRow("negative") << std::optional<QString>(QStringLiteral("-1"));
    QTest::newRow("rounds to zero") << std::optional<QString>(QStringLiteral("0.4"));
}

void DisplayPickTest::answersThatAreNoCountEndThePickSilently() {
    QFETCH(std::optional<QString>, answer);
    Picking p("ABCDE");
    const QByteArrayList before = p.db.dataStrings();
    p.pick(answer, true);

    VERIFY_PROMPTS(p.prompter);
    QCOMPARE(p.prompter.prompts().size(), 1);
    const FakePrompter::Prompt asked = p.prompter.last();
    QCOMPARE(asked.text, QStringLiteral("How many picks (1-5)?"));
    QCOMPARE(asked.title, QStringLiteral("RANDOLA"));
    QCOMPARE(asked.defaultText, QStringLiteral("0"));
    QCOMPARE(p.resultLines(), kEarlier);
    QCOMPARE(p.session.PickDate, QStringLiteral("01-01-2001"));
    QCOMPARE(p.session.PickTime, QStringLiteral("01:01:01"));
    QVERIFY(!p.window->resultsFrame()->isEnabled());
    QCOMPARE(p.db.dataStrings(), before);
}

void DisplayPickTest::aPickListsItsDrawsInOrderAndOpensTheResults() {
    Picking p("ABC");
    // Always the first of the positions left: A, then C (swapped into A's place), then B.
    p.draws = {0.0, 0.0, 0.0};
    p.pick(QStringLiteral("3"));

    VERIFY_PROMPTS(p.prompter);
    const FakePrompter::Prompt told = p.prompter.last();
    QCOMPARE(told.text, QStringLiteral("Results have been obtained."));
    QCOMPARE(told.title, QStringLiteral("SUCCESS!"));
    QCOMPARE(told.icon, Prompter::Icon::Information);
    QCOMPARE(p.resultLines(), (QStringList{QStringLiteral("A,Team A,,,,,,,,,,\r\n======"),
                                           QStringLiteral("C,Team C,,,,,,,,,,\r\n======"),
                                           QStringLiteral("B,Team B,,,,,,,,,,\r\n======")}));
    QVERIFY(p.window->resultsFrame()->isEnabled());
    QCOMPARE(p.session.PickDate, QStringLiteral("07-04-2004"));
    QCOMPARE(p.session.PickTime, QStringLiteral("14:05:09"));
    QCOMPARE(p.session.LastResult, 0);
    // The last record drawn, as stored.
    QCOMPARE(RecordToString(p.session.CurrentRecord), p.db.dataStrings().at(1));
    QCOMPARE(p.session.CurrentRecord.TimesPicked, 1);
    QCOMPARE(p.db.history().size(), std::size_t(3));

    // Going to another window and back closes the results again.
    p.window->Form_Activate();
    QVERIFY(!p.window->resultsFrame()->isEnabled());
}

void DisplayPickTest::aHalfRoundsToTheEvenCount() {
    Picking p("ABCD");
    p.pick(QStringLiteral("2.5"));
    VERIFY_PROMPTS(p.prompter);
    QCOMPARE(p.resultLines().size(), 2);
    QCOMPARE(p.db.history().size(), std::size_t(2));
}

void DisplayPickTest::aPickThatCannotBeMadeSaysSoAndKeepsTheEarlierResults_data() {
    QTest::addColumn<QByteArray>("omitted");
    QTest::addColumn<bool>("failWrite");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("reason");
    QTest::newRow("omitted") << QByteArray("ABC") << false << "NOT ENOUGH!"
                             << "You asked for 3 picks, but only 2 of the 5 records can be "
                                "drawn: the others are omitted from picks.\r\nNothing was picked.";
    QTest::newRow("store failure") << QByteArray() << true << "ERROR!"
                                   << "The pick could not be stored, so nothing was picked.\r\n" +
                                          trm_ResultText(TrmCode::IoError);
}

void DisplayPickTest::aPickThatCannotBeMadeSaysSoAndKeepsTheEarlierResults() {
    QFETCH(QByteArray, omitted);
    QFETCH(bool, failWrite);
    QFETCH(QString, title);
    QFETCH(QString, reason);
    Picking p("ABCDE", omitted);
    const QByteArrayList before = p.db.dataStrings();
    if (failWrite) trm_FailAfter(3, TrmCode::IoError);
    p.pick(QStringLiteral("3"));
    trm_FailAfter(-1, 0);

    VERIFY_PROMPTS(p.prompter);
    const FakePrompter::Prompt told = p.prompter.last();
    QCOMPARE(told.title, title);
    QCOMPARE(told.icon, Prompter::Icon::Exclamation);
    QVERIFY2(told.text.startsWith(reason), qPrintable(told.text));
    QCOMPARE(p.resultLines(), kEarlier);
    QCOMPARE(p.session.PickDate, QStringLiteral("01-01-2001"));
    QVERIFY(!p.window->resultsFrame()->isEnabled());
    QCOMPARE(p.db.dataStrings(), before);
    QVERIFY(p.db.history().empty());
}

void DisplayPickTest::printingPutsTheResultsOnPaperInOrder() {
    Picking p("AB");
    p.draws = {0.0, 0.0};
    p.pick(QStringLiteral("2"));
    const QStringList expected{QStringLiteral("RESULTS FROM 07-04-2004 AT 14:05:09"),
                               QStringLiteral("A,Team A,,,,,,,,,,"), QStringLiteral("======"),
                               QStringLiteral("B,Team B,,,,,,,,,,"), QStringLiteral("======")};
    p.click("cmdPrintResults");
    QCOMPARE(PdfText::lines(p.pdfPath), expected);
    // A second printout is the same: printing changes nothing.
    QVERIFY(QFile::remove(p.pdfPath));
    p.click("cmdPrintResults");
    QCOMPARE(PdfText::lines(p.pdfPath), expected);
    VERIFY_PROMPTS(p.prompter);
}

void DisplayPickTest::aPrinterFailureIsReported() {
    Picking p("AB");
    p.pick(QStringLiteral("1"));
    p.pdfPath = p.pdfFolder.filePath(QStringLiteral("missing/results.pdf"));
    p.prompter.answerOk();
    p.click("cmdPrintResults");
    VERIFY_PROMPTS(p.prompter);
    const FakePrompter::Prompt told = p.prompter.last();
    QCOMPARE(told.text, QStringLiteral("There was a problem printing the report."));
    QCOMPARE(told.title, QStringLiteral("ERROR!"));
    QCOMPARE(told.icon, Prompter::Icon::Exclamation);
}

void DisplayPickTest::theResultsAndFindButtonsOpenTheirWindows() {
    Picking p("AB");
    p.pick(QStringLiteral("1"));
    p.click("cmdExportResults");
    p.click("cmdEmailResults");
    p.click("cmdFind");
    QCOMPARE(p.shell.shown, (QList<Shell::Window>{Shell::Window::Export, Shell::Window::Email,
                                                  Shell::Window::Find}));
    VERIFY_PROMPTS(p.prompter);
}

QTEST_MAIN(DisplayPickTest)
#include "DisplayPickTest.moc"
