#pragma once

#include "ui/Prompter.h"
#include "ui/Shell.h"

// Answers every input box with one text and every question with Yes.
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

// A main window that is not there.
class QuietShell : public Shell {
public:
    void ShowCountedTitle() override {}
    void RefreshMenus() override {}
    void showWindow(Window) override {}
    bool mayChangeDatabase() override { return true; }
    void ShellOpen(const QString&) override {}
};
