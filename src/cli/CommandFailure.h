#pragma once

#include <QString>
#include <stdexcept>

// The exit statuses of a command, told in the manual page: a script can tell
// the kinds of failure apart without reading the message.
enum class ExitStatus {
    Success = 0,
    Failed = 1,       // the store or a file refused; nothing was changed
    BadArguments = 2,
    NotFound = 3,     // no such database, or no such pick
    NotEnough = 4,    // fewer records can be drawn than were asked for
    Unreadable = 5,   // the file named cannot be read
    Busy = 6,         // another copy of the program holds the database
    Damaged = 7,      // the check found the database damaged
};

// A command that cannot go on: the status to end with and one line to say why.
// The core's reasons are written for message boxes, a sentence a line; here
// they become one line, so that each failure is one line of the error stream.
class CommandFailure : public std::runtime_error {
public:
    CommandFailure(ExitStatus status, const QString& message)
        : std::runtime_error(message.toStdString()),
          status_(status),
          message_(message.simplified()) {}

    ExitStatus status() const { return status_; }
    const QString& message() const { return message_; }

private:
    ExitStatus status_;
    QString message_;
};
