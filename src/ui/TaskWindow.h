#pragma once

#include <QWidget>

#include "ui/AppContext.h"

// A window opened from the main window's menus. The main window calls
// Form_Activate each time the window becomes the active child window.
class TaskWindow : public QWidget {
    Q_OBJECT

public:
    explicit TaskWindow(AppContext& context, QWidget* parent = nullptr)
        : QWidget(parent), context_(context) {}

    virtual void Form_Activate() {}
    // The main window asks for the window again while it is open; a window
    // whose content depends on what asked for it renews it here.
    virtual void Reopen() {}

protected:
    AppContext& context() const { return context_; }

private:
    AppContext& context_;
};
