// The texts the user reads when the network layer fails, kept apart from link/ so that the
// window and ktr-cli show the same words. Plain C++, no Qt.
#pragma once

#include <string>

#include "link/endpoints.h"

namespace ktr {

// The message box text of a failure; `osError` is the OS error code the failure carried.
std::string FailureMessage(NetFailure failure, int osError);

} // namespace ktr
