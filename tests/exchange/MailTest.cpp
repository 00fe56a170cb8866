#include <gtest/gtest.h>

#include <QRegularExpression>

#include "exchange/MailMessage.h"
#include "exchange/MailServer.h"
#include "net/Transfer.h"
#include "support/LoopbackServices.h"

using namespace std::chrono_literals;

namespace {

const TransferLimits kShort{1000ms, 3000ms};

MailMessage sample() {
    return {"ann@example.com",
            "bob@example.org",
            "Picks",
            "A,B\r\n======C,D\r\n======",
            QDateTime(QDate(2004, 7, 4), QTime(13, 14, 15), Qt::OffsetFromUTC, -18000),
            "u1"};
}

void send(const QString& server, const MailMessage& mail,
          const std::optional<MailLogin>& login = std::nullopt, bool clearAllowed = true) {
    Transfer transfer(Transfer::Protocols::Mail, kShort);
    transfer.sendMail(*MailServer::address(server), mail.from, mail.to, mail.compose(), login,
                      clearAllowed);
}

}  // namespace

TEST(MailServer, TakesItsFormsAndSaysWhereClearTextMayGo) {
    // What is typed, the address it gives, and whether mail may go in clear.
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"mail.example.com", "smtp://mail.example.com:25", false},
        {"127.9.8.7", "smtp://127.9.8.7:25", true},
        {"LocalHost:2525", "smtp://localhost:2525", true},
        {"smtp://[::1]:2525", "smtp://[::1]:2525", true},
        {"127.0.0.1.example.com", "smtp://127.0.0.1.example.com:25", false},
        {"128.0.0.1", "smtp://128.0.0.1:25", false},
        {"smtp+clear://mail.example.com", "smtp://mail.example.com:25", true},
        {"SMTPS://mail.example.com", "smtps://mail.example.com:465", false},
        {"smtps://mail.example.com:4650/", "smtps://mail.example.com:4650", false},
        {"", nullptr, false},
        {"http://mail.example.com", nullptr, false},
        {"smtps+clear://mail.example.com", nullptr, false},
        {"smtp://ann:pw@mail.example.com", nullptr, false},
        {"mail.example.com/x", nullptr, false},
        {"mail.example.com:port", nullptr, false},
        {" mail.example.com\t", "smtp://mail.example.com:25", false},
    };
    for (const auto& [typed, expected, clear] : cases) {
        const std::optional<QString> got = MailServer::address(QString::fromUtf8(typed));
        EXPECT_EQ(got.value_or("refused").toStdString(), expected ? expected : "refused") << typed;
        EXPECT_EQ(MailServer::clearAllowed(QString::fromUtf8(typed)), clear) << typed;
    }
}

TEST(MailMessage, SubjectOutsideAsciiIsEncodedWords) {
    const QString subject =
        QString::fromUtf8("Tirage à Noël — les gagnants du concours 🎉 de décembre");
    const QByteArray header = MailMessage::headerText(subject);
    QByteArray decoded;
    const QRegularExpression word(QStringLiteral(R"(^=\?UTF-8\?B\?([A-Za-z0-9+/=]*)\?=$)"));
    for (const QByteArray& line : header.split('\n')) {
        const QString w = QString::fromLatin1(line).trimmed();
        const QRegularExpressionMatch m = word.match(w);
        ASSERT_TRUE(m.hasMatch()) << line.toStdString();
        EXPECT_LE(w.size(), 75);
        decoded += QByteArray::fromBase64(m.captured(1).toLatin1());
    }
    EXPECT_EQ(QString::fromUtf8(decoded), subject);
    // A line break typed into the subject cannot start a header of its own.
    const QByteArray injected = MailMessage::headerText("Hi\r\nBcc: eve@example.com");
    EXPECT_FALSE(injected.contains("Bcc"));
    EXPECT_EQ(QByteArray::fromBase64(injected.mid(10, injected.size() - 12)),
              "Hi\r\nBcc: eve@example.com");
}

// The body arrives whole: a line that starts with a dot, or a dot alone, does
// not end the mail. Twelve fields of fifty accented letters make a line of
// 1211 octets, more than a strict server takes; such a body goes encoded.
TEST(MailTransfer, BodiesArriveWholeLongLinesEncoded) {
    MailSink sink;
    ASSERT_TRUE(sink.listening());
    const QString field = QString(50, QChar(0xE9));
    const QString line = QStringList(12, field).join(',');
    // The body, and whether it must be encoded.
    const std::pair<QString, bool> cases[] = {
        {".leading dot\r\n.\r\nend", false},
        {QString(998, 'x') + "\r\n======", false},
        {QString(999, 'x'), true},
        {"." + QString(997, 'x'), true},  // the dot a server sees doubled
        {line + "\r\n======" + line + "\r\n======", true},
    };
    for (const auto& [body, encoded] : cases) {
        MailMessage mail = sample();
        mail.body = body;
        send(sink.address(), mail);
        const QByteArray received = sink.content(sink.count());
        for (const QByteArray& l : received.split('\n'))
            EXPECT_LE(l.size(), 999) << "a line of " << l.size() << " octets";
        const qsizetype start = received.indexOf("\r\n\r\n") + 4;
        const QByteArray head = received.left(start);
        EXPECT_EQ(head.contains("Content-Transfer-Encoding: base64\r\n"), encoded) << body.size();
        const QByteArray text =
            encoded ? QByteArray::fromBase64(received.mid(start)) : received.mid(start);
        EXPECT_EQ(text, MailMessage::bodyLines(body)) << body.size();
    }
}

// A refused recipient fails with the server's reason; and unless allowed, no
// mail goes to a server that offers no encryption (a password never does: see
// the e-mail window's test).
TEST(MailTransfer, FailuresCarryTheirReason) {
    MailSink sink;
    ASSERT_TRUE(sink.listening());
    MailMessage refused = sample();
    refused.to = "refused@example.org";
    // The mail, whether it may go in clear, and what the failure says.
    const std::tuple<MailMessage, bool, const char*> cases[] = {
        {refused, true, "No such mailbox here"}, {sample(), false, "STARTTLS"}};
    for (const auto& [mail, clearAllowed, reason] : cases) {
        try {
            send(sink.address(), mail, std::nullopt, clearAllowed);
            ADD_FAILURE() << "sent to " << mail.to.toStdString();
        } catch (const TransferError& e) {
            EXPECT_TRUE(e.reason().contains(reason)) << e.reason().toStdString();
            EXPECT_EQ(e.unencrypted(), !clearAllowed) << e.reason().toStdString();
        }
    }
    EXPECT_EQ(sink.count(), 0);
}
