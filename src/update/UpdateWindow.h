#pragma once

#include "ui/TaskWindow.h"

class BackgroundTask;
class QLabel;
class QPushButton;
struct UpdateOutcome;

// The update window: asks the update service whether a newer version exists
// and, when the user agrees, hands its archive to the desktop.
class UpdateWindow : public TaskWindow {
    Q_OBJECT

public:
    explicit UpdateWindow(AppContext& context, QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Command1_Click();
    void checked(const UpdateOutcome& outcome);
    void showStatus(const QString& text);

    QPushButton* Command1_ = nullptr;
    QPushButton* cmdStop_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    BackgroundTask* Inet1_ = nullptr;
};
