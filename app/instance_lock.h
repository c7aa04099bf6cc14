// The one-copy-per-machine lock of the tool: an exclusive lock on a file, held by the system
// for the process. The system lets go of it when the process ends, however it ends, so there
// is no stale lock to detect and nothing to write or flush to the disk at start-up.
#pragma once

#include <QString>

namespace ktr {

class InstanceLock
{
public:
    // Tries once, without waiting; isHeld() says whether it got the lock.
    explicit InstanceLock(const QString &path);
    ~InstanceLock();
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    bool isHeld() const;

private:
#ifdef Q_OS_WIN
    void *handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

} // namespace ktr
