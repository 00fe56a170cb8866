#pragma once

#include <QKeySequence>
#include <QShortcut>
#include <QWidget>

#include "ui/AppContext.h"
#include "ui/ComboBoxAccessible.h"

// A window opened from the main window's menus. The main window calls
// Form_Activate each time the window becomes the active child window.
// Escape closes it, as its Close button does: a window that must stay (work
// running, a record not saved) says so when asked to close.
class TaskWindow : public QWidget {
    Q_OBJECT

public:
    explicit TaskWindow(AppContext& context, QWidget* parent = nullptr)
        : QWidget(parent), context_(context) {
        ComboBoxAccessible::install();
        // For the window holding the focus only, and not while a list of a
        // box of its own is open over it: Escape then closes that list.
        auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
        escape->setContext(Qt::WindowShortcut);
        connect(escape, &QShortcut::activated, this, &QWidget::close);
    }

    virtual void Form_Activate() {}
    // The main window asks for the window again while it is open; a window
    // whose content depends on what asked for it renews it here.
    virtual void Reopen() {}

protected:
    AppContext& context() const { return context_; }

private:
    AppContext& context_;
};
