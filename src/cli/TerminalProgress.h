#pragma once

#include <QElapsedTimer>
#include <QIODevice>
#include <QString>
#include <QtGlobal>

// Long work told on the error stream as "caption 42%", redrawn in place, but
// only when that stream is a terminal: a script reading it sees nothing.
// Follows the core's progress callbacks (done, total), never asking to stop.
class TerminalProgress {
public:
    TerminalProgress(QIODevice& err, bool isTerminal, const QString& caption);
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    bool operator()(qint64 done, qint64 total);

private:
    QIODevice* err_;  // null when nothing is shown
    QString caption_;
    QElapsedTimer since_;
    int shown_ = -1;  // the percentage on screen
};
