#include "records/ResultsPrintout.h"

QStringList ResultsPrintout::lines(const QString& pickDate, const QString& pickTime,
                                   const QStringList& results) {
    QStringList out{QStringLiteral("RESULTS FROM ") + pickDate + QStringLiteral(" AT ") + pickTime,
                    QStringLiteral(" ")};
    for (const QString& result : results) {
        // Only spaces count as padding here; the line breaks inside must stay.
        qsizetype first = 0;
        qsizetype last = result.size();
        while (first < last && result.at(first) == QLatin1Char(' ')) ++first;
        while (last > first && result.at(last - 1) == QLatin1Char(' ')) --last;
        out << result.mid(first, last - first);
    }
    out << QString();
    return out;
}
