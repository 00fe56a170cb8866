#pragma once

#include "ui/TaskWindow.h"

class QLabel;
class QProgressBar;
class QPushButton;

// Clears every omit flag of the open database. It opens modally beside the
// main window; the work starts as soon as it shows, the bar follows it, and
// "Done" appears at the end. It cannot be closed while the work runs.
class ClearOmitsWindow : public TaskWindow {
    Q_OBJECT

public:
    explicit ClearOmitsWindow(AppContext& context, QWidget* parent = nullptr);

    void UncheckOmits();
    bool isRunning() const { return running_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();
    void Command1_Click();

    QLabel* heading_;
    QProgressBar* bar_;
    QLabel* start_;
    QLabel* end_;
    QPushButton* done_;
    bool started_ = false;
    bool running_ = false;
};
