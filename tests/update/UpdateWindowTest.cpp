#include <QtTest>
#include <QtWidgets>

#include "app/AppHarness.h"
#include "support/LoopbackServices.h"
#include "support/WindowContext.h"
#include "update/UpdateService.h"
#include "update/UpdateWindow.h"

using namespace std::chrono_literals;

namespace {

// The update window asking the service at `service`.
struct Fixture : WindowContext {
    explicit Fixture(const QString& service) {
        context.updateService = [service] { return UpdateService(service); };
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
    // The one prompt shown; empty when none was.
    QString shown() const {
        if (prompter.prompts().size() != 1) return prompter.prompts().isEmpty() ? "" : "several";
        return prompter.last().said();
    }
    QString status() const { return window->findChild<QLabel*>("lblStatus")->text(); }
    QString failure() const {
        return " [Critical] An error has occured. Update failed.\nYou must download new "
               "version of this application manually at " +
               context.updateService().webSite() + ".";
    }

    std::unique_ptr<UpdateWindow> window;
};

}  // namespace

class UpdateWindowTest : public QObject {
    Q_OBJECT

private slots:
    // Each reply of the service, or none, what the user is shown, and whether
    // the download is opened (on Yes only).
    void replies() {
        WebFolder web;
        QVERIFY(web.listening());
        SilentListener silent;
        const QString closed =
            QStringLiteral("http://127.0.0.1:%1").arg(LoopbackServer::freePort());
        const QString quiet = QStringLiteral("http://127.0.0.1:%1").arg(silent.port());
        const QString upToDate = " [Information] Your software is currently up to date.";
        const QString offer = "You can update from version 3.0 to version %1 [None Yes/No] %2";
        const QString failed = QStringLiteral("failure");
        const struct {
            QByteArray version, news;  // "-": no such file
            QString shown;             // "": nothing shown
            bool yes = false;
            QString service = {};  // none: the web folder
            QString status = {};   // what the status line must say, if anything
        } cases[] = {
            // Versions compare as numbers; what follows the number is no matter.
            {"3.0 beta", "-", upToDate},
            {"2.9", "-", upToDate},
            {"3.1\r\n", "Fixes the printing of reports3.0rest",
             offer.arg("3.1", "Fixes the printing of"), true},
            // Byte-order marks and blanks before the text are read past.
            {"\xEF\xBB\xBF\r\n 3.1", QByteArray("\xEF\xBB\xBF") + "Faster.123456783.0",
             offer.arg("3.1", "Faster.")},
            {QByteArray::fromHex("fffe33002e003000"), "-", upToDate},  // UTF-16 "3.0"
            {" \t\n", "-", ""},
            // More than any real file holds.
            {"3.1" + QByteArray(4094, ' '), "-", failed, false, {}, "larger than 4 KB"},
            {"3.1", QByteArray(64 * 1024 + 1, 'x'), failed, false, {}, "larger than 64 KB"},
            {"10.0", "All new.", offer.arg("10.0", "All new.")},  // answered No
            // The news up to 9 characters before the running version, or all of
            // it when the version comes sooner.
            {"3.1", "123456783.0 and more", offer.arg("3.1", "")},
            {"4", "Only 3.0 is", offer.arg("4", "Only 3.0 is")},
            {"-", "-", failed},
            {"3.1", "-", failed},
            {"<html>", "-", failed},
            {"-", "-", failed, false, closed},
            {"-", "-", failed, false, quiet},
        };
        const QString version = QStringLiteral("/zazazuvu/randola3/application.txt");
        const QString news = QStringLiteral("/zazazuvu/randola3/news.txt");
        for (const auto& c : cases) {
            web.remove(version);
            web.remove(news);
            if (c.version != "-") QVERIFY(web.put(version, c.version));
            if (c.news != "-") QVERIFY(web.put(news, c.news));
            Fixture f(c.service.isEmpty() ? web.address() : c.service);
            if (c.shown.contains("Yes/No"))
                f.prompter.answer(c.yes ? Prompter::Answer::Yes : Prompter::Answer::No);
            else if (!c.shown.isEmpty())
                f.prompter.answerOk();
            f.check();
            VERIFY_PROMPTS(f.prompter);
            const QString asked = c.version + ' ' + c.service + ": ";
            QCOMPARE(asked + f.shown(), asked + (c.shown == failed ? f.failure() : c.shown));
            QVERIFY2(f.status().contains(c.status), qPrintable(asked + f.status()));
            const QLabel* status = f.window->findChild<QLabel*>("lblStatus");
            QVERIFY2(status->height() >= status->heightForWidth(status->width()),
                     qPrintable(asked + "the status line is cut off"));
            QCOMPARE(
                f.shell.opened,
                c.yes ? QStringList{web.address() + "/zazazuvu/restricted/randola3/randola3f.zip"}
                      : QStringList{});
        }
    }

    void oneWindowAtATimeWithItsCaptions() {
        AppHarness app;
        app.action("mnuToolsUpdates")->trigger();
        app.action("mnuToolsUpdates")->trigger();
        const auto open = app.window.findChildren<UpdateWindow*>();
        QCOMPARE(open.size(), 1);
        QVERIFY(open.first()->isVisible() && open.first()->isWindow());
        QCOMPARE(open.first()->objectName(), "frmInternetUpdate");
        QCOMPARE(AppHarness::captions(open.first()).join('|'),
                 "Internet Update 3.0||Check for update|S&top");
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
