#include "app/instance_lock.h"

#include <QFile>

#ifdef Q_OS_WIN
#ifndef NOMINMAX // MinGW's C++ headers define it already
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace ktr {

#ifdef Q_OS_WIN

InstanceLock::InstanceLock(const QString &path)
{
    // Opened without sharing: a second copy's open fails until this handle is closed.
    HANDLE file = CreateFileW(reinterpret_cast<LPCWSTR>(path.utf16()), GENERIC_READ, 0, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        handle_ = file;
}

InstanceLock::~InstanceLock()
{
    if (handle_ != nullptr)
        CloseHandle(static_cast<HANDLE>(handle_));
}

bool InstanceLock::isHeld() const
{
    return handle_ != nullptr;
}

#else

InstanceLock::InstanceLock(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    // An existing file is opened as it is: in a shared temporary directory it may belong to
    // another user, whose copy must still keep this one out. Reading is enough for the lock.
    fd_ = open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0 && errno == ENOENT)
        fd_ = open(name.constData(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ >= 0 && flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        close(fd_);
        fd_ = -1;
    }
}

InstanceLock::~InstanceLock()
{
    if (fd_ >= 0)
        close(fd_);
}

bool InstanceLock::isHeld() const
{
    return fd_ >= 0;
}

#endif

} // namespace ktr
