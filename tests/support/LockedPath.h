#pragma once

#include <QString>

// Locks a file or a folder against change for the life of the guard: a locked
// folder takes no new, renamed or removed entries, a locked file can be
// neither renamed nor removed. Root ignores permission bits, so as root the
// file system's immutable flag does the locking; otherwise a folder loses its
// write permission (a file cannot be locked that way: see locked()).
class LockedPath {
public:
    explicit LockedPath(const QString& path);
    ~LockedPath();
    LockedPath(const LockedPath&) = delete;
    LockedPath& operator=(const LockedPath&) = delete;

    // Whether the lock holds; a test skips what it cannot stage otherwise.
    bool locked() const { return locked_; }

private:
    bool setImmutable(bool on);

    QString path_;
    bool immutable_ = false;
    bool chmodded_ = false;
    bool locked_ = false;
};
