#include "store/FileMoves.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include <QFile>
#include <QFileInfo>
#include <filesystem>

#include "store/RecordManager.h"

namespace fs = std::filesystem;

namespace FileMoves {

namespace {

fs::path nativePath(const QString& path) {
    return fs::path(QFile::encodeName(path).toStdString());
}

}  // namespace

bool Present(const QString& path) {
    std::error_code ec;
    return fs::symlink_status(nativePath(path), ec).type() != fs::file_type::not_found && !ec;
}

std::error_code Move(const QString& from, const QString& to) {
    std::error_code ec;
    fs::rename(nativePath(from), nativePath(to), ec);
    return ec;
}

std::error_code Remove(const QString& path) {
    std::error_code ec;
    fs::remove(nativePath(path), ec);
    return ec;
}

std::error_code RemoveTree(const QString& path) {
    std::error_code ec;
    fs::remove_all(nativePath(path), ec);
    return ec;
}

bool RoomIn(const QString& folder) {
    const QByteArray probe = QFile::encodeName(folder + QStringLiteral("/.randola-room"));
    const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) return errno != ENOSPC && errno != EDQUOT;
    const char bytes[512] = {};
    const bool written = ::write(fd, bytes, sizeof bytes) == ssize_t(sizeof bytes);
    const int error = errno;
    ::close(fd);
    ::unlink(probe.constData());
    return written || (error != ENOSPC && error != EDQUOT && error != EFBIG);
}

int CodeFor(const std::error_code& ec) {
    if (ec == std::errc::permission_denied || ec == std::errc::operation_not_permitted ||
        ec == std::errc::read_only_file_system) {
        return TrmCode::ReadOnly;
    }
    if (ec == std::errc::no_space_on_device || ec == std::errc::io_error) return TrmCode::IoError;
    return TrmCode::CannotCreate;
}

QString Failure(const QString& path, const std::error_code& ec) {
    return QFileInfo(path).fileName() + QStringLiteral(": ") + QString::fromStdString(ec.message());
}

}  // namespace FileMoves
