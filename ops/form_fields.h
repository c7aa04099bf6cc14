// One table per form that names each field once: its English key (used by ktr-cli on the
// command line and in settings files), its label as the page shows it (used in refusals), what
// kind of value it holds and what it accepts, and access to its member of the form.
//
// Keys: network page - static_ip, subnet_mask, gateway, ip_mode, max_connections, mac,
// serverN_local_port, serverN_target_address, serverN_target_port (N = 1..8);
// device page - server_count, terminal_address, login_interval, heartbeat_interval,
// report_interval, work_mode, baud_rate, data_bits, parity, stop_bits, modbus_count,
// channelN_address, channelN_temp_high, channelN_temp_low, channelN_hum_high, channelN_hum_low.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "ops/forms.h"

namespace ktr {

enum class FieldKind {
    Address,         // dotted IPv4: four decimal parts 0-255
    Mask,            // a dotted address whose one bits are contiguous from the top
    Integer,         // decimal digits, within [min, max]
    TargetAddress,   // text of at most 29 bytes in code page 936
    Choice,          // one of the items
    Mac,             // 00-0E-EB-12-34-56
    TerminalAddress, // exactly eight hexadecimal digits
    Temperature,     // -40.0 to 120.0, at most one decimal
    Humidity,        // 0.0 to 99.9, at most one decimal
};

// A text member or a selection index member of a form.
using FieldRef = std::variant<std::string *, int *>;

template <typename Form>
struct FormField
{
    std::string key;
    std::string label;
    FieldKind kind = FieldKind::Integer;
    std::int64_t min = 0; // Integer only
    std::int64_t max = 0;
    std::span<const std::string_view> items{}; // Choice only
    std::function<FieldRef(Form &)> access;

    const std::string &text(const Form &form) const
    {
        return *std::get<std::string *>(access(const_cast<Form &>(form)));
    }
    int index(const Form &form) const { return *std::get<int *>(access(const_cast<Form &>(form))); }
    bool isChoice() const { return kind == FieldKind::Choice; }
};

using NetworkField = FormField<NetworkForm>;
using DeviceField = FormField<DeviceForm>;

// The fields in page order (the order in which a write checks them).
const std::vector<NetworkField> &NetworkFields();
const std::vector<DeviceField> &DeviceFields();

// "server3_target_port" for server entry n = 2; "channel2_temp_high" for channel n = 1.
std::string ServerFieldKey(int n, std::string_view part);
std::string ChannelFieldKey(int n, std::string_view part);

// The field with this key; nullptr when there is none.
template <typename Form>
const FormField<Form> *FindField(const std::vector<FormField<Form>> &fields, std::string_view key)
{
    for (const FormField<Form> &field : fields) {
        if (field.key == key)
            return &field;
    }
    return nullptr;
}

// What the field accepts, in the words of a refusal ("0-65535的整数").
std::string AcceptedForm(FieldKind kind, std::int64_t min = 0, std::int64_t max = 0);

} // namespace ktr
