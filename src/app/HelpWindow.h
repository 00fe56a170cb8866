#pragma once

#include "ui/TaskWindow.h"

// The user guide that ships inside the program.
class HelpWindow : public TaskWindow {
    Q_OBJECT

public:
    explicit HelpWindow(AppContext& context, QWidget* parent = nullptr);
};
