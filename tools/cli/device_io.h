// The device's two records read and written through the exchange, each request waiting for
// its own answer, and the writes that restart the device checked by reading it back.
#pragma once

#include <optional>

#include "ops/device_block.h"
#include "ops/network_block.h"
#include "ops/write_verification.h"
#include "tools/cli/exchange.h"

namespace ktr::cli {

// nullopt when the device did not answer (after the retry).
std::optional<NetworkBlock> ReadNetwork(Exchange &exchange, const MacAddress &mac);
std::optional<DeviceBlock> ReadDevice(Exchange &exchange, const MacAddress &mac);

struct Records
{
    std::optional<NetworkBlock> network;
    std::optional<DeviceBlock> device;
};
// The records asked for, read at the same time; a record not asked for stays nullopt.
Records ReadRecords(Exchange &exchange, const MacAddress &mac, bool network, bool device);

// Sends the device record; true when the device acknowledged it.
bool WriteDevice(Exchange &exchange, const MacAddress &mac, const DeviceBlock &block);

// Sends a write that restarts the device, then reads the network settings back from readMac
// once it is up again. nullopt: the write went out nowhere, or the device did not come back.
std::optional<NetworkBlock> WriteAndReadBack(Exchange &exchange, RestartingWrite kind,
                                             const MacAddress &readMac, ByteView request,
                                             const NetworkBlock &written = {});

// The frames of the writes, as they would be sent.
Bytes NetworkWriteFrame(const MacAddress &mac, const NetworkBlock &block);
Bytes DeviceWriteFrame(const MacAddress &mac, const DeviceBlock &block);

} // namespace ktr::cli
