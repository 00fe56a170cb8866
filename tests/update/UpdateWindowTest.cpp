#include <QtTest>
#include <QtWidgets>

#include "app/AppHarness.h"
#include "support/LoopbackServices.h"
#include "support/WindowContext.h"
#include "update/UpdateWindow.h"

using namespace std::chrono_literals;

namespace {

// The update window asking the service at `service`.
struct Fixture : WindowContext {
    explicit Fixture(const QString& service) {
        context.updateService = UpdateService(service);
        context.transferLimits = {1000ms, 2000ms};
        window = std::make_unique<UpdateWindow>(context);
        window->show();
    }

    QPushButton* button() const { return window->findChild<QPushButton*>("Command1"); }
    // Clicks twice, as an impatient user does, and waits for the check to end.
    void check() const {
        QTest::mouseClick(button(), Qt::LeftButton);
        button()->click();
        QTRY_VERIFY_WITH_TIMEOUT(button()->isEnabled(), 10000);
    }
    // The one prompt shown, as "title [icon buttons] text"; empty when none was.
    QString shown() const {
        if (prompter.prompts().size() != 1) return prompter.prompts().isEmpty() ? "" : "several";
        const FakePrompter::Prompt p = prompter.last();
        const char* icons[] = {"None", "Critical", "Exclamation", "Information", "Question"};
        return p.title + " [" + icons[int(p.icon)] +
               (p.buttons == Prompter::Buttons::YesNo ? " Yes/No] " : " Ok] ") + p.text;
    }
    QString failure() const {
        return " [Critical Ok] An error has occured. Update failed.\nYou must download new "
               "version of this application manually at " +
               context.updateService.webSite() + ".";
    }

    std::unique_ptr<UpdateWindow> window;
};

}  // namespace

class UpdateWindowTest : public QObject {
    Q_OBJECT

private slots:
    void caption() {
        Fixture f(QStringLiteral("http://127.0.0.1:9"));
        QCOMPARE(f.window->objectName(), "frmInternetUpdate");
        QCOMPARE(f.window->windowTitle(), "Internet Update 3.0");
        QCOMPARE(f.button()->text(), "Check for update");
    }

    // Each reply of the service, what the user is shown, and whether the
    // download is opened (on Yes only).
    void replies_data() {
        QTest::addColumn<QByteArray>("version");  // "-": no version file
        QTest::addColumn<QByteArray>("news");     // "-": no news file
        QTest::addColumn<QString>("shown");       // "failure": the failure text
        QTest::addColumn<bool>("yes");

        const QString upToDate = " [Information Ok] Your software is currently up to date.";
        const QString offer = "You can update from version 3.0 to version %1 [None Yes/No] %2";
        QTest::newRow("same") << QByteArray("3.0") << QByteArray("-") << upToDate << false;
        QTest::newRow("empty") << QByteArray("") << QByteArray("-") << "" << false;
        QTest::newRow("newer, Yes")
            << QByteArray("3.1\r\n") << QByteArray("Fixes the printing of reports3.0rest")
            << offer.arg("3.1", "Fixes the printing of") << true;
        QTest::newRow("ten, No") << QByteArray("10.0") << QByteArray("All new.")
                                 << offer.arg("10.0", "All new.") << false;
        QTest::newRow("no version file")
            << QByteArray("-") << QByteArray("-") << "failure" << false;
        QTest::newRow("no news file") << QByteArray("3.1") << QByteArray("-") << "failure" << false;
        QTest::newRow("not a version")
            << QByteArray("<html>") << QByteArray("-") << "failure" << false;
    }
    void replies() {
        QFETCH(QByteArray, version);
        QFETCH(QByteArray, news);
        QFETCH(QString, shown);
        QFETCH(bool, yes);
        WebFolder web;
        QVERIFY(web.listening());
        if (version != "-") QVERIFY(web.put("/zazazuvu/randola3/application.txt", version));
        if (news != "-") QVERIFY(web.put("/zazazuvu/randola3/news.txt", news));
        Fixture f(web.address());
        if (shown.contains("Yes/No"))
            f.prompter.answer(yes ? Prompter::Answer::Yes : Prompter::Answer::No);
        else if (!shown.isEmpty())
            f.prompter.answerOk();
        f.check();
        VERIFY_PROMPTS(f.prompter);
        QCOMPARE(f.shown(), shown == "failure" ? f.failure() : shown);
        QCOMPARE(f.shell.opened,
                 yes ? QStringList{web.address() + "/zazazuvu/restricted/randola3/randola3f.zip"}
                     : QStringList{});
    }

    // A closed port and a silent server.
    void noServiceIsAFailure() {
        SilentListener silent;
        for (const QString& service :
             {QStringLiteral("http://127.0.0.1:%1").arg(LoopbackServer::freePort()),
              QStringLiteral("http://127.0.0.1:%1").arg(silent.port())}) {
            Fixture f(service);
            f.prompter.answerOk();
            f.check();
            VERIFY_PROMPTS(f.prompter);
            QCOMPARE(f.shown(), f.failure());
            QVERIFY(f.shell.opened.isEmpty());
        }
    }

    void oneWindowAtATime() {
        AppHarness app;
        app.action("mnuToolsUpdates")->trigger();
        app.action("mnuToolsUpdates")->trigger();
        const auto open = app.window.findChildren<UpdateWindow*>();
        QCOMPARE(open.size(), 1);
        QVERIFY(open.first()->isVisible() && open.first()->isWindow());
    }

    // Closing the window ends a check that waits on a silent server.
    void closingStopsTheCheck() {
        SilentListener silent;
        Fixture f(QStringLiteral("http://127.0.0.1:%1").arg(silent.port()));
        f.context.transferLimits = {30s, 60s};
        QTest::mouseClick(f.button(), Qt::LeftButton);
        QCOMPARE(f.window->cursor().shape(), Qt::WaitCursor);
        QElapsedTimer clock;
        clock.start();
        f.window->close();
        f.window.reset();
        QVERIFY2(clock.elapsed() < 5000, "the check went on after the window closed");
        QCOMPARE(f.prompter.prompts().size(), 0);
    }
};

QTEST_MAIN(UpdateWindowTest)
#include "UpdateWindowTest.moc"
