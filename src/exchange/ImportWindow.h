#pragma once

#include <QStringList>
#include <array>
#include <functional>
#include <optional>

#include "exchange/CsvImport.h"
#include "store/Records.h"
#include "ui/TaskWindow.h"

class QCheckBox;
class QElapsedTimer;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTableWidget;

// Adds the records of a comma-separated file to the open database. The user
// names the file and puts the database's fields in the order of its columns;
// Import then reads the file once and shows what it will give (how many
// records, the first of them field by field, lines that do not hold one
// value per field) before anything is written, and the import itself runs
// in one transaction that the user can stop. The lists keep their
// arrangement for the next import.
class ImportWindow : public TaskWindow {
    Q_OBJECT

public:
    explicit ImportWindow(AppContext& context, QWidget* parent = nullptr);

    void Form_Activate() override;
    // The fields in use, in slot order, into the left list; the right starts empty.
    void LoadImportFields();

    QWidget* previewFrame() const;
    bool running() const { return running_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildPreview();
    void buildLayout();

    void cmdBrowse_Click();
    void cmdTo_Click();
    void cmdBack_Click();
    void cmdImport_Click();
    void cmdClose_Click();
    void cmdConfirm_Click();
    void cmdGoBack_Click();
    void cmdArrange_Click();
    void cbSkipFirstLine_Toggled();

    bool checksPass();
    // Reads the file's first line into firstLine_; false when it was stopped.
    bool readFirstLine();
    // Reads the file for the preview; false when it could not be read or was stopped.
    bool survey();
    void showPreview();
    void fillPreviewTable();
    CsvImport::Layout layout() const;
    // The fields in the file's column order when its first line names them.
    std::optional<QStringList> columnOrder() const;
    void report(const CsvImport::ImportOutcome& outcome);
    void showChoices();

    // Long work with the progress frame shown and the rest of the program
    // out of reach until it ends.
    void withProgress(const QString& caption,
                      const std::function<void(const CsvImport::Progress&)>& work);
    bool follow(QElapsedTimer& shown, qint64 done, qint64 total);

    QString path() const;
    void error(const QString& text);
    bool showsOpenDatabase() const;

    QStackedWidget* pages_ = nullptr;
    QWidget* choices_ = nullptr;
    QGroupBox* Frame1_ = nullptr;
    QLineEdit* txtImportName_ = nullptr;
    QPushButton* cmdBrowse_ = nullptr;
    QGroupBox* Frame2_ = nullptr;
    QListWidget* lbFields_ = nullptr;
    QPushButton* cmdTo_ = nullptr;
    QPushButton* cmdBack_ = nullptr;
    QListWidget* lbImport_ = nullptr;
    QPushButton* cmdImport_ = nullptr;
    QPushButton* cmdClose_ = nullptr;

    QGroupBox* framePreview_ = nullptr;
    QLabel* lblRecords_ = nullptr;
    QTableWidget* tblPreview_ = nullptr;
    QLabel* lblWarnings_ = nullptr;
    QCheckBox* cbSkipFirstLine_ = nullptr;
    QPushButton* cmdArrange_ = nullptr;
    QPushButton* cmdConfirm_ = nullptr;
    QPushButton* cmdGoBack_ = nullptr;

    QGroupBox* frameProgress_ = nullptr;
    QProgressBar* ProgressBar1_ = nullptr;
    QLabel* Label1_ = nullptr;
    QPushButton* cmdStop_ = nullptr;

    // The trimmed name of each definition slot, blank for unused ones, and
    // how many are in use (the values each record takes from the file).
    std::array<QString, DataRecord::FieldCount> FieldNames;
    int FieldCount = 0;
    QString database_;        // whose fields the lists show
    int databaseHandle_ = 0;  // and its handle: the same name opened again may hold other fields

    // What the latest look at the file found.
    QString surveyedPath_;
    QStringList firstLine_;
    CsvImport::Survey survey_;
    bool running_ = false;
    bool stopAsked_ = false;
};
