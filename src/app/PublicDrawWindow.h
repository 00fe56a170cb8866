#pragma once

#include <functional>
#include <memory>

#include "reports/ReportRun.h"
#include "ui/LinePrinter.h"
#include "ui/SaveAs.h"
#include "store/ShownDatabase.h"
#include "ui/TaskWindow.h"

class DrawPool;
class FoundRecordsModel;
class PickResultsFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTableView;

// A draw anyone can check. First the pool is published: the records that
// can be drawn, numbered, with their number and the SHA-256 of their listing,
// printed, saved as PDF or exported (CSV, or the listing itself). Then, once
// the sources are known, the user names them and the count; the key string
// they make is shown, and the draw is made from it by the pick's method,
// stamped and recorded as a pick is. A pool that changed since it was
// published (its SHA-256 differs) is not drawn from.
class PublicDrawWindow : public TaskWindow {
    Q_OBJECT

public:
    explicit PublicDrawWindow(AppContext& context, QWidget* parent = nullptr);
    ~PublicDrawWindow() override;

    void Form_Activate() override;

    // Reads the pool of the open database anew and shows it as the one to publish.
    void ReadPool();

    QListWidget* resultsList() const;
    // The date and time of the pick listed in the results, empty before one.
    QString resultsStamp() const { return resultsStamp_; }

private:
    void buildLayout();
    void giveKeys();
    void showKeyString();
    // True when the pool is still the one shown; else the user is told.
    bool poolStillPublished();
    LinePrinter::Job poolJob() const;
    QString suggestedPath(const QString& extension) const;

    // Saves the pool, when it is still the one published, into a file the user chooses.
    void savePool(const QString& title, const QString& extension, const QString& filter,
                  const QString& what,
                  const std::function<SaveAs::Result(const QString& path,
                                                     const ReportProgress& progress)>& save);
    void cmdPrintPool_Click();
    void cmdSavePoolPdf_Click();
    void cmdExportPoolCsv_Click();
    void cmdExportListing_Click();
    void cmdDraw_Click();

    QGroupBox* frame1_;
    QLabel* lblPoolSize_;
    QLabel* lblSha256_;
    QLineEdit* txtSha256_;
    QTableView* grdPool_;
    FoundRecordsModel* model_;
    QPushButton* cmdPrintPool_;
    QPushButton* cmdSavePoolPdf_;
    QPushButton* cmdExportPoolCsv_;
    QPushButton* cmdExportListing_;
    QPushButton* cmdReadPool_;
    QGroupBox* frame2_;
    QLabel* lblSources_;
    QPlainTextEdit* txtSources_;
    QLabel* lblCount_;
    QLineEdit* txtCount_;
    QLabel* lblKeyString_;
    QLineEdit* txtKeyString_;
    QPushButton* cmdDraw_;
    PickResultsFrame* frameResults_;
    QPushButton* cmdClose_;

    ShownDatabase database_;
    QStringList fieldNames_;
    std::shared_ptr<const DrawPool> published_;
    QString resultsStamp_;
};
