#include <QtTest>
#include <QtWidgets>

#include "app/AppHarness.h"
#include "exchange/EmailWindow.h"
#include "records/DisplayWindow.h"
#include "store/Clock.h"
#include "store/Session.h"
#include "store/SessionDatabase.h"
#include "support/FakePrompter.h"
#include "support/FakeShell.h"
#include "support/LoopbackServices.h"
#include "support/TestFolder.h"

using namespace std::chrono_literals;

namespace {

const QStringList kResults = {"ANN,PARIS\r\n======", "BOB,ROME\r\n======"};
const QString kBlank = QStringLiteral("From,To, or Mail Server field is blank.");
const QString kFailed =
    QStringLiteral("There was an error sending your email.\r\nYour message was not sent.");
const QString kSent = QStringLiteral("Email has bee sent.");

// The e-mail window over the results of a pick, answering through a fake prompter.
struct Fixture {
    explicit Fixture(const QStringList& results = kResults) : window(context, results) {
        context.transferLimits = {1000ms, 2000ms};
        window.show();
    }

    QLineEdit* box(const char* name) const { return window.findChild<QLineEdit*>(name); }
    QPushButton* button(const char* name) const { return window.findChild<QPushButton*>(name); }
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
    QString shown() const {
        const FakePrompter::Prompt p = prompter.last();
        return p.title + QStringLiteral(" | ") + p.text;
    }

    TestFolder folder;
    Session session;
    FakePrompter prompter;
    FixedClock clock{QDateTime(QDate(2004, 7, 4), QTime(13, 14, 15), Qt::OffsetFromUTC, 7200)};
    FakeShell shell;
    AppContext context{session, prompter, clock, folder.folder(), shell};
    EmailWindow window;
};

// The mail as the server took it, its Message-ID made fixed.
QByteArray withFixedId(QByteArray mail) {
    static const QRegularExpression id(
        QStringLiteral("\r\nMessage-ID: <[0-9a-f-]{36}@example\\.com>\r\n"));
    const QString text = QString::fromUtf8(mail);
    const QRegularExpressionMatch m = id.match(text);
    return m.hasMatch() ? QString(text)
                              .replace(m.capturedStart(), m.capturedLength(),
                                       QStringLiteral("\r\nMessage-ID: <ID>\r\n"))
                              .toUtf8()
                        : mail;
}

QByteArray expectedMail(const QByteArray& subject) {
    return "Date: Sun, 04 Jul 2004 13:14:15 +0200\r\n"
           "From: ann@example.com\r\n"
           "To: bob@example.org\r\n"
           "Subject: " +
           subject +
           "\r\n"
           "Message-ID: <ID>\r\n"
           "MIME-Version: 1.0\r\n"
           "Content-Type: text/plain; charset=UTF-8\r\n"
           "Content-Transfer-Encoding: 8bit\r\n"
           "\r\n"
           "ANN,PARIS\r\n======BOB,ROME\r\n======\r\n";
}

}  // namespace

class EmailWindowTest : public QObject {
    Q_OBJECT

private slots:
    void captionsAndBody() {
        Fixture f;
        QCOMPARE(f.window.objectName(), "frmEmail");
        QCOMPARE(f.window.windowTitle(), "RANDOLA  3.00 - [Email]");
        const std::pair<const char*, const char*> frames[] = {
            {"Frame6", "From: (your email address)"},
            {"Frame5", "Send Mail To: (1 email address only)"},
            {"Frame4", "Mail Server Address: (eg. mail.example.com"},
            {"Frame3", "Subject Of Email:"},
            {"Frame1", "Message:"},
        };
        for (const auto& [name, caption] : frames)
            QCOMPARE(f.window.findChild<QGroupBox*>(name)->title(), caption);
        QCOMPARE(f.window.findChild<QLabel*>("Label1")->text(), "Email Randola Data");
        QCOMPARE(f.button("cmdSend")->text(), "&Send");
        QCOMPARE(f.button("cmdClose")->text(), "&Close");
        QVERIFY(!f.window.findChild<QLabel*>("Image1")->pixmap().isNull());
        // The entries one after the other, nothing between them.
        QCOMPARE(f.window.findChild<QPlainTextEdit*>("txtmsg")->toPlainText(),
                 "ANN,PARIS\n======BOB,ROME\n======");
        Fixture empty(QStringList{});
        QCOMPARE(empty.window.findChild<QPlainTextEdit*>("txtmsg")->toPlainText(), "");
    }

    // The body is the record window's list as it stood when the window opened.
    void bodyFromTheRecordWindow() {
        AppHarness app;
        app.folder.createDatabase("club", {"NAME", "CITY"});
        QCOMPARE(SessionDatabase::Open(app.session, app.folder.folder(), "club"), 0);
        app.window.RefreshMenus();
        app.action("mnuEditDisplay")->trigger();
        QListWidget* results = app.task<DisplayWindow>(Shell::Window::Display)->resultsList();
        results->addItems(kResults);
        app.window.showWindow(Shell::Window::Email);
        results->addItem("CAROL,OSLO\r\n======");
        QCOMPARE(app.control<QPlainTextEdit>(Shell::Window::Email, "txtmsg")->toPlainText(),
                 "ANN,PARIS\n======BOB,ROME\n======");
    }

    // What was typed is refused before anything reaches the server.
    void refusals() {
        MailSink sink;
        QVERIFY(sink.listening());
        const QString server = sink.address();
        const QString from = QStringLiteral("ann@example.com");
        const QString to = QStringLiteral("bob@example.org");
        const struct {
            QString server, from, to, message;
        } cases[] = {
            {"  ", from, to, kBlank},
            {server, "\t ", to, kBlank},
            {server, from, "   ", kBlank},
            {server, from + "\r\nRCPT TO:<eve@example.net>", to,
             "The From address holds a line break or another control character."},
            {server, from, to + "\nBcc: eve@example.net",
             "The Send Mail To address holds a line break or another control character."},
            {server, "ann", to, "The From address is not of the form name@domain."},
            {server, from, "bob@example.org, eve@example.net",
             "The Send Mail To address is not of the form name@domain."},
            {server + "\r\nQUIT", from, to,
             "The Mail Server Address is not a host name, host:port, or an smtp:// or smtps:// "
             "address."},
            {"http://" + server, from, to,
             "The Mail Server Address is not a host name, host:port, or an smtp:// or smtps:// "
             "address."},
        };
        Fixture f;
        for (const auto& c : cases) {
            f.fill(c.server, c.from, c.to);
            f.prompter.answerOk();
            f.send();
            QCOMPARE(f.shown(), "Error! | " + c.message);
            QCOMPARE(f.prompter.last().icon, Icon::Critical);
        }
        VERIFY_PROMPTS(f.prompter);
        QCOMPARE(f.box("txtSubject")->text(), "");
        QCOMPARE(sink.count(), 0);
    }

    void twoSendsGiveTwoMails() {
        MailSink sink;
        QVERIFY(sink.listening());
        Fixture f;
        f.fill(" " + sink.address(), "ann@example.com ", "bob@example.org");
        f.box("txtSubject")->setText("   ");
        f.prompter.answerOk().answerOk();
        f.send();
        QCOMPARE(f.shown(), "Randola 3.00 | " + kSent);
        QCOMPARE(f.prompter.last().icon, Icon::Information);
        QCOMPARE(f.box("txtSubject")->text(), "Mail From Randola 3.00");
        f.box("txtSubject")->setText(QString::fromUtf8(" Zoë's picks"));
        f.send();
        VERIFY_PROMPTS(f.prompter);
        QCOMPARE(sink.count(), 2);
        QCOMPARE(sink.envelope(1), QStringList({"ann@example.com", "bob@example.org"}));
        QCOMPARE(withFixedId(sink.content(1)), expectedMail("Mail From Randola 3.00"));
        QCOMPARE(withFixedId(sink.content(2)),
                 expectedMail("=?UTF-8?B?" + QString::fromUtf8(" Zoë's picks").toUtf8().toBase64() +
                              "?="));
        QCOMPARE(f.box("txtTo")->text(), "bob@example.org");
    }

    void failuresAreNeverShownAsSent() {
        MailSink sink;
        QVERIFY(sink.listening());
        SilentListener silent;
        const QString servers[] = {
            sink.address(),  // refuses the recipient below
            QStringLiteral("127.0.0.1:%1").arg(LoopbackServer::freePort()),
            QStringLiteral("127.0.0.1:%1").arg(silent.port()),
        };
        Fixture f;
        for (const QString& server : servers) {
            f.fill(server, "ann@example.com", "refused@example.org");
            f.prompter.answerOk();
            f.send();
            QCOMPARE(f.shown(), "Error! | " + kFailed);
            QVERIFY(!f.window.findChild<QLabel*>("lblStatus")->text().isEmpty());
        }
        VERIFY_PROMPTS(f.prompter);
        QCOMPARE(sink.count(), 0);
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
        QCOMPARE(f.window.findChild<QLabel*>("lblStatus")->text(), "Stopped.");
    }
};

QTEST_MAIN(EmailWindowTest)
#include "EmailWindowTest.moc"
