// The operating system's own error number, carried as the error value of a system call that
// failed (errno on POSIX, the Winsock or Win32 error code on Windows).
#pragma once

#include "core/result.h"

namespace ktr {

struct OsError
{
    int code = 0;

    friend bool operator==(const OsError &, const OsError &) = default;
};

// The outcome of a system call that has nothing to give back but may fail.
using OsStatus = Status<OsError>;

} // namespace ktr
