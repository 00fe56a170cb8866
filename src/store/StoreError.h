#pragma once

#include <QString>
#include <stdexcept>

// A failure of the store that a window shows to the user. `code` is a record
// manager result code (see RecordManager.h) when one applies, else 0.
class StoreError : public std::runtime_error {
public:
    explicit StoreError(const QString& message, int code = 0)
        : std::runtime_error(message.toStdString()), message_(message), code_(code) {}

    const QString& message() const { return message_; }
    int code() const { return code_; }

private:
    QString message_;
    int code_;
};
