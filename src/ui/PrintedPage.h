#pragma once

#include <QSizeF>
#include <QString>
#include <QStringList>

// How a printout's lines lie on paper, the same for the printer and for the
// report's preview, so that the preview shows every page as it will print:
// margins of 20 mm on every side, rows 12 points apart, 80 columns of a 10
// point fixed-pitch face to a row. A line longer than a row goes on in the
// next row, broken after a space where it has one; a line break inside a line
// (a pick's result holds CR LF) starts a new row. Measured in points (1/72 inch).
class PrintedPage {
public:
    static constexpr double MarginMm = 20;
    static constexpr double RowPitch = 12;  // points
    static constexpr double FontSize = 10;  // points
    static constexpr int Columns = 80;
    static constexpr QSizeF Letter{612, 792};

    explicit PrintedPage(QSizeF paper = Letter) : paper_(paper) {}

    QSizeF paper() const { return paper_; }
    static constexpr double margin() { return MarginMm / 25.4 * 72; }
    // The rows one page holds.
    int rowsPerPage() const;

    // The rows a line takes, at least one (an empty line keeps its place).
    static QStringList rows(const QString& line);
    // How many rows a line takes; quick for the common short line.
    static int rowCount(const QString& line);

private:
    QSizeF paper_;
};
