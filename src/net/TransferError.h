#pragma once

#include <QString>
#include <stdexcept>

// A transfer that did not complete, with a reason a person can read: curl's
// own message, followed by the server's last reply where there was one.
class TransferError : public std::runtime_error {
public:
    enum class Kind {
        Failed,
        Stopped,      // the user stopped the transfer; nothing went wrong on the line
        Unencrypted,  // the mail server offered no encryption, and clear text was not allowed
    };

    explicit TransferError(const QString& reason, Kind kind = Kind::Failed)
        : std::runtime_error(reason.toStdString()), reason_(reason), kind_(kind) {}

    const QString& reason() const { return reason_; }
    bool stopped() const { return kind_ == Kind::Stopped; }
    bool unencrypted() const { return kind_ == Kind::Unencrypted; }

private:
    QString reason_;
    Kind kind_;
};
