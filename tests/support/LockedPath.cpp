#include "support/LockedPath.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

LockedPath::LockedPath(const QString& path) : path_(path) {
    const bool folder = QFileInfo(path).isDir();
    if (geteuid() == 0) {
        immutable_ = setImmutable(true);
    } else if (folder) {
        chmodded_ = ::chmod(QFile::encodeName(path).constData(), 0555) == 0;
    }
    if (folder) {
        // Proof, not belief: the lock holds only if a new file is refused.
        QTemporaryFile probe(path + QStringLiteral("/probe-XXXXXX"));
        locked_ = (immutable_ || chmodded_) && !probe.open();
    } else {
        locked_ = immutable_;
    }
}

LockedPath::~LockedPath() {
    if (immutable_) setImmutable(false);
    if (chmodded_) ::chmod(QFile::encodeName(path_).constData(), 0755);
}

bool LockedPath::setImmutable(bool on) {
    const int fd = ::open(QFile::encodeName(path_).constData(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}
