#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "WindowSession.h"
#include "records/DisplayWindow.h"
#include "records/RandomSource.h"
#include "store/RecordManager.h"
#include "support/PdfText.h"
#include "ui/PdfLinePrinter.h"

namespace {

const QStringList kEarlier = {QStringLiteral("Old,One,,,,,,,,,,\r\n======")};

// The record window over records named by letters, after an earlier pick,
// with a random source that draws `draws` first and a printer into a PDF.
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
        window->resultsList()->addItems(kEarlier);
    }

    QStringList results() const {
        QStringList lines;
        QListWidget* list = window->resultsList();
        for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
        return lines;
    }
    void click(const char* name) const {
        QTest::mouseClick(window->findChild<QPushButton*>(QLatin1String(name)), Qt::LeftButton);
    }
    // Answers the input box, and the message after it unless `silent`.
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
    void aPickListsItsDrawsInOrderAndPrintsThem();
    void aPickThatCannotBeMadeSaysSoAndKeepsTheEarlierResults_data();
    void aPickThatCannotBeMadeSaysSoAndKeepsTheEarlierResults();
    void theResultButtonsOpenTheirWindowsAndAPrinterFailureIsTold();
};

void DisplayPickTest::answersThatAreNoCountEndThePickSilently_data() {
    QTest::addColumn<std::optional<QString>>("answer");
    for (const char* typed : {"0", " 0 ", "abc", "", "6", "-1", "0.4"}) {
        QTest::newRow(typed) << std::optional<QString>(QString::fromLatin1(typed));
    }
    QTest::newRow("cancelled") << std::optional<QString>();
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
    QCOMPARE(p.results(), kEarlier);
    QCOMPARE(p.session.PickTime, QStringLiteral("01:01:01"));
    QCOMPARE(p.db.dataStrings(), before);
}

void DisplayPickTest::aPickListsItsDrawsInOrderAndPrintsThem() {
    Picking p("ABC");
    // Always the first position left: A, then C (moved into A's place), then B.
    p.draws = {0.0, 0.0, 0.0};
    p.pick(QStringLiteral("3"));

    const FakePrompter::Prompt told = p.prompter.last();
    QCOMPARE(told.text, QStringLiteral("Results have been obtained."));
    QCOMPARE(told.title, QStringLiteral("SUCCESS!"));
    QCOMPARE(told.icon, Prompter::Icon::Information);
    QCOMPARE(p.results(), (QStringList{QStringLiteral("A,Team A,,,,,,,,,,\r\n======"),
                                       QStringLiteral("C,Team C,,,,,,,,,,\r\n======"),
                                       QStringLiteral("B,Team B,,,,,,,,,,\r\n======")}));
    QVERIFY(p.window->resultsFrame()->isEnabled());
    QCOMPARE(p.session.PickDate, QStringLiteral("07-04-2004"));
    QCOMPARE(p.session.PickTime, QStringLiteral("14:05:09"));
    QCOMPARE(RecordToString(p.session.CurrentRecord), p.db.dataStrings().at(1));

    // Printed twice, the same both times.
    for (int i = 0; i < 2; ++i) {
        QFile::remove(p.pdfPath);
        p.click("cmdPrintResults");
        QCOMPARE(PdfText::lines(p.pdfPath),
                 (QStringList{"RESULTS FROM 07-04-2004 AT 14:05:09", "A,Team A,,,,,,,,,,", "======",
                              "C,Team C,,,,,,,,,,", "======", "B,Team B,,,,,,,,,,", "======"}));
    }
    VERIFY_PROMPTS(p.prompter);
    // Coming back to the window closes the results again.
    p.window->Form_Activate();
    QVERIFY(!p.window->resultsFrame()->isEnabled());
}

void DisplayPickTest::aPickThatCannotBeMadeSaysSoAndKeepsTheEarlierResults_data() {
    QTest::addColumn<QByteArray>("omitted");
    QTest::addColumn<int>("failingWrite");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("reason");
    QTest::newRow("omitted") << QByteArray("ABC") << -1 << "NOT ENOUGH!"
                             << "You asked for 3 picks, but only 2 of the 5 records can be "
                                "drawn: the others are omitted from picks.\r\nNothing was picked.";
    QTest::newRow("store failure") << QByteArray() << 3 << "ERROR!"
                                   << "The pick could not be stored, so nothing was picked.\r\n" +
                                          trm_ResultText(TrmCode::IoError);
}

void DisplayPickTest::aPickThatCannotBeMadeSaysSoAndKeepsTheEarlierResults() {
    QFETCH(QByteArray, omitted);
    QFETCH(int, failingWrite);
    QFETCH(QString, title);
    QFETCH(QString, reason);
    Picking p("ABCDE", omitted);
    const QByteArrayList before = p.db.dataStrings();
    trm_FailAfter(failingWrite, TrmCode::IoError);
    p.pick(QStringLiteral("3"));
    trm_FailAfter(-1, 0);

    VERIFY_PROMPTS(p.prompter);
    const FakePrompter::Prompt told = p.prompter.last();
    QCOMPARE(told.title, title);
    QCOMPARE(told.icon, Prompter::Icon::Exclamation);
    QVERIFY2(told.text.startsWith(reason), qPrintable(told.text));
    QCOMPARE(p.results(), kEarlier);
    QCOMPARE(p.session.PickDate, QStringLiteral("01-01-2001"));
    QVERIFY(!p.window->resultsFrame()->isEnabled());
    QCOMPARE(p.db.dataStrings(), before);
    QVERIFY(p.db.historyStrings().isEmpty());
}

void DisplayPickTest::theResultButtonsOpenTheirWindowsAndAPrinterFailureIsTold() {
    Picking p("AB");
    p.pick(QStringLiteral("1"));
    p.click("cmdExportResults");
    p.click("cmdEmailResults");
    p.click("cmdFind");
    QCOMPARE(p.shell.shown, (QList<Shell::Window>{Shell::Window::Export, Shell::Window::Email,
                                                  Shell::Window::Find}));

    p.pdfPath = p.pdfFolder.filePath(QStringLiteral("missing/results.pdf"));
    p.prompter.answerOk();
    p.click("cmdPrintResults");
    VERIFY_PROMPTS(p.prompter);
    const FakePrompter::Prompt told = p.prompter.last();
    QCOMPARE(told.text, QStringLiteral("There was a problem printing the report."));
    QCOMPARE(told.title, QStringLiteral("ERROR!"));
    QCOMPARE(told.icon, Prompter::Icon::Exclamation);
}

QTEST_MAIN(DisplayPickTest)
#include "DisplayPickTest.moc"
