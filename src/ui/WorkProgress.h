#pragma once

#include <QProgressDialog>
#include <memory>
#include <optional>

#include <functional>
#include "ui/InputFence.h"
#include "ui/WaitCursor.h"

class QWidget;

// The wait cursor and a bar with a Stop button while long work runs (a
// report written or printed, a search, a conversion). Both start with the
// first report of progress, so that a question asked before the work starts
// (where to save a PDF) is not covered; the bar shows only when the work
// passes half a second, but the rest of the program is out of reach from the
// start: the files must not change under the work, nor other work start
// inside it. Escape stops, as the button does.
class WorkProgress {
public:
    // Told how far the work has come out of how far it goes (0 when that is
    // not known); returns false to stop.
    using Callback = std::function<bool(qint64 done, qint64 total)>;

    WorkProgress(QWidget* owner, const QString& title, const QString& label)
        : owner_(owner), title_(title), label_(label) {}

    // Moves the bar and lets the program answer; false once Stop was pressed.
    bool tell(qint64 done, qint64 total);
    Callback callback() {
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
