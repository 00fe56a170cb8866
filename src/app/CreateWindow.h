#pragma once

#include "ui/TaskWindow.h"

class QLineEdit;
class QListWidget;
class QListWidgetItem;

// Defines the fields of a new database and creates it. Stays open so that
// several databases can be made in a row.
class CreateWindow : public TaskWindow {
    Q_OBJECT

public:
    explicit CreateWindow(AppContext& context, QWidget* parent = nullptr);

    void Form_Activate() override;

private:
    void cmdOk_Click();
    void lbFieldList_Click(QListWidgetItem* item);
    void cmdCreate_Click();

    // Creates the database and opens it, telling the user how that went.
    // Returns whether it was created.
    bool createDatabase(const QString& name, const QStringList& fields);
    void refuse(const QString& text, const QString& title);
    void clearFields();

    QLineEdit* txtField_;
    QListWidget* lbFieldList_;
};
