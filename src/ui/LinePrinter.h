#pragma once

#include <QPageSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QPrinter;

// Prints a list of text lines as one job, the way a line printer would: one
// line after another down the page, a new page when one is full, laid out
// as PrintedPage says (the report's preview shows the same pages). A line
// that holds CR LF goes on in a new row there; a line wider than a row wraps.
class LinePrinter {
public:
    enum class Result { Printed, Cancelled, Failed };

    // A printout too long to hold whole: its lines are fetched one at a time,
    // and `progress` is told at each page how many lines are done; returning
    // false stops the job, and nothing of it is printed.
    struct Job {
        QString name;
        qint64 count = 0;
        std::function<QString(qint64 index)> line;
        std::function<bool(qint64 done, qint64 total)> progress;
        std::optional<QPageSize> paper;  // the printer's own paper when not set
    };

    virtual ~LinePrinter() = default;
    Result print(const QString& jobName, const QStringList& lines);
    virtual Result print(const Job& job) = 0;

protected:
    // Failed when the printer refused the job or a page.
    static Result printOn(QPrinter& printer, const Job& job);
};
