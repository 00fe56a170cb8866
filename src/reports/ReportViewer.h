#pragma once

#include <memory>

#include "reports/LineIndex.h"
#include "ui/LinePrinter.h"
#include "ui/TaskWindow.h"

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QScrollBar;
class ReportSurface;

// Shows "report.txt" as pages on a white page-sized surface that the user
// scrolls and zooms, each page as it will print, and prints it. On load, and
// again whenever it is asked for while open, it shows the report ReportKind
// names: the listing, which it writes first, or the history report the
// history window has just written. The window can be resized and maximised;
// the bars follow what the window shows of the pages.
class ReportViewer : public TaskWindow {
    Q_OBJECT

public:
    explicit ReportViewer(AppContext& context, QWidget* parent = nullptr);

    void Reopen() override;
    QSize sizeHint() const override;

    // Places and ranges the scroll bars for the container and the pages in
    // it, from the top of the first page.
    void SizeScrolls(const QWidget* container, const ReportSurface* document);
    // Percent of the page's true size: one of Zooms.
    void setZoom(int percent);
    static const QList<int> Zooms;
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
    // The bars' ranges for what the container now shows, keeping their places.
    void rangeScrolls();
    void showPageNumber();
    void zoomBy(int steps);
    void previewFailed();
    // Prints report.txt with a bar; readFailed_ tells when the file failed.
    LinePrinter::Result printReport();
    void cmdPrint_Click();
    void cmdClose_Click();
    int twips(qint64 value) const;

    QPushButton* cmdPrint_;
    QPushButton* cmdClose_;
    QLabel* lblPage_;
    QComboBox* cboZoom_;
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
