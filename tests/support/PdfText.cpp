#include "support/PdfText.h"

#include <QProcess>
#include <QRegularExpression>

namespace {

QString output(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0) return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

QStringList textLines(const QStringList& arguments) {
    QStringList all = output(QStringLiteral("pdftotext"), arguments)
                          .split(QRegularExpression(QStringLiteral("[\n\f]")));
    all.removeIf([](const QString& line) { return line.trimmed().isEmpty(); });
    return all;
}

}  // namespace

namespace PdfText {

QStringList lines(const QString& pdf) {
    return textLines({pdf, QStringLiteral("-")});
}

QStringList simplifiedLines(const QString& pdf) {
    QStringList lines = textLines({QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    for (QString& line : lines) line = line.simplified();
    return lines;
}

QList<QStringList> pages(const QString& pdf) {
    QStringList all = output(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf,
                                                           QStringLiteral("-")})
                          .split(QLatin1Char('\f'));
    all.removeLast();  // after the last page's form feed
    QList<QStringList> out;
    for (const QString& page : all) out << page.split(QLatin1Char('\n'));
    return out;
}

int pageCount(const QString& pdf) {
    const QString info = output(QStringLiteral("pdfinfo"), {pdf});
    const auto match = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

}  // namespace PdfText
