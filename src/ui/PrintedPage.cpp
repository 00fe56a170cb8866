#include "ui/PrintedPage.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

int PrintedPage::rowsPerPage() const {
    return std::max(1, int(std::floor((paper_.height() - 2 * margin()) / RowPitch)));
}

QStringList PrintedPage::rows(const QString& line) {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\n|\r"));
    QStringList out;
    for (QString rest : line.split(lineBreak)) {
        while (rest.size() > Columns) {
            // After the last space that leaves the row full enough; a word
            // longer than a row is cut where the row ends.
            const qsizetype space = rest.lastIndexOf(QLatin1Char(' '), Columns);
            const qsizetype cut = space > Columns / 2 ? space + 1 : Columns;
            out << rest.left(cut);
            rest.remove(0, cut);
        }
        out << rest;
    }
    return out;
}

int PrintedPage::rowCount(const QString& line) {
    if (line.size() <= Columns && !line.contains(QLatin1Char('\r')) &&
        !line.contains(QLatin1Char('\n')))
        return 1;
    return int(rows(line).size());
}
