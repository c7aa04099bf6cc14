// NetworkBlock and ServerSlot field access over the raw record bytes.
#include "ops/network_block.h"

#include <algorithm>

namespace ktr {

NetworkBlock::NetworkBlock(std::span<const std::uint8_t, kSize> bytes)
{
    std::copy(bytes.begin(), bytes.end(), bytes_.begin());
}

std::uint32_t NetworkBlock::address(AddressField field) const
{
    return GetLe32(bytes_, static_cast<std::size_t>(field));
}

void NetworkBlock::setAddress(AddressField field, std::uint32_t value)
{
    PutLe32(bytes_, static_cast<std::size_t>(field), value);
}

} // namespace ktr
