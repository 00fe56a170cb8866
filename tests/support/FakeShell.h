#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "ui/Shell.h"

// Records what a window asked of the main window.
class FakeShell : public Shell {
public:
    void ShowCountedTitle() override { ++countedTitles; }
    void RefreshMenus() override { ++menuRefreshes; }
    void showWindow(Window window) override { shown.push_back(window); }
    bool mayChangeDatabase() override { return true; }
    void ShellOpen(const QString& address) override { opened.push_back(address); }

    int countedTitles = 0;
    int menuRefreshes = 0;
    QList<Window> shown;
    QStringList opened;
};
