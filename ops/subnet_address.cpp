// Network and broadcast addresses of a subnet.
#include "ops/subnet_address.h"

#include "ops/text_convert.h"

namespace ktr {

SubnetAddress ClassifySubnetAddress(std::uint32_t address, std::uint32_t mask)
{
    const std::uint32_t hostBits = ~mask;
    if (hostBits < 3)
        return SubnetAddress::Host;
    if ((address & hostBits) == 0)
        return SubnetAddress::Network;
    if ((address & hostBits) == hostBits)
        return SubnetAddress::Broadcast;
    return SubnetAddress::Host;
}

std::optional<std::string> UnusableStaticIp(std::uint32_t address, std::uint32_t mask)
{
    const SubnetAddress kind = ClassifySubnetAddress(address, mask);
    if (kind == SubnetAddress::Host)
        return std::nullopt;
    return FormatDottedAddress(address) + " 是子网掩码 " + FormatDottedAddress(mask) + " 下的" +
           (kind == SubnetAddress::Network ? "网络地址" : "广播地址") + ", 设备将无法访问";
}

} // namespace ktr
