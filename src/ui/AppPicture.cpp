#include "ui/AppPicture.h"

#include <QCoreApplication>
#include <QDir>

#include "store/DataFolder.h"

QPixmap appPicture(const DataFolder& folder, const QString& name) {
    QPixmap pixmap(folder.file(name));
    if (pixmap.isNull()) pixmap.load(QDir(QCoreApplication::applicationDirPath()).filePath(name));
    if (pixmap.isNull()) pixmap.load(QStringLiteral(":/app/") + name);
    return pixmap;
}
