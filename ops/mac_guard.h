// The MACs a device must not be given: ones nothing on the LAN can reach it by, its own, and
// one another device already answers to.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "link/frame.h"

namespace ktr {

enum class MacRefusal {
    AllZero,       // 00-00-00-00-00-00: no device answers to it
    Broadcast,     // FF-FF-FF-FF-FF-FF: every device on the LAN receives what is sent to it
    Multicast,     // first octet odd: a group address, never one device's
    SameAsCurrent, // the device's own MAC: the write would only restart it
    HeldByAnother, // two devices on one MAC merge into one and cannot be told apart
};

// All zero, broadcast or multicast: a device given one of these is no longer reachable by its
// own address. nullopt for an address a device can hold.
[[nodiscard]] std::optional<MacRefusal> UnusableMac(const MacAddress &mac);

// The new MAC for the device that now answers to `current`: one of the above, or its own.
// Whether another device holds it is for the caller to find out, from what it knows of the LAN.
[[nodiscard]] std::optional<MacRefusal> CheckNewMac(const MacAddress &current,
                                                    const MacAddress &newMac);

// Why the new MAC was not written, for the user; `holder` names the other device.
std::string MacRefusalText(MacRefusal refusal, const MacAddress &newMac,
                           std::string_view holder = "另一台设备");

} // namespace ktr
