#pragma once

#include <QString>

#include "search/FoundRecords.h"
#include "store/ShownDatabase.h"
#include "ui/TaskWindow.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class FoundRecordsModel;

// The find window: every record of the open database in a grid, or the
// records a keyed search on one field finds. Choosing a listed record hands it
// to the record window.
class FindWindow : public TaskWindow {
    Q_OBJECT

public:
    explicit FindWindow(AppContext& context, QWidget* parent = nullptr);

    void Form_Activate() override;
    QSize sizeHint() const override;

    // The field names and the five criteria into their lists; search controls off.
    void FillSearchLists();
    void ListAllRecords();
    void SearchRecords();

    FoundRecordsModel* model() const { return model_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildLayout();
    void connectControls();
    void setSearching(bool specific);
    // The listed records fill the grid; the user is told when a failure cut
    // the list short.
    void fillGrid(FoundRecords::Listing listing);
    void refuse(const QString& text);

    void opListAll_Toggled(bool selected);
    void cmdGo_Click();
    void cmdClose_Click();
    void MSFlexGrid1_Click(const QModelIndex& index);
    void pickRow(int row);

    QGroupBox* Frame1_ = nullptr;
    QTableView* MSFlexGrid1_ = nullptr;
    QGroupBox* Frame2_ = nullptr;
    QRadioButton* opListAll_ = nullptr;
    QRadioButton* opSpecific_ = nullptr;
    QLabel* Label1_ = nullptr;
    QComboBox* cboField_ = nullptr;
    QLabel* Label3_ = nullptr;
    QComboBox* cboCriteria_ = nullptr;
    QLabel* Label2_ = nullptr;
    QLineEdit* txtSearchText_ = nullptr;
    QPushButton* cmdGo_ = nullptr;
    QPushButton* cmdOk_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
    FoundRecordsModel* model_ = nullptr;

    // The database whose records the grid lists.
    ShownDatabase database_;
};
