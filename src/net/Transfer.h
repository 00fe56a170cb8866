#pragma once

#include <curl/curl.h>

#include <QByteArray>
#include <QString>
#include <atomic>
#include <memory>
#include <optional>

#include "net/TransferError.h"
#include "net/TransferLimits.h"

// A user name and password for SMTP authentication.
struct MailLogin {
    QString user;
    QString password;
};

// One network transfer over libcurl, for mail (SMTP, SMTPS) or for the web
// (HTTP, HTTPS); no other protocol is ever spoken. Every failure throws a
// TransferError. A transfer may run on any thread; `stop`, when given, is
// watched while it runs and ends it early.
class Transfer {
public:
    enum class Protocols { Mail, Web };

    Transfer(Protocols protocols, const TransferLimits& limits,
             const std::atomic<bool>* stop = nullptr);
    ~Transfer();
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    // The body at `url`, refused when it runs past `limit` bytes. An HTTP
    // error status is a failure; at most three redirects are followed, and
    // never from https to http.
    QByteArray fetch(const QString& url, qsizetype limit);

    // Hands `message` (a whole RFC 5322 message, CR LF line ends) to the SMTP
    // server at `serverUrl` (smtp://host:port or smtps://host:port) for the one
    // recipient. Over smtp:// the connection is encrypted with STARTTLS; a
    // server that does not offer it is refused (TransferError::unencrypted())
    // unless `clearAllowed`. A login is sent only over an encrypted connection.
    void sendMail(const QString& serverUrl, const QString& from, const QString& to,
                  const QByteArray& message, const std::optional<MailLogin>& login,
                  bool clearAllowed);

private:
    static int debugSeen(CURL* handle, curl_infotype type, char* data, size_t size, void* self);
    static int progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);
    static size_t received(char* data, size_t size, size_t count, void* self);
    static size_t upload(char* buffer, size_t size, size_t count, void* self);

    void perform();
    QString reason(CURLcode code) const;

    CURL* handle_;
    const std::atomic<bool>* stop_;
    char error_[256] = {};
    // The server's latest reply line, for the failure's reason.
    QByteArray lastReply_;
    struct ListFree {
        void operator()(curl_slist* list) const { curl_slist_free_all(list); }
    };
    std::unique_ptr<curl_slist, ListFree> recipients_;
    // What a fetch has received, and how much it may.
    QByteArray incoming_;
    qsizetype limit_ = 0;
    bool overLimit_ = false;
    QByteArray outgoing_;
    qsizetype sent_ = 0;
};
