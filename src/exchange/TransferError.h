#pragma once

#include <QString>
#include <stdexcept>

// A transfer that did not complete, with a reason a person can read: curl's
// own message, followed by the server's last reply where there was one.
class TransferError : public std::runtime_error {
public:
    explicit TransferError(const QString& reason, bool stopped = false)
        : std::runtime_error(reason.toStdString()), reason_(reason), stopped_(stopped) {}

    const QString& reason() const { return reason_; }
    // The user stopped the transfer; nothing went wrong on the line.
    bool stopped() const { return stopped_; }

private:
    QString reason_;
    bool stopped_;
};
