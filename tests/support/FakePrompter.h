#pragma once

#include <QList>
#include <QStringList>
#include <deque>
#include <optional>

#include "ui/Prompter.h"

// Answers prompts from a queue and records every prompt shown. A prompt with no
// queued answer of its kind, and an answer never asked for, are problems that
// the test reports (see problems()).
class FakePrompter : public Prompter {
public:
    enum class Kind { Message, Input, OpenFile, SaveFile };

    struct Prompt {
        Kind kind;
        QString text;
        QString title;
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
        QString defaultText;
        // The prompt in one line, to compare whole: "TITLE [icon] text" for a
        // message ("[icon Yes/No]" for a question), "TITLE [input: default] text"
        // for an input box.
        QString said() const;
    };

    // Queue answers in the order the prompts will come.
    FakePrompter& answer(Answer a);
    FakePrompter& answerOk() { return answer(Answer::Ok); }
    FakePrompter& answerYes() { return answer(Answer::Yes); }
    FakePrompter& answerNo() { return answer(Answer::No); }
    FakePrompter& answerInput(std::optional<QString> text);
    FakePrompter& answerFile(const QString& path);

    Answer message(const QString& text, const QString& title, Icon icon, Buttons buttons) override;
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& defaultText) override;
    QString openFileName(const QString& title, const QString& folder,
                         const QString& filter) override;
    QString saveFileName(const QString& title, const QString& suggestedPath,
                         const QString& filter) override;

    const QList<Prompt>& prompts() const { return prompts_; }
    // The latest prompt; an empty Message prompt when there was none.
    Prompt last() const;
    // Unexpected prompts and answers left unused; empty when all went as queued.
    QStringList problems() const;

private:
    struct Queued {
        Kind kind;
        Answer answer = Answer::Ok;
        QString text;
        bool cancelled = false;  // an input box answered with Cancel
    };

    std::optional<Queued> take(Kind kind, const QString& text);
    QString fileName(Kind kind, const QString& title, const QString& path, const QString& filter);

    std::deque<Queued> queue_;
    QList<Prompt> prompts_;
    QStringList problems_;
};

// For QTest: fails the current test when the prompts did not go as queued.
#define VERIFY_PROMPTS(fake)                                                          \
    do {                                                                              \
        const QStringList problems_ = (fake).problems();                              \
        QVERIFY2(problems_.isEmpty(), qPrintable(problems_.join(QLatin1Char('\n')))); \
    } while (false)
