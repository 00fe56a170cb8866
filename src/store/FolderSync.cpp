#include "store/FolderSync.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>

void SyncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}
