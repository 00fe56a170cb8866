#pragma once

#include "ui/TaskWindow.h"

// Names the program and the parts it is built on, with their versions.
class AboutWindow : public TaskWindow {
    Q_OBJECT

public:
    explicit AboutWindow(AppContext& context, QWidget* parent = nullptr);
};
