#include "ReadBack.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace {

const char* const kCsvScript = R"(
import csv, json, sys
with open(sys.argv[1], newline='', encoding='utf-8') as f:
    print(json.dumps(list(csv.reader(f, strict=True))))
)";

const char* const kHtmlScript = R"(
import json, sys
from html.parser import HTMLParser

class Table(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.rows, self.tags, self.cell = [], [], None
        self.title, self.charset, self.in_title = '', '', False

    def handle_starttag(self, tag, attrs):
        self.tags.append(tag)
        if tag == 'tr':
            self.rows.append([])
        elif tag in ('td', 'th'):
            self.cell = ''
        elif tag == 'title':
            self.in_title = True
        elif tag == 'meta':
            self.charset = dict(attrs).get('charset', '')

    def handle_endtag(self, tag):
        if tag in ('td', 'th') and self.cell is not None:
            self.rows[-1].append(self.cell)
            self.cell = None
        elif tag == 'title':
            self.in_title = False

    def handle_data(self, data):
        if self.cell is not None:
            self.cell += data
        elif self.in_title:
            self.title += data

with open(sys.argv[1], encoding='utf-8', newline='') as f:
    table = Table()
    table.feed(f.read())
    table.close()
print(json.dumps({'title': table.title, 'charset': table.charset, 'tags': table.tags,
                  'rows': table.rows}))
)";

// The JSON the script printed, or the reason it printed none.
QJsonDocument run(const char* script, const QString& path, ReadBack::Result& result) {
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), QString::fromUtf8(script), path});
    if (!python.waitForFinished(30000) || python.exitCode() != 0) {
        result.error = QString::fromUtf8(python.readAllStandardError()) + python.errorString();
        return {};
    }
    QJsonParseError parse;
    QJsonDocument json = QJsonDocument::fromJson(python.readAllStandardOutput(), &parse);
    result.ok = parse.error == QJsonParseError::NoError;
    if (!result.ok) result.error = parse.errorString();
    return json;
}

QList<QStringList> rowsOf(const QJsonArray& array) {
    QList<QStringList> rows;
    for (const QJsonValue& row : array) {
        QStringList cells;
        for (const QJsonValue& cell : row.toArray()) cells << cell.toString();
        rows << cells;
    }
    return rows;
}

}  // namespace

namespace ReadBack {

Csv csv(const QString& path) {
    Csv out;
    out.rows = rowsOf(run(kCsvScript, path, out).array());
    return out;
}

Html html(const QString& path) {
    Html out;
    const QJsonObject json = run(kHtmlScript, path, out).object();
    out.title = json.value(QStringLiteral("title")).toString();
    out.charset = json.value(QStringLiteral("charset")).toString();
    for (const QJsonValue& tag : json.value(QStringLiteral("tags")).toArray())
        out.tags << tag.toString();
    out.rows = rowsOf(json.value(QStringLiteral("rows")).toArray());
    return out;
}

}  // namespace ReadBack
