// The exit codes of ktr-cli, one per kind of outcome, so that scripts can tell them apart.
#pragma once

namespace ktr::cli {

enum ExitCode : int {
    kExitOk = 0,            // done, and where it applies verified
    kExitFailed = 1,        // a write did not take: the device reports other values than sent
    kExitUsage = 2,         // the command line or a value given is wrong; nothing was sent
    kExitNotFound = 3,      // no device answered the search, or a plan names no device
    kExitNoAnswer = 4,      // the device did not answer, or did not come back after a restart
    kExitNetwork = 5,       // no interface to send on, or the sockets could not be opened
    kExitSomeFailed = 6,    // a batch run in which some devices failed
    kExitInterrupted = 130, // Ctrl+C: as a shell reports a program ended by SIGINT
};

} // namespace ktr::cli
