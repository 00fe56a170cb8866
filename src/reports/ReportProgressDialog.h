#pragma once

#include <QProgressDialog>
#include <memory>
#include <optional>

#include "reports/ReportRun.h"
#include "ui/InputFence.h"
#include "ui/WaitCursor.h"

class QWidget;

// The wait cursor and a bar with a Stop button while a report is written or
// printed. Both start with the first report of progress, so that a question
// asked before the work starts (where to save a PDF) is not covered; the bar
// shows only when the work passes half a second, but the rest of the program
// is out of reach from the start: the report's file must not change under it,
// nor another report start inside it. Escape stops, as the button does.
class ReportProgressDialog {
public:
    ReportProgressDialog(QWidget* owner, const QString& title, const QString& label)
        : owner_(owner), title_(title), label_(label) {}

    // Moves the bar and lets the program answer; false once Stop was pressed.
    bool tell(qint64 done, qint64 total);
    ReportProgress callback() {
        return [this](qint64 done, qint64 total) { return tell(done, total); };
    }

private:
    void start();

    QWidget* owner_;
    QString title_;
    QString label_;
    std::optional<WaitCursor> wait_;
    std::unique_ptr<QProgressDialog> dialog_;
    std::unique_ptr<InputFence> fence_;  // ends before the dialog it leaves open
};
