#pragma once

#include <QString>
#include <QStringList>

class QPrinter;

// Prints a list of text lines as one job, the way a line printer would: one
// line after another down the page, a new page when one is full. A line that
// holds CR LF goes on in a new line there; a line wider than the page wraps.
class LinePrinter {
public:
    enum class Result { Printed, Cancelled, Failed };

    virtual ~LinePrinter() = default;
    virtual Result print(const QString& jobName, const QStringList& lines) = 0;

protected:
    // False when the printer refused the job or a page.
    static bool printOn(QPrinter& printer, const QStringList& lines);
};
