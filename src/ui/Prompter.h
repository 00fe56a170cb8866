#pragma once

#include <QString>
#include <optional>

// The one way a window speaks to the user in a box: a message (optionally a
// Yes/No question), an input box with a default answer, or a file chooser.
// Texts and titles are passed exactly as the program states them; a message
// with an empty title shows the application's name.
class Prompter {
public:
    enum class Icon { None, Critical, Exclamation, Information, Question };
    enum class Buttons { Ok, YesNo };
    enum class Answer { Ok, Yes, No };

    virtual ~Prompter() = default;

    virtual Answer message(const QString& text, const QString& title, Icon icon,
                           Buttons buttons = Buttons::Ok) = 0;
    // The typed answer, or nothing when the box was cancelled.
    virtual std::optional<QString> input(const QString& prompt, const QString& title,
                                         const QString& defaultText) = 0;
    // A chosen path, or an empty text when cancelled. `filter` as QFileDialog takes it.
    virtual QString openFileName(const QString& title, const QString& folder,
                                 const QString& filter) = 0;
    virtual QString saveFileName(const QString& title, const QString& suggestedPath,
                                 const QString& filter) = 0;

    bool askYesNo(const QString& text, const QString& title, Icon icon) {
        return message(text, title, icon, Buttons::YesNo) == Answer::Yes;
    }
};

// The application's name, shown where a box has no title of its own.
inline QString applicationTitle() {
    return QStringLiteral("RANDOLA 3.00");
}
