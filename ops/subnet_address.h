// The two addresses of a subnet that no device can hold: the network address (host bits all
// zero) and the broadcast address (host bits all one). A device given one of them as its static
// IP cannot be reached.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ktr {

enum class SubnetAddress { Host, Network, Broadcast };

// What the address is in the subnet the mask makes of it. Masks leaving fewer than two host bits
// (point-to-point links, single hosts) have no network or broadcast address.
SubnetAddress ClassifySubnetAddress(std::uint32_t address, std::uint32_t mask);

// Why a device cannot be given this static IP with this mask, for people; nullopt when it can:
// "192.168.0.255 是子网掩码 255.255.255.0 下的广播地址".
[[nodiscard]] std::optional<std::string> UnusableStaticIp(std::uint32_t address,
                                                          std::uint32_t mask);

} // namespace ktr
