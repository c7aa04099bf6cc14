// Registration of the tool's Qt resources (the application icon).
#pragma once

namespace ktr {

// Makes ":/icons/128/<edge>.rgba" available; the resource object lives in a static library, which
// the linker would otherwise leave out. Safe to call more than once.
void InitResources();

} // namespace ktr
