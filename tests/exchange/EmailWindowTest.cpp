#include <QtTest>
#include <QtWidgets>

#include "app/AppHarness.h"
#include "exchange/EmailWindow.h"
#include "exchange/MailMessage.h"
#include "records/DisplayWindow.h"
#include "records/PickDatabase.h"
#include "support/LoopbackServices.h"
#include "support/WindowContext.h"
#include "support/WorldNames.h"

using namespace std::chrono_literals;

namespace {

const QStringList kResults = {"ANN,PARIS\r\n======", "BOB,ROME\r\n======"};
const QString kFailed =
    QStringLiteral("There was an error sending your email.\r\nYour message was not sent.");

// The e-mail window over the results of a pick.
struct Fixture : WindowContext {
    explicit Fixture(const QStringList& results = kResults) : window(context, results) {
        context.transferLimits = {1000ms, 2000ms};
        window.show();
    }

    QLineEdit* box(const char* name) const { return window.findChild<QLineEdit*>(name); }
    QPushButton* button(const char* name) const { return window.findChild<QPushButton*>(name); }
    QString body() const { return window.findChild<QPlainTextEdit*>("txtmsg")->toPlainText(); }
    QString status() const { return window.findChild<QLabel*>("lblStatus")->text(); }
    void fill(const QString& server, const QString& from, const QString& to) const {
        box("txtServer")->setText(server);
        box("txtFrom")->setText(from);
        box("txtTo")->setText(to);
    }
    // Clicks Send and waits for the send to end.
    void send() const {
        QTest::mouseClick(button("cmdSend"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(button("cmdSend")->isEnabled(), 10000);
    }
    QString shown() const { return prompter.last().said(); }

    MailSink sink;
    EmailWindow window;
};

// The first mail of the window below, as the server takes it.
const QByteArray kMail =
    "Date: Sun, 04 Jul 2004 13:14:15 +0200\r\nFrom: ann@example.com\r\nTo: bob@example.org\r\n"
    "Subject: Mail From Randola 3.00\r\nMessage-ID: <ID>\r\nMIME-Version: 1.0\r\n"
    "Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\n"
    "ANN,PARIS\r\n======BOB,ROME\r\n======\r\n";

}  // namespace

class EmailWindowTest : public QObject {
    Q_OBJECT

private slots:
    // The body is the record window's list of a pick as it stood when the
    // window opened, its text as stored.
    void bodyFromTheRecordWindow() {
        AppHarness app;
        std::vector<DataRecord> records;
        for (const QString& name : WorldNames())
            records.push_back(PickDatabase::entry({name.toUtf8(), "x"}));
        app.openDatabase("club", {"NAME", "CITY"}, records);
        app.action("mnuEditDisplay")->trigger();
        app.prompter.answerInput(QString::number(records.size())).answerOk();
        app.control<QPushButton>(Shell::Window::Display, "cmdPick")->click();
        QListWidget* results = app.task<DisplayWindow>(Shell::Window::Display)->resultsList();
        app.window.showWindow(Shell::Window::Email);
        results->addItem("CAROL,OSLO\r\n======");
        const QString body =
            app.control<QPlainTextEdit>(Shell::Window::Email, "txtmsg")->toPlainText();
        const QByteArray sent = MailMessage::bodyLines(body);
        for (const QString& name : WorldNames()) {
            QVERIFY2(body.contains(name + ",x,,,,,,,,,,\n======"), qPrintable(name));
            QVERIFY(sent.contains(name.toUtf8() + ",x,,,,,,,,,,\r\n======"));
        }
        QVERIFY(!body.contains("CAROL"));
    }

    // What was typed is refused, each box named, before anything reaches the server.
    void refusals() {
        Fixture f;
        const QString server = f.sink.address();
        const QString from = QStringLiteral("ann@example.com");
        const QString to = QStringLiteral("bob@example.org");
        const struct {
            QString server, from, to, message;
        } cases[] = {
            {server, "\t ", to, "From,To, or Mail Server field is blank."},
            {server, from + "\r\nRCPT TO:<eve@example.net>", to,
             "The From address holds a line break or another control character."},
            {server, from, to + "\nBcc: eve@example.net",
             "The Send Mail To address holds a line break or another control character."},
            {server, QString::fromUtf8("zoë@example.com"), to,
             "The From address holds a character outside ASCII (such as an accented letter), "
             "which mail servers refuse in an address."},
            {server, from, "bob@example.org, eve@example.net",
             "The Send Mail To address is not of the form name@domain."},
            {server + "\r\nQUIT", from, to,
             "The Mail Server Address is not a host name, host:port, or an smtp://, smtps:// or "
             "smtp+clear:// address."},
        };
        for (const auto& c : cases) {
            f.fill(c.server, c.from, c.to);
            f.prompter.answerOk();
            f.send();
            QCOMPARE(f.shown(), "Error! [Critical] " + c.message);
        }
        VERIFY_PROMPTS(f.prompter);
        QCOMPARE(f.box("txtSubject")->text(), "");
        QCOMPARE(f.sink.count(), 0);
    }

    void showsTheEntriesAndTwoSendsGiveTwoMails() {
        Fixture f;
        QCOMPARE(AppHarness::captions(&f.window).join('|'),
                 "RANDOLA  3.00 - [Email]|From: (your email address)|Send Mail To: (1 email "
                 "address only)|Mail Server Address: (eg. mail.example.com|Subject Of Email:|"
                 "Message:|||Email Randola Data|&User name (if the server asks):|&Password:|"
                 "&Send|S&top|&Close");
        QVERIFY(!f.window.findChild<QLabel*>("Image1")->pixmap().isNull());
        // The entries one after the other, nothing between them.
        QCOMPARE(f.body(), "ANN,PARIS\n======BOB,ROME\n======");
        f.fill(" " + f.sink.address(), "ann@example.com ", "bob@example.org");
        f.box("txtSubject")->setText("   ");
        f.prompter.answerOk().answerOk();
        f.send();
        QCOMPARE(f.shown(), "Randola 3.00 [Information] Email has bee sent.");
        QCOMPARE(f.box("txtSubject")->text(), "Mail From Randola 3.00");
        const QString subject = QString::fromUtf8(" Zoë's picks");
        f.box("txtSubject")->setText(subject);
        f.send();
        VERIFY_PROMPTS(f.prompter);
        QCOMPARE(f.sink.count(), 2);
        QCOMPARE(f.sink.envelope(1), QStringList({"ann@example.com", "bob@example.org"}));
        static const QRegularExpression id(R"(\r\nMessage-ID: <[0-9a-f-]{36}@example\.com>\r\n)");
        QCOMPARE(
            QString::fromUtf8(f.sink.content(1)).replace(id, "\r\nMessage-ID: <ID>\r\n").toUtf8(),
            kMail);
        QVERIFY(f.sink.content(2).contains("\r\nSubject: =?UTF-8?B?" + subject.toUtf8().toBase64() +
                                           "?=\r\n"));
        QCOMPARE(f.box("txtTo")->text(), "bob@example.org");
        QCOMPARE(f.status(), "Sent.");
        // A send refused after a good one does not leave "Sent." standing.
        f.box("txtTo")->clear();
        f.prompter.answerOk();
        f.send();
        QCOMPARE(f.status(), "");
    }

    // A refused recipient, a closed port, a silent server, and a server that
    // offers no encryption to a user who gave a password.
    void failuresAreNeverShownAsSent() {
        Fixture f;
        QVERIFY(f.sink.listening());
        SilentListener silent;
        const QString clear =
            "The mail server %1 offers no encryption (STARTTLS). Your message was not sent, so "
            "that it does not cross the network as plain text.\r\nTo send it unencrypted all "
            "the same, write the server as smtp+clear://%1 and leave the user name empty.";
        const struct {
            QString server, user, shown;
        } cases[] = {
            {f.sink.address(), "", kFailed},
            {QStringLiteral("127.0.0.1:%1").arg(LoopbackServer::freePort()), "", kFailed},
            {QStringLiteral("127.0.0.1:%1").arg(silent.port()), "", kFailed},
            {f.sink.address(), "ann", clear.arg(f.sink.address())},
        };
        for (const auto& c : cases) {
            f.fill(c.server, "ann@example.com",
                   c.user.isEmpty() ? "refused@example.org" : "b@x.org");
            f.box("txtUser")->setText(c.user);
            f.prompter.answerOk();
            f.send();
            QCOMPARE(f.shown(), "Error! [Critical] " + c.shown);
            QVERIFY(!f.status().isEmpty());
        }
        VERIFY_PROMPTS(f.prompter);
        QCOMPARE(f.sink.count(), 0);
    }

    // While a send waits on a server the window answers, and a second click
    // starts no second send.
    void aWaitingSendKeepsTheWindowFree() {
        SilentListener silent;
        Fixture f;
        f.fill(QStringLiteral("127.0.0.1:%1").arg(silent.port()), "ann@example.com",
               "bob@example.org");
        QTest::mouseClick(f.button("cmdSend"), Qt::LeftButton);
        QCOMPARE(f.window.cursor().shape(), Qt::WaitCursor);
        QVERIFY(f.button("cmdStop")->isVisible());
        f.button("cmdSend")->click();
        QTest::mouseClick(f.button("cmdStop"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(f.button("cmdSend")->isEnabled(), 5000);
        QCOMPARE(f.window.cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(f.prompter.prompts().size(), 0);
        QCOMPARE(f.status(), "Stopped.");
    }
};

QTEST_MAIN(EmailWindowTest)
#include "EmailWindowTest.moc"
