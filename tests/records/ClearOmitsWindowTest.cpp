#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include "WindowSession.h"
#include "records/ClearOmits.h"
#include "records/ClearOmitsWindow.h"
#include "store/RecordManager.h"

class ClearOmitsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { trm_FailAfter(-1, 0); }
    void showsItsCaptionsAndClearsEveryOmitOnceShown();
    void anEmptyDatabaseEndsAtOnceWithAFullBar();
    void aFailureIsShownAndNothingIsCleared();
    void itStaysOpenWhileItWorksAndKeysCloseItAfter();
};

void ClearOmitsWindowTest::showsItsCaptionsAndClearsEveryOmitOnceShown() {
    WindowSession run;
    run.db.addFlags("TFTt");
    ClearOmitsWindow window(run.context);
    QCOMPARE(window.objectName(), QStringLiteral("frmClearOmits"));
    QCOMPARE(window.windowTitle(), QStringLiteral("RANDOLA 3.00 - [Remove Omits]"));
    QCOMPARE(window.findChild<QLabel*>("Label1")->text(),
             QStringLiteral("Currently un-checking the checked omits..."));
    QCOMPARE(window.findChild<QLabel*>("Label2")->text(), QStringLiteral("0 %"));
    QCOMPARE(window.findChild<QLabel*>("Label3")->text(), QStringLiteral("100 %"));
    auto* done = window.findChild<QPushButton*>("Command1");
    QCOMPARE(done->text(), QStringLiteral("Done"));
    QCOMPARE(run.db.omitFlags(), QByteArray("TFTt"));  // nothing before it shows

    window.show();
    QTRY_VERIFY(done->isVisible());
    QVERIFY(!window.isRunning());
    QCOMPARE(run.db.omitFlags(), QByteArray("FFFt"));
    auto* bar = window.findChild<QProgressBar*>("ProgressBar1");
    QCOMPARE(bar->value(), bar->maximum());
    VERIFY_PROMPTS(run.prompter);

    QTest::mouseClick(done, Qt::LeftButton);
    QVERIFY(!window.isVisible());
}

void ClearOmitsWindowTest::anEmptyDatabaseEndsAtOnceWithAFullBar() {
    WindowSession run;
    ClearOmitsWindow window(run.context);
    window.show();
    auto* done = window.findChild<QPushButton*>("Command1");
    QTRY_VERIFY(done->isVisible());
    auto* bar = window.findChild<QProgressBar*>("ProgressBar1");
    // A bar whose range is empty would run as a busy indicator for ever.
    QVERIFY(bar->maximum() > bar->minimum());
    QCOMPARE(bar->value(), bar->maximum());
    VERIFY_PROMPTS(run.prompter);
}

void ClearOmitsWindowTest::aFailureIsShownAndNothingIsCleared() {
    WindowSession run;
    run.db.addFlags("TTT");
    run.prompter.answerOk();
    trm_FailAfter(0, TrmCode::IoError);
    ClearOmitsWindow window(run.context);
    window.show();
    QTRY_VERIFY(window.findChild<QPushButton*>("Command1")->isVisible());
    trm_FailAfter(-1, 0);
    VERIFY_PROMPTS(run.prompter);
    const FakePrompter::Prompt shown = run.prompter.last();
    QCOMPARE(shown.title, QStringLiteral("ERROR!"));
    QCOMPARE(shown.icon, Prompter::Icon::Exclamation);
    QVERIFY(shown.text.startsWith(
        QStringLiteral("The omits could not be cleared; every record is as it was.\r\n")));
    QCOMPARE(run.session.LastResult, TrmCode::IoError);
    QCOMPARE(run.db.omitFlags(), QByteArray("TTT"));
}

void ClearOmitsWindowTest::itStaysOpenWhileItWorksAndKeysCloseItAfter() {
    WindowSession run;
    run.db.addFlags(QByteArray(3 * ClearOmits::BatchSize, 'T'));
    ClearOmitsWindow window(run.context);
    window.show();
    // A timer, not a posted event: it comes in between two batches.
    bool closedWhileRunning = true;
    QTimer::singleShot(1, &window, [&] {
        QVERIFY(window.isRunning());
        closedWhileRunning = window.close();
    });
    auto* done = window.findChild<QPushButton*>("Command1");
    QTRY_VERIFY(done->isVisible());
    QVERIFY(!closedWhileRunning);
    QVERIFY(window.isVisible());
    QCOMPARE(run.db.omitFlags(), QByteArray(3 * ClearOmits::BatchSize, 'F'));

    QTest::keyClick(&window, Qt::Key_Escape);
    QVERIFY(!window.isVisible());
    VERIFY_PROMPTS(run.prompter);
}

QTEST_MAIN(ClearOmitsWindowTest)
#include "ClearOmitsWindowTest.moc"
