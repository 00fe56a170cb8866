#pragma once

#include "ui/ShownDatabase.h"
#include "ui/TaskWindow.h"

class QGroupBox;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// Lists the past picks of the open database, newest first; choosing one
// (a click, or Enter) writes its history report and shows it in the viewer.
// The list follows the database: it is read again when the window is asked
// for, and when it becomes active after a pick or after another database
// was opened.
class HistoryWindow : public TaskWindow {
    Q_OBJECT

public:
    explicit HistoryWindow(AppContext& context, QWidget* parent = nullptr);

    void Form_Activate() override;
    void Reopen() override;

    // Lists the picks of the open database; `sayWhenEmpty` tells the user
    // when there are none.
    void LoadPickList(bool sayWhenEmpty = true);
    void WriteHistoryReport();

private:
    // What the list was read from, to tell when it no longer shows the
    // history of the open database as it is.
    struct Listed {
        ShownDatabase database;
        qint64 records = -1;
    };

    void lbResult_Click(QListWidgetItem* item);
    void cmdClose_Click();
    QString historyPath() const;
    bool listsOtherDatabase() const;
    bool listIsStale() const;

    QGroupBox* frame1_;
    QListWidget* lbResult_;
    QPushButton* cmdClose_;
    QString selectedDate_;
    QString selectedTime_;
    Listed listed_;
};
