// One simulated device: its identity, its two settings records and its factory settings.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "link/frame.h"
#include "ops/device_block.h"
#include "ops/network_block.h"

namespace ktr {

using SimClock = std::chrono::steady_clock;

// Factory network settings of a device whose own address is ip: static IP mode with that
// address, mask 255.255.255.0, gateway x.y.z.1, the fixed bytes 4B 54 52 01 02 03 at offsets
// 13-18, eight connections, server n (1-8) with local and target port 1999 + n and target
// address "192.168.0.166".
NetworkBlock FactoryNetworkBlock(std::uint32_t ip);

// Factory application settings. Several fields differ from what the tool's device page shows
// before a read, so that a read visibly changes the page: two servers, terminal address
// 0a0b0c0d, intervals 30/120/300 s, Modbus sensor, 9600 baud 8E1, two Modbus terminals at
// addresses 11-18, limits 50.0/-10.0 degrees and 90.0/10.0 percent on every channel.
DeviceBlock FactoryDeviceBlock();

struct SimDevice
{
    SimDevice(std::size_t index, std::uint32_t ip, const MacAddress &mac, std::uint16_t firmware);

    // The address a search reply carries: the static IP when static mode is set, otherwise the
    // address the device was created with (the one a DHCP server would hand it again).
    std::uint32_t announcedIp() const;
    // Network and application settings back to the factory values; the MAC is kept, it is
    // the device's identity and no setting.
    void restoreFactorySettings();
    bool isRestarting(SimClock::time_point now) const { return now < silentUntil; }

    std::size_t index;
    std::uint32_t ownIp;
    MacAddress mac;
    std::uint16_t firmware;
    NetworkBlock network;
    DeviceBlock device;
    SimClock::time_point silentUntil{};
};

// MAC plus offset, counted in the last bytes as one 48-bit number (wraps past FF-..-FF).
MacAddress OffsetMac(const MacAddress &mac, std::uint64_t offset);

} // namespace ktr
