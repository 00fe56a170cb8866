#pragma once

#include <QProgressDialog>

#include "reports/ReportRun.h"

class QWidget;

// The bar shown while a report is written or printed, with a Stop button;
// it appears only when the work passes half a second.
class ReportProgressDialog {
public:
    ReportProgressDialog(QWidget* owner, const QString& title, const QString& label);

    // Moves the bar and lets the program answer; false once Stop was pressed.
    bool tell(qint64 done, qint64 total);
    ReportProgress callback() {
        return [this](qint64 done, qint64 total) { return tell(done, total); };
    }

private:
    QProgressDialog dialog_;
};
