#pragma once

#include <QString>
#include <functional>

class Prompter;

// Saves something into a file the user chooses: asks where (the extension
// added when the name is typed without one), saves there, and tells the
// user where the file went, or why it did not.
struct SaveAs {
    enum class Status { Saved, Stopped, Failed };
    struct Result {
        Status status = Status::Failed;
        QString reason;  // for the user, when it failed
    };

    // `what` names the thing saved in the messages ("The pool").
    static void Run(Prompter& prompter, const QString& title, const QString& suggestedPath,
                    const QString& filter, const QString& what,
                    const std::function<Result(const QString& path)>& save);
};
