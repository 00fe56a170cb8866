#pragma once

#include <QSet>
#include <optional>
#include <vector>

#include "reports/PickCertificate.h"
#include "store/ShownDatabase.h"
#include "ui/TaskWindow.h"

class QGroupBox;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// Lists the past picks of the open database, newest first; choosing one
// (a click, or Enter) writes its history report and shows it in the viewer.
// A pick made with a receipt also has its certificate (shown in the viewer,
// saved as PDF or as text) and can be verified against the records now in
// the file.
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
    void cmdCertificate_Click();
    void cmdSaveCertificatePdf_Click();
    void cmdExportCertificate_Click();
    void cmdVerify_Click();
    // The certificates of the chosen pick, or nothing when the user has been told why not.
    std::optional<std::vector<PickCertificate::Certificate>> chosenCertificates();
    // Where a certificate of the chosen pick is saved unless the user says otherwise.
    QString suggestedPath(const QString& extension) const;
    void enableCertificate();
    QString historyPath() const;
    bool listsOtherDatabase() const;
    // True while the list is of the open database; else the list is read
    // again and the user told so, and what was not done for it (`undone`).
    bool listsOpenDatabase(const QString& undone);
    bool listIsStale() const;

    QGroupBox* frame1_;
    QListWidget* lbResult_;
    QPushButton* cmdClose_;
    QPushButton* cmdCertificate_;
    QPushButton* cmdSaveCertificatePdf_;
    QPushButton* cmdExportCertificate_;
    QPushButton* cmdVerify_;
    QSet<QString> withReceipts_;
    QString selectedDate_;
    QString selectedTime_;
    Listed listed_;
};
