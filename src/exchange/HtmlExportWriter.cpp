#include "exchange/HtmlExportWriter.h"

namespace {

void line(QByteArray& out, const char* text) {
    out += text;
    out += ExportWriter::LineEnd;
}

}  // namespace

HtmlExportWriter::HtmlExportWriter(const QString& pickDate, const QString& pickTime)
    : title_(escaped(("RANDOLA RESULTS FOR " + pickDate + " AT " + pickTime).toUtf8())) {}

QByteArray HtmlExportWriter::escaped(QByteArrayView text) {
    QByteArray out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
                break;
        }
    }
    return out;
}

void HtmlExportWriter::begin(QByteArray& out) const {
    line(out, "<html>");
    line(out, "<head>");
    line(out, "<meta charset=\"utf-8\">");
    out += "<title>" + title_ + "</title>" + LineEnd;
    line(out, "</head>");
    line(out, "<body>");
    line(out, "<div align='left'>");
    line(out, "<table border='1' width='100%'>");
}

void HtmlExportWriter::cells(QByteArray& out, const char* tag, const Items& items) {
    line(out, "<tr>");
    for (const QByteArrayView item : items) {
        out += '<';
        out += tag;
        out += '>';
        out += escaped(item);
        out += "</";
        out += tag;
        out += '>';
        out += LineEnd;
    }
    line(out, "</tr>");
}

void HtmlExportWriter::header(QByteArray& out, const Items& names) const {
    cells(out, "th", names);
}

void HtmlExportWriter::row(QByteArray& out, const Items& values) const {
    cells(out, "td", values);
}

void HtmlExportWriter::end(QByteArray& out) const {
    for (const char* text : {"</table>", "</div>", "</body>", "</html>"}) line(out, text);
}
