#pragma once

#include "ui/TaskWindow.h"

// The Import/Export window: leads to the import window or to the export
// window in database mode. It stays open while those are in use.
class ImportMenuWindow : public TaskWindow {
    Q_OBJECT

public:
    explicit ImportMenuWindow(AppContext& context, QWidget* parent = nullptr);

private:
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
};
