#include "support/FakePrompter.h"

namespace {

QString kindName(FakePrompter::Kind kind) {
    static const char* const names[] = {"message", "input box", "open-file box", "save-file box"};
    return QString::fromLatin1(names[int(kind)]);
}

}  // namespace

QString FakePrompter::Prompt::said() const {
    static const char* const icons[] = {"None", "Critical", "Exclamation", "Information",
                                        "Question"};
    if (kind == Kind::Input) return title + " [input: " + defaultText + "] " + text;
    const char* shownButtons = buttons == Buttons::YesNo ? " Yes/No] " : "] ";
    return title + " [" + icons[int(icon)] + shownButtons + text;
}

FakePrompter& FakePrompter::answer(Answer a) {
    queue_.push_back({Kind::Message, a, {}, false});
    return *this;
}

FakePrompter& FakePrompter::answerInput(std::optional<QString> text) {
    queue_.push_back({Kind::Input, Answer::Ok, text.value_or(QString()), !text.has_value()});
    return *this;
}

FakePrompter& FakePrompter::answerFile(const QString& path) {
    queue_.push_back({Kind::OpenFile, Answer::Ok, path, false});
    return *this;
}

std::optional<FakePrompter::Queued> FakePrompter::take(Kind kind, const QString& text) {
    const bool fileKinds = kind == Kind::OpenFile || kind == Kind::SaveFile;
    if (queue_.empty() ||
        (queue_.front().kind != kind && !(fileKinds && queue_.front().kind == Kind::OpenFile))) {
        problems_ << QStringLiteral("unexpected %1: \"%2\"").arg(kindName(kind), text);
        return std::nullopt;
    }
    Queued q = queue_.front();
    queue_.pop_front();
    return q;
}

Prompter::Answer FakePrompter::message(const QString& text, const QString& title, Icon icon,
                                       Buttons buttons) {
    prompts_.push_back({Kind::Message, text, title, icon, buttons, {}});
    auto q = take(Kind::Message, text);
    if (!q) return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    if ((buttons == Buttons::YesNo) == (q->answer == Answer::Ok)) {
        problems_ << QStringLiteral("answer of the wrong kind for \"%1\"").arg(text);
    }
    return q->answer;
}

std::optional<QString> FakePrompter::input(const QString& prompt, const QString& title,
                                           const QString& defaultText) {
    prompts_.push_back({Kind::Input, prompt, title, Icon::None, Buttons::Ok, defaultText});
    auto q = take(Kind::Input, prompt);
    if (!q || q->cancelled) return std::nullopt;
    return q->text;
}

QString FakePrompter::openFileName(const QString& title, const QString& folder,
                                   const QString& filter) {
    return fileName(Kind::OpenFile, title, folder, filter);
}

QString FakePrompter::saveFileName(const QString& title, const QString& suggestedPath,
                                   const QString& filter) {
    return fileName(Kind::SaveFile, title, suggestedPath, filter);
}

QString FakePrompter::fileName(Kind kind, const QString& title, const QString& path,
                               const QString& filter) {
    prompts_.push_back({kind, filter, title, Icon::None, Buttons::Ok, path});
    auto q = take(kind, title);
    return q ? q->text : QString();
}

FakePrompter::Prompt FakePrompter::last() const {
    return prompts_.isEmpty() ? Prompt{Kind::Message, {}, {}, Icon::None, Buttons::Ok, {}}
                              : prompts_.back();
}

QStringList FakePrompter::problems() const {
    QStringList all = problems_;
    for (const Queued& q : queue_) {
        all << QStringLiteral("queued %1 answer never asked for").arg(kindName(q.kind));
    }
    return all;
}
