#pragma once

#include "ui/TaskWindow.h"

class QListWidget;

// Lists the databases of the data folder; opens or deletes the chosen one.
class OpenWindow : public TaskWindow {
    Q_OBJECT

public:
    explicit OpenWindow(AppContext& context, QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void fillList();
    // The chosen database, or an empty text when none is chosen.
    QString selectedName() const;
    void cmdOpen_Click();
    void cmdDelete_Click();

    QListWidget* lbDbList_;
};
