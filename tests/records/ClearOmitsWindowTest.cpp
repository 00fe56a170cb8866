#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include "WindowSession.h"
#include "records/ClearOmits.h"
#include "records/ClearOmitsWindow.h"
#include "store/RecordManager.h"

namespace {

QByteArray omitFlags(const PickDatabase& db) {
    QByteArray flags;
    for (const QByteArray& r : db.dataStrings()) flags += r[DataRecord::OmitOffset];
    return flags;
}

}  // namespace

class ClearOmitsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { trm_FailAfter(-1, 0); }
    void clearsOnceShownStaysOpenWhileWorkingAndClosesWhenDone();
    void anEmptyDatabaseEndsAtOnceWithAFullBar();
    void aFailureIsShownAndNothingIsCleared();
};

void ClearOmitsWindowTest::clearsOnceShownStaysOpenWhileWorkingAndClosesWhenDone() {
    WindowSession run;
    const QByteArray many(3 * ClearOmits::BatchSize, 'A');
    run.db.addNamed(many + "B", "A");
    ClearOmitsWindow window(run.context);
    QCOMPARE(window.objectName(), QStringLiteral("frmClearOmits"));
    QCOMPARE(window.windowTitle(), QStringLiteral("RANDOLA 3.00 - [Remove Omits]"));
    QCOMPARE(window.findChild<QLabel*>("Label1")->text(),
             QStringLiteral("Currently un-checking the checked omits..."));
    QCOMPARE(window.findChild<QLabel*>("Label2")->text(), QStringLiteral("0 %"));
    QCOMPARE(window.findChild<QLabel*>("Label3")->text(), QStringLiteral("100 %"));
    auto* done = window.findChild<QPushButton*>("Command1");
    QCOMPARE(done->text(), QStringLiteral("Done"));

    window.show();
    // A timer, not a posted event, so that it comes in between two batches.
    bool closedWhileRunning = true;
    QTimer::singleShot(1, &window, [&] {
        QVERIFY(window.isRunning());
        closedWhileRunning = window.close();
    });
    QTRY_VERIFY(done->isVisible());
    QVERIFY(!closedWhileRunning);
    QCOMPARE(omitFlags(run.db), QByteArray(many.size() + 1, 'F'));
    auto* bar = window.findChild<QProgressBar*>("ProgressBar1");
    QCOMPARE(bar->value(), bar->maximum());

    QTest::keyClick(&window, Qt::Key_Escape);
    QVERIFY(!window.isVisible());
    VERIFY_PROMPTS(run.prompter);
}

void ClearOmitsWindowTest::anEmptyDatabaseEndsAtOnceWithAFullBar() {
    WindowSession run;
    ClearOmitsWindow window(run.context);
    window.show();
    auto* done = window.findChild<QPushButton*>("Command1");
    QTRY_VERIFY(done->isVisible());
    auto* bar = window.findChild<QProgressBar*>("ProgressBar1");
    // An empty range would show a busy bar for ever.
    QVERIFY(bar->maximum() > bar->minimum());
    QCOMPARE(bar->value(), bar->maximum());
    QTest::mouseClick(done, Qt::LeftButton);
    QVERIFY(!window.isVisible());
    VERIFY_PROMPTS(run.prompter);
}

void ClearOmitsWindowTest::aFailureIsShownAndNothingIsCleared() {
    WindowSession run;
    run.db.addNamed("ABC", "ABC");
    run.prompter.answerOk();
    trm_FailAfter(0, TrmCode::IoError);
    ClearOmitsWindow window(run.context);
    window.show();
    QTRY_VERIFY(window.findChild<QPushButton*>("Command1")->isVisible());
    VERIFY_PROMPTS(run.prompter);
    const FakePrompter::Prompt shown = run.prompter.last();
    QCOMPARE(shown.title, QStringLiteral("ERROR!"));
    QCOMPARE(shown.icon, Prompter::Icon::Exclamation);
    QVERIFY(shown.text.startsWith(
        QStringLiteral("The omits could not be cleared; every record is as it was.\r\n")));
    QCOMPARE(run.session.LastResult, TrmCode::IoError);
    QCOMPARE(omitFlags(run.db), QByteArray("TTT"));
}

QTEST_MAIN(ClearOmitsWindowTest)
#include "ClearOmitsWindowTest.moc"
