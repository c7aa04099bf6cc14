#include "res/string_table.h"

namespace ktr {

std::string_view LoadResourceString(int id)
{
    switch (id) {
    case kAboutEntryString:
        return "关于 KTR-HTD-LAN Config(&A)...";
    default:
        return {};
    }
}

} // namespace ktr
