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

QStringList layoutLines(const QString& pdf) {
    return textLines({QStringLiteral("-layout"), pdf, QStringLiteral("-")});
}

int pageCount(const QString& pdf) {
    const QString info = output(QStringLiteral("pdfinfo"), {pdf});
    const auto match = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

}  // namespace PdfText
