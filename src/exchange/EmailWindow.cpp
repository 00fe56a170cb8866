#include "exchange/EmailWindow.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QUuid>
#include <QVBoxLayout>
#include <memory>

#include "exchange/MailAddress.h"
#include "exchange/MailMessage.h"
#include "exchange/MailServer.h"
#include "net/Transfer.h"
#include "store/Clock.h"
#include "ui/AppPicture.h"
#include "ui/BackgroundTask.h"
#include "ui/Named.h"
#include "ui/Prompter.h"

namespace {

const QString kDefaultSubject = QStringLiteral("Mail From Randola 3.00");
const QString kError = QStringLiteral("Error!");

QGroupBox* frameAround(QWidget* parent, const char* name, const QString& caption,
                       QWidget* content) {
    auto* frame = named(new QGroupBox(caption, parent), name);
    // A box in a frame is named by the frame's title.
    if (content->focusPolicy() != Qt::NoFocus) spoken(content, caption);
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(content);
    return frame;
}

QString addressRefusal(const QString& address, const QString& box) {
    if (MailAddress::holdsControl(address))
        return QStringLiteral("The %1 address holds a line break or another control character.")
            .arg(box);
    if (MailAddress::holdsNonAscii(address))
        return QStringLiteral(
                   "The %1 address holds a character outside ASCII (such as an accented "
                   "letter), which mail servers refuse in an address.")
            .arg(box);
    if (!MailAddress::isPlain(address.trimmed()))
        return QStringLiteral("The %1 address is not of the form name@domain.").arg(box);
    return QString();
}

}  // namespace

EmailWindow::EmailWindow(AppContext& context, const QStringList& results, QWidget* parent)
    : TaskWindow(context, parent), poSendMail_(new BackgroundTask(this)) {
    setObjectName(QStringLiteral("frmEmail"));
    setWindowTitle(QStringLiteral("RANDOLA  3.00 - [Email]"));
    buildControls(results);
    buildLayout();
    connect(cmdSend_, &QPushButton::clicked, this, &EmailWindow::cmdSend_Click);
    connect(cmdClose_, &QPushButton::clicked, this, &QWidget::close);
    poSendMail_->showOn(this, cmdSend_, cmdStop_);
}

void EmailWindow::buildControls(const QStringList& results) {
    Image1_ = named(new QLabel(this), "Image1");
    Image1_->setPixmap(appPicture(context().folder, QStringLiteral("envelope.jpg")));
    txtFrom_ = named(new QLineEdit(this), "txtFrom");
    txtTo_ = named(new QLineEdit(this), "txtTo");
    txtServer_ = named(new QLineEdit(this), "txtServer");
    txtUser_ = named(new QLineEdit(this), "txtUser");
    txtPassword_ = named(new QLineEdit(this), "txtPassword");
    txtPassword_->setEchoMode(QLineEdit::Password);
    txtSubject_ = named(new QLineEdit(this), "txtSubject");
    txtmsg_ = named(new QPlainTextEdit(this), "txtmsg");
    txtmsg_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtmsg_->setTabChangesFocus(true);
    // The entries as they stand, nothing put between them: each already ends
    // with its own line break and separator.
    txtmsg_->setPlainText(results.join(QString()));
    cmdSend_ = named(new QPushButton(QStringLiteral("&Send"), this), "cmdSend");
    cmdStop_ = named(new QPushButton(QStringLiteral("S&top"), this), "cmdStop");
    cmdClose_ = named(new QPushButton(QStringLiteral("&Close"), this), "cmdClose");
    lblStatus_ = named(new QLabel(this), "lblStatus");
    lblStatus_->setWordWrap(true);
    lblStatus_->setTextInteractionFlags(Qt::TextSelectableByMouse);
}

void EmailWindow::buildLayout() {
    auto* heading = named(new QLabel(QStringLiteral("Email Randola Data"), this), "Label1");
    QFont big = heading->font();
    big.setPointSize(big.pointSize() * 3 / 2);
    big.setBold(true);
    heading->setFont(big);
    auto* line = named(new QFrame(this), "Line1");
    line->setFrameShape(QFrame::HLine);

    // Beyond the server's address, a login for servers that ask for one.
    auto* server = new QWidget(this);
    auto* serverRows = new QGridLayout(server);
    serverRows->setContentsMargins(0, 0, 0, 0);
    serverRows->addWidget(txtServer_, 0, 0, 1, 4);
    auto* userLabel = new QLabel(QStringLiteral("&User name (if the server asks):"), server);
    auto* passwordLabel = new QLabel(QStringLiteral("&Password:"), server);
    userLabel->setBuddy(txtUser_);
    passwordLabel->setBuddy(txtPassword_);
    serverRows->addWidget(userLabel, 1, 0);
    serverRows->addWidget(txtUser_, 1, 1);
    serverRows->addWidget(passwordLabel, 1, 2);
    serverRows->addWidget(txtPassword_, 1, 3);

    auto* top = new QHBoxLayout;
    top->addWidget(Image1_);
    top->addWidget(heading, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblStatus_, 1);
    buttons->addWidget(cmdSend_);
    buttons->addWidget(cmdStop_);
    buttons->addWidget(cmdClose_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(line);
    layout->addWidget(
        frameAround(this, "Frame6", QStringLiteral("From: (your email address)"), txtFrom_));
    layout->addWidget(frameAround(this, "Frame5",
                                  QStringLiteral("Send Mail To: (1 email address only)"), txtTo_));
    const QString serverCaption = QStringLiteral("Mail Server Address: (eg. mail.example.com");
    spoken(txtServer_, serverCaption);
    layout->addWidget(frameAround(this, "Frame4", serverCaption, server));
    layout->addWidget(
        frameAround(this, "Frame3", QStringLiteral("Subject Of Email:"), txtSubject_));
    layout->addWidget(frameAround(this, "Frame1", QStringLiteral("Message:"), txtmsg_), 1);
    layout->addLayout(buttons);
    resize(560, 640);
}

void EmailWindow::cmdSend_Click() {
    if (poSendMail_->running()) return;
    // What the last send said is no longer the news.
    lblStatus_->clear();
    Prompter& prompter = context().prompter;
    for (const QLineEdit* box : {txtServer_, txtFrom_, txtTo_}) {
        if (box->text().trimmed().isEmpty()) {
            prompter.message(QStringLiteral("From,To, or Mail Server field is blank."), kError,
                             Prompter::Icon::Critical);
            return;
        }
    }
    if (const QString refused = refusal(); !refused.isEmpty()) {
        prompter.message(refused, kError, Prompter::Icon::Critical);
        return;
    }
    if (txtSubject_->text().trimmed().isEmpty()) txtSubject_->setText(kDefaultSubject);
    MailMessage mail{
        txtFrom_->text().trimmed(), txtTo_->text().trimmed(),
        txtSubject_->text(),        txtmsg_->toPlainText(),
        context().clock.now(),      QUuid::createUuid().toString(QUuid::WithoutBraces)};
    send(*MailServer::address(txtServer_->text()), mail);
}

QString EmailWindow::refusal() const {
    if (!MailServer::address(txtServer_->text()))
        return QStringLiteral(
            "The Mail Server Address is not a host name, host:port, or an "
            "smtp://, smtps:// or smtp+clear:// address.");
    if (QString r = addressRefusal(txtFrom_->text(), QStringLiteral("From")); !r.isEmpty())
        return r;
    return addressRefusal(txtTo_->text(), QStringLiteral("Send Mail To"));
}

void EmailWindow::send(const QString& server, const MailMessage& mail) {
    std::optional<MailLogin> login;
    if (!txtUser_->text().trimmed().isEmpty())
        login = MailLogin{txtUser_->text().trimmed(), txtPassword_->text()};
    const bool clearAllowed = MailServer::clearAllowed(txtServer_->text());
    struct Outcome {
        QString failure;
        bool stopped = false;
        bool unencrypted = false;
    };
    auto outcome = std::make_shared<Outcome>();
    const TransferLimits limits = context().transferLimits;
    const QByteArray message = mail.compose();
    lblStatus_->setText(QStringLiteral("Sending to %1 ...").arg(server));
    poSendMail_->start(
        [=, from = mail.from, to = mail.to](const std::atomic<bool>& stop) {
            try {
                Transfer transfer(Transfer::Protocols::Mail, limits, &stop);
                transfer.sendMail(server, from, to, message, login, clearAllowed);
            } catch (const TransferError& error) {
                outcome->failure = error.reason();
                outcome->stopped = error.stopped();
                outcome->unencrypted = error.unencrypted();
            }
        },
        [this, outcome, server] {
            if (outcome->unencrypted) {
                refusedClearText(server, outcome->failure);
            } else {
                sent(outcome->failure, outcome->stopped);
            }
        });
}

void EmailWindow::refusedClearText(const QString& server, const QString& reason) {
    lblStatus_->setText(reason);
    context().prompter.message(
        QStringLiteral("The mail server %1 offers no encryption (STARTTLS). Your message was not "
                       "sent, so that it does not cross the network as plain text.\r\nTo send "
                       "it unencrypted all the same, write the server as %2 and leave the user "
                       "name empty.")
            .arg(QUrl(server).authority(), MailServer::clearRequest(server)),
        kError, Prompter::Icon::Critical);
}

void EmailWindow::sent(const QString& failure, bool stopped) {
    lblStatus_->setText(failure.isEmpty() ? QStringLiteral("Sent.") : failure);
    if (stopped) return;
    if (failure.isEmpty()) {
        context().prompter.message(QStringLiteral("Email has bee sent."),
                                   QStringLiteral("Randola 3.00"), Prompter::Icon::Information);
        return;
    }
    context().prompter.message(
        QStringLiteral("There was an error sending your email.\r\nYour message was not sent."),
        kError, Prompter::Icon::Critical);
}

void EmailWindow::closeEvent(QCloseEvent* event) {
    // The password goes with the window; a send still on the line is ended.
    poSendMail_->stop();
    txtPassword_->clear();
    TaskWindow::closeEvent(event);
}
