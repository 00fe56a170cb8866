#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Export files as another program reads them: Python's csv module and its
// html.parser, run as /usr/bin/python3. A file they cannot read fails the
// reading with what Python said.
namespace ReadBack {

struct Result {
    bool ok = false;
    QString error;  // what Python said when it could not read the file
};

struct Csv : Result {
    QList<QStringList> rows;
};

struct Html : Result {
    QString title;
    QString charset;          // of the <meta charset> tag
    QStringList tags;         // every start tag, in order
    QList<QStringList> rows;  // the texts of the cells of each <tr>
};

// Strict RFC 4180 reading of a UTF-8 file.
Csv csv(const QString& path);
Html html(const QString& path);

}  // namespace ReadBack
