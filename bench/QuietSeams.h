#pragma once

#include "ui/Prompter.h"
#include "ui/Shell.h"

// Seams for driving windows in a benchmark: every input box is answered with
// one text, every question with Yes, and the main window's part is a no-op.
class AnsweringPrompter : public Prompter {
public:
    QString answer;
    Answer message(const QString&, const QString&, Icon, Buttons buttons) override {
        return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }
    std::optional<QString> input(const QString&, const QString&, const QString&) override {
        return answer;
    }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
};

class QuietShell : public Shell {
public:
    void ShowCountedTitle() override {}
    void RefreshMenus() override {}
    void showWindow(Window) override {}
    bool mayChangeDatabase() override { return true; }
};
