// Refusing MACs that would break a device or the LAN.
#include "ops/mac_guard.h"

#include <algorithm>

#include "ops/mac_text.h"

namespace ktr {

std::optional<MacRefusal> UnusableMac(const MacAddress &mac)
{
    const auto all = [&](std::uint8_t octet) {
        return std::all_of(mac.begin(), mac.end(), [&](std::uint8_t b) { return b == octet; });
    };
    if (all(0x00))
        return MacRefusal::AllZero;
    if (all(0xFF))
        return MacRefusal::Broadcast;
    // The group bit: the lowest bit of the first octet.
    if ((mac[0] & 0x01) != 0)
        return MacRefusal::Multicast;
    return std::nullopt;
}

std::optional<MacRefusal> CheckNewMac(const MacAddress &current, const MacAddress &newMac)
{
    if (const auto unusable = UnusableMac(newMac))
        return unusable;
    if (newMac == current)
        return MacRefusal::SameAsCurrent;
    return std::nullopt;
}

std::string MacRefusalText(MacRefusal refusal, const MacAddress &newMac, std::string_view holder)
{
    std::string text = "新MAC地址" + FormatMacDashed(newMac);
    switch (refusal) {
    case MacRefusal::AllZero:
        text += "全为零，设备将无法被寻址";
        break;
    case MacRefusal::Broadcast:
        text += "是广播地址，不能用作设备的地址";
        break;
    case MacRefusal::Multicast:
        text += "是组播地址（第一个字节为奇数），不能用作设备的地址";
        break;
    case MacRefusal::SameAsCurrent:
        text += "与设备当前的MAC地址相同";
        break;
    case MacRefusal::HeldByAnother:
        text += "已被" + std::string(holder) + "使用，两台设备将无法区分";
        break;
    }
    return text + "，没有写入";
}

} // namespace ktr
