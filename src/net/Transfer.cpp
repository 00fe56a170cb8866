#include "net/Transfer.h"

#include <QUrl>
#include <cstring>
#include <mutex>
#include <utility>

namespace {

void startCurl() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

Transfer::Transfer(Protocols protocols, const TransferLimits& limits, const std::atomic<bool>* stop)
    : stop_(stop) {
    startCurl();
    handle_ = curl_easy_init();
    if (!handle_) throw TransferError(QStringLiteral("The network library could not start."));
    const char* allowed = protocols == Protocols::Mail ? "smtp,smtps" : "http,https";
    curl_easy_setopt(handle_, CURLOPT_PROTOCOLS_STR, allowed);
    curl_easy_setopt(handle_, CURLOPT_CONNECTTIMEOUT_MS, long(limits.connect.count()));
    curl_easy_setopt(handle_, CURLOPT_TIMEOUT_MS, long(limits.total.count()));
    curl_easy_setopt(handle_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle_, CURLOPT_ERRORBUFFER, error_);
    curl_easy_setopt(handle_, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle_, CURLOPT_XFERINFOFUNCTION, &Transfer::progress);
    curl_easy_setopt(handle_, CURLOPT_XFERINFODATA, this);
    // The server's replies are read through the debug channel, so that a
    // refusal can be shown in the server's own words.
    curl_easy_setopt(handle_, CURLOPT_DEBUGFUNCTION, &Transfer::debugSeen);
    curl_easy_setopt(handle_, CURLOPT_DEBUGDATA, this);
    curl_easy_setopt(handle_, CURLOPT_VERBOSE, 1L);
}

Transfer::~Transfer() {
    curl_easy_cleanup(handle_);
}

QByteArray Transfer::fetch(const QString& url, qsizetype limit) {
    const QByteArray address = url.toUtf8();
    curl_easy_setopt(handle_, CURLOPT_URL, address.constData());
    curl_easy_setopt(handle_, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(handle_, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(handle_, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle_, CURLOPT_MAXREDIRS, 3L);
    const bool secure = QUrl(url).scheme() == QLatin1String("https");
    curl_easy_setopt(handle_, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
    curl_easy_setopt(handle_, CURLOPT_WRITEFUNCTION, &Transfer::received);
    curl_easy_setopt(handle_, CURLOPT_WRITEDATA, this);
    // A server that announces too much is refused before it sends a byte; one
    // that keeps sending is cut off in `received`.
    curl_easy_setopt(handle_, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(limit));
    incoming_.clear();
    limit_ = limit;
    overLimit_ = false;
    try {
        perform();
    } catch (const TransferError& error) {
        if (!overLimit_) throw;
        throw TransferError(QStringLiteral("The reply for %1 was larger than %2 KB, far larger "
                                           "than that file ever is, so it was refused.")
                                .arg(QUrl(url).fileName())
                                .arg(limit / 1024));
    }
    return std::exchange(incoming_, QByteArray());
}

void Transfer::sendMail(const QString& serverUrl, const QString& from, const QString& to,
                        const QByteArray& message, const std::optional<MailLogin>& login,
                        bool clearAllowed) {
    const QByteArray address = serverUrl.toUtf8();
    const QByteArray sender = QByteArray(1, '<') + from.toUtf8() + '>';
    const QByteArray recipient = QByteArray(1, '<') + to.toUtf8() + '>';
    curl_easy_setopt(handle_, CURLOPT_URL, address.constData());
    curl_easy_setopt(handle_, CURLOPT_MAIL_FROM, sender.constData());
    recipients_.reset(curl_slist_append(nullptr, recipient.constData()));
    curl_easy_setopt(handle_, CURLOPT_MAIL_RCPT, recipients_.get());
    // A password never goes over the line in clear text, and a mail only
    // where the user allowed it.
    const bool clear = clearAllowed && !login;
    curl_easy_setopt(handle_, CURLOPT_USE_SSL, clear ? long(CURLUSESSL_TRY) : long(CURLUSESSL_ALL));
    const QByteArray user = login ? login->user.toUtf8() : QByteArray();
    const QByteArray password = login ? login->password.toUtf8() : QByteArray();
    if (login) {
        curl_easy_setopt(handle_, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(handle_, CURLOPT_PASSWORD, password.constData());
    }
    outgoing_ = message;
    sent_ = 0;
    curl_easy_setopt(handle_, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(handle_, CURLOPT_READFUNCTION, &Transfer::upload);
    curl_easy_setopt(handle_, CURLOPT_READDATA, this);
    curl_easy_setopt(handle_, CURLOPT_INFILESIZE_LARGE, curl_off_t(message.size()));
    perform();
}

void Transfer::perform() {
    error_[0] = '\0';
    lastReply_.clear();
    const CURLcode code = curl_easy_perform(handle_);
    if (code == CURLE_OK) return;
    if (code == CURLE_ABORTED_BY_CALLBACK)
        throw TransferError(QStringLiteral("Stopped."), TransferError::Kind::Stopped);
    if (code == CURLE_FILESIZE_EXCEEDED) overLimit_ = true;
    // The server offered no STARTTLS, or refused it.
    throw TransferError(reason(code), code == CURLE_USE_SSL_FAILED
                                          ? TransferError::Kind::Unencrypted
                                          : TransferError::Kind::Failed);
}

QString Transfer::reason(CURLcode code) const {
    QString text = QString::fromUtf8(error_[0] ? error_ : curl_easy_strerror(code));
    const QString reply = QString::fromUtf8(lastReply_).trimmed();
    if (!reply.isEmpty()) text += QStringLiteral("\nThe server replied: ") + reply;
    return text;
}

int Transfer::debugSeen(CURL*, curl_infotype type, char* data, size_t size, void* self) {
    if (type != CURLINFO_HEADER_IN) return 0;
    const QByteArray line(data, qsizetype(size));
    // A mail server's refusals (4xx, 5xx) and a web server's status line; the
    // polite closing words after a refusal say nothing.
    if (line.startsWith('4') || line.startsWith('5') || line.startsWith("HTTP/"))
        static_cast<Transfer*>(self)->lastReply_ = line;
    return 0;
}

int Transfer::progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const std::atomic<bool>* stop = static_cast<Transfer*>(self)->stop_;
    return stop && stop->load() ? 1 : 0;
}

size_t Transfer::received(char* data, size_t size, size_t count, void* self) {
    auto* transfer = static_cast<Transfer*>(self);
    const qsizetype n = qsizetype(size * count);
    if (transfer->incoming_.size() + n > transfer->limit_) {
        transfer->overLimit_ = true;
        return 0;  // ends the transfer
    }
    transfer->incoming_.append(data, n);
    return size * count;
}

size_t Transfer::upload(char* buffer, size_t size, size_t count, void* self) {
    auto* transfer = static_cast<Transfer*>(self);
    const qsizetype left = transfer->outgoing_.size() - transfer->sent_;
    const qsizetype n = std::min(left, qsizetype(size * count));
    std::memcpy(buffer, transfer->outgoing_.constData() + transfer->sent_, size_t(n));
    transfer->sent_ += n;
    return size_t(n);
}
