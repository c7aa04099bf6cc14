// The checks a page passes before a write: every field against what its device field can hold.
// A failure names the field and what it accepts; values that pass are converted exactly as the
// device has always been sent them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/result.h"
#include "ops/device_block.h"
#include "ops/form_fields.h"
#include "ops/forms.h"
#include "ops/network_block.h"

namespace ktr {

// Why a write was not sent: the field's key (where the focus goes), and the box's text and
// caption.
struct Refusal
{
    std::string key;
    std::string text;
    std::string caption;

    bool operator==(const Refusal &) const = default;
};

// The refusal of a field whose text is no value of its kind: "服务器3 目标端口：应为0-65535的整数".
Refusal RefuseField(std::string_view key, std::string_view label, std::string_view accepted);

// One field on its own: nullopt when it holds a value its device field can take.
template <typename Form>
[[nodiscard]] std::optional<Refusal> CheckField(const FormField<Form> &field, const Form &form);

struct ServerValues
{
    std::uint16_t localPort = 0;
    std::uint16_t targetPort = 0;
    std::string targetAddress; // code page 936 bytes
};

// The network page's values once checked: what a write lays over the last record read.
struct NetworkValues
{
    std::uint32_t staticIp = 0;
    std::uint32_t subnetMask = 0;
    std::uint32_t gateway = 0;
    bool staticIpMode = true;
    std::uint8_t maxConnections = 0;
    std::array<ServerValues, kServerCount> servers{};
};

// Every field of the page but the MAC address (written on its own).
[[nodiscard]] Result<NetworkValues, Refusal> CheckNetworkForm(const NetworkForm &form);
// Lays the values over the record. Fields the page does not show (offsets 13-18, the bytes
// behind each address's zero byte) keep what the last read delivered.
void OverlayNetworkValues(const NetworkValues &values, NetworkBlock &block);

// Every field, then for each channel the lower limits against the upper ones.
[[nodiscard]] Result<DeviceBlock, Refusal> CheckDeviceForm(const DeviceForm &form);

} // namespace ktr
