#include <QtTest>
#include <QtWidgets>

#include "app/AppHarness.h"
#include "store/Clock.h"
#include "store/Session.h"
#include "support/FakePrompter.h"
#include "support/FakeShell.h"
#include "support/LoopbackServices.h"
#include "support/TestFolder.h"
#include "update/UpdateWindow.h"

using namespace std::chrono_literals;
using Buttons = Prompter::Buttons;

namespace {

const char* kVersion = "/zazazuvu/randola3/application.txt";
const char* kNews = "/zazazuvu/randola3/news.txt";

// The update window asking the service at `service`.
struct Fixture {
    explicit Fixture(const QString& service) {
        context.updateService = UpdateService(service);
        context.transferLimits = {1000ms, 2000ms};
        window = std::make_unique<UpdateWindow>(context);
        window->show();
    }

    QPushButton* button(const char* name) const { return window->findChild<QPushButton*>(name); }
    void check() const {
        QTest::mouseClick(button("Command1"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(button("Command1")->isEnabled(), 10000);
    }
    QString failure() const {
        return "An error has occured. Update failed.\nYou must download new version of this "
               "application manually at " +
               context.updateService.webSite() + ".";
    }

    TestFolder folder;
    Session session;
    FakePrompter prompter;
    FixedClock clock{QDateTime(QDate(2004, 7, 4), QTime(13, 14, 15))};
    FakeShell shell;
    AppContext context{session, prompter, clock, folder.folder(), shell};
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
        QCOMPARE(f.button("Command1")->text(), "Check for update");
    }

    // Each reply of the service, what the user is shown, and what is opened.
    void replies_data() {
        QTest::addColumn<QByteArray>("version");  // "-": no version file
        QTest::addColumn<QByteArray>("news");     // "-": no news file
        QTest::addColumn<int>("answer");          // 1 Yes, 0 No
        QTest::addColumn<QString>("shown");       // "" when nothing is shown
        QTest::addColumn<bool>("opened");

        const QString upToDate = " [Information Ok] Your software is currently up to date.";
        const QString failed = " [Critical Ok] %1";
        QTest::newRow("same") << QByteArray("3.0") << QByteArray("-") << 0 << upToDate << false;
        QTest::newRow("older") << QByteArray("2.9") << QByteArray("-") << 0 << upToDate << false;
        QTest::newRow("empty") << QByteArray("") << QByteArray("-") << 0 << "" << false;
        QTest::newRow("newer, Yes")
            << QByteArray("3.1\r\n") << QByteArray("Fixes the printing of reports3.0rest") << 1
            << "You can update from version 3.0 to version 3.1 [None Yes/No] Fixes the printing of"
            << true;
        QTest::newRow("ten, No") << QByteArray("10.0") << QByteArray("123456783.0 news") << 0
                                 << "You can update from version 3.0 to version 10.0 [None Yes/No] "
                                 << false;
        QTest::newRow("version absent from news")
            << QByteArray("3.1") << QByteArray("All new.") << 0
            << "You can update from version 3.0 to version 3.1 [None Yes/No] All new." << false;
        QTest::newRow("no version file")
            << QByteArray("-") << QByteArray("-") << 0 << failed << false;
        QTest::newRow("no news file")
            << QByteArray("3.1") << QByteArray("-") << 0 << failed << false;
        QTest::newRow("not a version")
            << QByteArray("<html>") << QByteArray("-") << 0 << failed << false;
    }
    void replies() {
        QFETCH(QByteArray, version);
        QFETCH(QByteArray, news);
        QFETCH(int, answer);
        QFETCH(QString, shown);
        QFETCH(bool, opened);
        WebFolder web;
        QVERIFY(web.listening());
        if (version != "-") QVERIFY(web.put(kVersion, version));
        if (news != "-") QVERIFY(web.put(kNews, news));
        Fixture f(web.address());
        if (shown.contains("Yes/No"))
            f.prompter.answer(answer ? Prompter::Answer::Yes : Prompter::Answer::No);
        else if (!shown.isEmpty())
            f.prompter.answerOk();
        if (shown.contains("[Critical")) shown = shown.arg(f.failure());
        f.check();
        VERIFY_PROMPTS(f.prompter);
        if (shown.isEmpty()) {
            QCOMPARE(f.prompter.prompts().size(), 0);
        } else {
            const FakePrompter::Prompt p = f.prompter.last();
            const char* icons[] = {"None", "Critical", "Exclamation", "Information", "Question"};
            const QString seen = p.title + " [" + icons[int(p.icon)] +
                                 (p.buttons == Buttons::YesNo ? " Yes/No] " : " Ok] ") + p.text;
            QCOMPARE(seen, shown);
        }
        QCOMPARE(f.shell.opened,
                 opened ? QStringList{web.address() + "/zazazuvu/restricted/randola3/randola3f.zip"}
                        : QStringList{});
    }

    void noServiceIsAFailure() {
        SilentListener silent;
        const QString services[] = {
            QStringLiteral("http://127.0.0.1:%1").arg(LoopbackServer::freePort()),
            QStringLiteral("http://127.0.0.1:%1").arg(silent.port()),
        };
        for (const QString& service : services) {
            Fixture f(service);
            f.prompter.answerOk();
            QTest::mouseClick(f.button("Command1"), Qt::LeftButton);
            // A second click while the check runs starts nothing.
            f.button("Command1")->click();
            QTRY_VERIFY_WITH_TIMEOUT(f.button("Command1")->isEnabled(), 10000);
            VERIFY_PROMPTS(f.prompter);
            QCOMPARE(f.prompter.last().text, f.failure());
            QCOMPARE(f.prompter.last().icon, Icon::Critical);
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
        QTest::mouseClick(f.button("Command1"), Qt::LeftButton);
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
