#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QRegularExpression>

#include "exchange/MailAddress.h"
#include "exchange/MailMessage.h"
#include "exchange/MailServer.h"
#include "exchange/Transfer.h"
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
          const std::optional<MailLogin>& login = std::nullopt) {
    Transfer transfer(Transfer::Protocols::Mail, kShort);
    transfer.sendMail(*MailServer::address(server), mail.from, mail.to, mail.compose(), login);
}

// The reason of the failure `act` throws, or "no failure".
template <typename F>
QString failure(F act) {
    try {
        act();
    } catch (const TransferError& e) {
        return e.reason();
    }
    return QStringLiteral("no failure");
}

}  // namespace

TEST(MailServer, TakesTheThreeFormsAndNothingElse) {
    const std::pair<const char*, const char*> cases[] = {
        {"mail.example.com", "smtp://mail.example.com:25"},
        {"127.0.0.1:2525", "smtp://127.0.0.1:2525"},
        {"SMTPS://mail.example.com", "smtps://mail.example.com:465"},
        {"smtps://mail.example.com:4650/", "smtps://mail.example.com:4650"},
        {"", nullptr},
        {"http://mail.example.com", nullptr},
        {"smtp://ann:pw@mail.example.com", nullptr},
        {"mail.example.com/x", nullptr},
        {"mail.example.com:port", nullptr},
        {" mail.example.com\t", "smtp://mail.example.com:25"},
    };
    for (const auto& [typed, expected] : cases) {
        const std::optional<QString> got = MailServer::address(QString::fromUtf8(typed));
        EXPECT_EQ(got.value_or("refused").toStdString(), expected ? expected : "refused") << typed;
    }
}

TEST(MailAddress, OnlyThePlainForm) {
    for (const char* good : {"ann@example.com", "a.b+c-d_e@mail.example.co.uk", "x@localhost"})
        EXPECT_TRUE(MailAddress::isPlain(QString::fromUtf8(good))) << good;
    for (const char* bad : {"", "ann@", "@example.com", "ann@b@c", "ann smith@example.com",
                            "<ann@example.com>", "ann@example.", "ann@.com",
                            "ann@example.com\r\nRCPT TO:<eve@x.com>", "ann@exa\x01mple.com"})
        EXPECT_FALSE(MailAddress::isPlain(QString::fromUtf8(bad))) << bad;
}

TEST(MailMessage, BodyLinesEndInCrLf) {
    const std::pair<QString, QByteArray> cases[] = {
        {"", "\r\n"},
        {"a\nb", "a\r\nb\r\n"},
        {"a\r\nb\r\n", "a\r\nb\r\n"},
        {"a\rb", "a\r\nb\r\n"},
        {QString::fromUtf8("Zoë\n"), "Zo\xc3\xab\r\n"},
    };
    for (const auto& [body, lines] : cases)
        EXPECT_EQ(MailMessage::bodyLines(body), lines) << body.toStdString();
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

TEST(MailTransfer, ServerReceivesEnvelopeAndMessageAsSent) {
    MailSink sink;
    ASSERT_TRUE(sink.listening());
    MailMessage mail = sample();
    mail.body = ".leading dot\r\n.\r\nend";
    send(sink.address(), mail);
    ASSERT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.envelope(1), QStringList({"ann@example.com", "bob@example.org"}));
    EXPECT_EQ(sink.content(1), mail.compose());
}

TEST(MailTransfer, FailuresCarryTheirReason) {
    MailSink sink;
    ASSERT_TRUE(sink.listening());
    MailMessage refused = sample();
    refused.to = "refused@example.org";
    const QString reason = failure([&] { send(sink.address(), refused); });
    EXPECT_TRUE(reason.contains("No such mailbox here")) << reason.toStdString();
    // A password is not sent to a server that offers no encryption.
    EXPECT_TRUE(failure([&] {
                    send(sink.address(), sample(), MailLogin{"ann", "secret"});
                }).contains("STARTTLS", Qt::CaseInsensitive));
    EXPECT_EQ(sink.count(), 0);

    SilentListener silent;
    const QString quiet =
        failure([&] { send(QStringLiteral("127.0.0.1:%1").arg(silent.port()), sample()); });
    EXPECT_TRUE(quiet.contains("timed out", Qt::CaseInsensitive)) << quiet.toStdString();
}
