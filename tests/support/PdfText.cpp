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

}  // namespace

namespace PdfText {

QStringList lines(const QString& pdf) {
    QStringList all = output(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")})
                          .split(QRegularExpression(QStringLiteral("[\n\f]")));
    all.removeIf([](const QString& line) { return line.trimmed().isEmpty(); });
    return all;
}

int pageCount(const QString& pdf) {
    const QString info = output(QStringLiteral("pdfinfo"), {pdf});
    const auto match = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

}  // namespace PdfText
