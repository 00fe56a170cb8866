#pragma once

#include <memory>

#include "reports/LineIndex.h"
#include "ui/LinePrinter.h"
#include "ui/TaskWindow.h"

class QFrame;
class QGroupBox;
class QPushButton;
class QScrollBar;
class ReportSurface;

// Shows "report.txt" as pages on a white page-sized surface that the user
// scrolls, and prints it. On load, and again whenever it is asked for while
// open, it shows the report ReportKind names: the listing, which it writes
// first, or the history report the history window has just written.
class ReportViewer : public TaskWindow {
    Q_OBJECT

public:
    explicit ReportViewer(AppContext& context, QWidget* parent = nullptr);

    void Reopen() override;
    QSize sizeHint() const override;

    // Places and ranges the scroll bars for the container and the pages in it.
    void SizeScrolls(const QWidget* container, const ReportSurface* document);
    // Shows "report.txt" from its first page.
    void DrawReport();
    // Writes the listing of the open database, then draws it.
    void WriteListingReport();

    ReportSurface* document() const { return document_; }
    // Twips of the document per step of the vertical scroll bar (1 unless
    // the report is too long for the bar to count it in twips).
    qint64 verticalUnit() const { return unit_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void buildControls();
    void showReport();
    void showNothing();
    void scrolled();
    void previewFailed();
    // Prints report.txt with a bar; readFailed_ tells when the file failed.
    LinePrinter::Result printReport();
    void cmdPrint_Click();
    void cmdClose_Click();
    int twips(qint64 value) const;

    QPushButton* cmdPrint_;
    QPushButton* cmdClose_;
    QFrame* line1_;
    QFrame* line2_;
    QGroupBox* frame1_;
    QWidget* container_;
    ReportSurface* document_;
    QScrollBar* vScroll_;
    QScrollBar* hScroll_;

    LineIndex index_;
    qint64 unit_ = 1;
    bool readFailed_ = false;
};
