// Factory settings and state of a simulated device.
#include "tools/sim/sim_device.h"

#include <algorithm>

namespace ktr {
namespace {

constexpr std::array<std::uint8_t, NetworkBlock::kOpaqueSize> kFactoryOpaque{0x4B, 0x54, 0x52,
                                                                             0x01, 0x02, 0x03};
constexpr std::uint8_t kFactoryMaxConnections = 8;
constexpr std::uint16_t kFactoryFirstPort = 2000;
constexpr const char *kFactoryTarget = "192.168.0.166";

} // namespace

NetworkBlock FactoryNetworkBlock(std::uint32_t ip)
{
    NetworkBlock block;
    block.setStaticIp(true);
    block.setAddress(AddressField::StaticIp, ip);
    block.setAddress(AddressField::SubnetMask, 0xFFFFFF00u);
    block.setAddress(AddressField::Gateway, (ip & 0xFFFFFF00u) | 1u);
    std::copy(kFactoryOpaque.begin(), kFactoryOpaque.end(),
              block.bytes().begin() + NetworkBlock::kOpaqueOffset);
    block.setMaxConnections(kFactoryMaxConnections);
    for (int n = 0; n < kServerCount; ++n) {
        ServerSlot slot = block.server(n);
        const auto port = static_cast<std::uint16_t>(kFactoryFirstPort + n);
        slot.setLocalPort(port);
        slot.setTargetPort(port);
        (void)slot.overlayTargetAddress(kFactoryTarget); // a short constant, always fits
    }
    return block;
}

DeviceBlock FactoryDeviceBlock()
{
    DeviceBlock block;
    block.serverCount = 2;
    block.terminalAddress = 0x0A0B0C0D;
    block.loginInterval = 30;
    block.heartbeatInterval = 120;
    block.reportInterval = 300;
    block.workMode = 1;
    block.baudRate = 9600;
    block.dataBits = 8;
    block.parity = 2;
    block.stopBits = 1;
    block.modbusCount = 2;
    for (int k = 0; k < kChannelCount; ++k) {
        const auto i = static_cast<std::size_t>(k);
        block.channelAddress[i] = static_cast<std::uint8_t>(11 + k);
        block.tempHigh[i] = 500;
        block.tempLow[i] = -100;
        block.humHigh[i] = 900;
        block.humLow[i] = 100;
    }
    return block;
}

SimDevice::SimDevice(std::size_t index, std::uint32_t ip, const MacAddress &mac,
                     std::uint16_t firmware)
    : index(index)
    , ownIp(ip)
    , mac(mac)
    , firmware(firmware)
    , network(FactoryNetworkBlock(ip))
    , device(FactoryDeviceBlock())
{
}

std::uint32_t SimDevice::announcedIp() const
{
    return network.isStaticIp() ? network.address(AddressField::StaticIp) : ownIp;
}

void SimDevice::restoreFactorySettings()
{
    network = FactoryNetworkBlock(ownIp);
    device = FactoryDeviceBlock();
}

MacAddress OffsetMac(const MacAddress &mac, std::uint64_t offset)
{
    std::uint64_t value = 0;
    for (std::uint8_t b : mac)
        value = value << 8 | b;
    value += offset;
    MacAddress out{};
    for (std::size_t i = kMacSize; i-- > 0;) {
        out[i] = static_cast<std::uint8_t>(value & 0xFF);
        value >>= 8;
    }
    return out;
}

} // namespace ktr
