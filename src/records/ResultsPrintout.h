#pragma once

#include <QString>
#include <QStringList>

// The printed form of a pick's results: a heading with the pick's date and
// time, a line with one space, each result line trimmed (its CR LF and
// "======" go on paper as a line of their own), and an empty line.
class ResultsPrintout {
public:
    static QStringList lines(const QString& pickDate, const QString& pickTime,
                             const QStringList& results);
};
