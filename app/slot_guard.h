// Keeps exceptions of a command from crossing a Qt slot or event handler.
#pragma once

#include <functional>

namespace ktr {

// Runs the command; an exception it throws is logged and the window carries on.
void RunGuarded(const std::function<void()> &command) noexcept;

} // namespace ktr
