#pragma once

#include <QString>
#include <QStringList>

// What a PDF file says, as poppler's pdftotext and pdfinfo read it.
namespace PdfText {

// The lines that hold any text, in reading order, pages run together.
QStringList lines(const QString& pdf);
// The lines laid out as on the page (the words of a line that are far apart
// stay on one line), their runs of blanks made one, and none at either end.
QStringList simplifiedLines(const QString& pdf);
int pageCount(const QString& pdf);
// The lines of each page as laid out, empty lines kept.
QList<QStringList> pages(const QString& pdf);

}  // namespace PdfText
