// The device's two records read and written through the exchange, each request waiting for
// its own answer, and the writes that restart the device checked by reading it back.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ops/device_block.h"
#include "ops/network_block.h"
#include "ops/write_verification.h"
#include "tools/cli/exchange.h"

namespace ktr::cli {

// nullopt when the device did not answer (after the retry).
[[nodiscard]] std::optional<NetworkBlock> ReadNetwork(Exchange &exchange, const MacAddress &mac);
[[nodiscard]] std::optional<DeviceBlock> ReadDevice(Exchange &exchange, const MacAddress &mac);

struct Records
{
    std::optional<NetworkBlock> network;
    std::optional<DeviceBlock> device;
};
// The records asked for, read at the same time; a record not asked for stays nullopt.
[[nodiscard]] Records ReadRecords(Exchange &exchange, const MacAddress &mac, bool network,
                                  bool device);

// Sends the device record; true when the device acknowledged it.
[[nodiscard]] bool WriteDevice(Exchange &exchange, const MacAddress &mac, const DeviceBlock &block);

// A write that restarts the device: where it goes, what it sends, and what the device held.
struct RestartingRequest
{
    RestartingWrite kind = RestartingWrite::NetworkSettings;
    MacAddress sentTo{};                // the device's MAC at the time of the write
    MacAddress readMac{};               // the MAC it answers to afterwards
    Bytes request;                      // the frame
    NetworkBlock written;               // the settings sent (network settings writes)
    std::optional<NetworkBlock> before; // the record read before the write
};

// What a checked write came to.
struct CheckedWrite
{
    VerificationResult result;
    std::vector<std::string> lines; // the verdict, as the window says it
};

// Sends the write and reads the device back, as the window's check does, until a verdict;
// nullopt when the write went out on no interface, so that nothing could be checked.
[[nodiscard]] std::optional<CheckedWrite> WriteAndVerify(Exchange &exchange,
                                                         const RestartingRequest &write);

// The frames of the writes, as they would be sent.
Bytes NetworkWriteFrame(const MacAddress &mac, const NetworkBlock &block);
Bytes DeviceWriteFrame(const MacAddress &mac, const DeviceBlock &block);

} // namespace ktr::cli
