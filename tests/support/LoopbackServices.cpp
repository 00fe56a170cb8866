#include "support/LoopbackServices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");

}  // namespace

MailSink::MailSink() {
    qputenv("PYTHONPATH", RANDOLA_TEST_SUPPORT_DIR);
    // Nothing written into the source tree.
    qputenv("PYTHONDONTWRITEBYTECODE", "1");
    server_ = std::make_unique<LoopbackServer>(
        kPython, QStringList{"-m", "aiosmtpd", "-n", "-l", "127.0.0.1:{port}", "-c",
                             "smtp_sink.Sink", folder_.path()});
}

int MailSink::count() const {
    return int(QDir(folder_.path()).entryList({QStringLiteral("*.eml")}, QDir::Files).size());
}

QStringList MailSink::envelope(int n) const {
    return QString::fromUtf8(read(QStringLiteral("mail%1.envelope").arg(n)))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QByteArray MailSink::content(int n) const {
    return read(QStringLiteral("mail%1.eml").arg(n));
}

QByteArray MailSink::read(const QString& name) const {
    QFile file(QDir(folder_.path()).filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

WebFolder::WebFolder() {
    server_ = std::make_unique<LoopbackServer>(
        kPython, QStringList{"-m", "http.server", "--bind", "127.0.0.1", "{port}"}, folder_.path());
}

QString WebFolder::file(const QString& path) const {
    return QDir(folder_.path()).filePath(path.mid(1));
}

void WebFolder::remove(const QString& path) const {
    QFile::remove(file(path));
}

bool WebFolder::put(const QString& path, const QByteArray& bytes) const {
    const QString file = this->file(path);
    QDir().mkpath(QFileInfo(file).path());
    QFile out(file);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
}
