#pragma once

#include "ui/TaskWindow.h"

class QGroupBox;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// Lists the past picks of the open database, newest first; choosing one
// (a click, or Enter) writes its history report and shows it in the viewer.
class HistoryWindow : public TaskWindow {
    Q_OBJECT

public:
    explicit HistoryWindow(AppContext& context, QWidget* parent = nullptr);

    void LoadPickList();
    void WriteHistoryReport();

private:
    void lbResult_Click(QListWidgetItem* item);
    void cmdClose_Click();
    QString historyPath() const;

    QGroupBox* frame1_;
    QListWidget* lbResult_;
    QPushButton* cmdClose_;
    QString selectedDate_;
    QString selectedTime_;
};
