// A device's settings as the two pages show them, addressed by the fields' English keys: read
// from the records, shown as JSON, changed by FIELD=VALUE assignments and compared field by
// field.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ops/form_checks.h"
#include "ops/forms.h"

namespace ktr::cli {

struct DeviceSettings
{
    NetworkForm network;
    DeviceForm device;
};

// The pages' forms as a read fills them (the MAC field in dashed form).
DeviceSettings SettingsOf(const MacAddress &mac, const NetworkBlock &network,
                          const DeviceBlock &device);

// A field's value as text: the text shown, or the selected item (empty when none).
template <typename Form>
std::string FieldValue(const FormField<Form> &field, const Form &form);

struct Assignment
{
    std::string key;
    std::string value;
};

// The item a list field's value names: its text as the page shows it, or without regard to the
// case of ASCII letters ("odd" for ODD); an item written "A/B" is also named by either part
// ("dhcp" for DHCP/autoIP). nullopt when it names none.
[[nodiscard]] std::optional<int> ChoiceIndex(std::span<const std::string_view> items,
                                             std::string_view value);

// "static_ip=10.0.0.5": the text up to the first '=' is the key. nullopt without '='.
[[nodiscard]] std::optional<Assignment> ParseAssignment(const std::string &text);
// Every member of a JSON object: strings as they are, numbers in decimal. An error names the
// member whose value is neither.
[[nodiscard]] Result<std::vector<Assignment>, std::string>
AssignmentsFromJson(const nlohmann::ordered_json &object);

// Checks that each key names a settings field (the MAC has its own command) and that each value
// on its own is one its field can hold, before anything is sent. The refusal names the field.
[[nodiscard]] std::optional<Refusal> CheckAssignments(const std::vector<Assignment> &assignments);

// Lays the values over the settings: texts as typed, a choice by its item's text.
void Overlay(DeviceSettings &settings, const std::vector<Assignment> &assignments);

bool TouchesNetwork(const std::vector<Assignment> &assignments);
bool TouchesDevice(const std::vector<Assignment> &assignments);

// Every settings field by key, in page order, network page first; the MAC is left out when
// withMac is false.
nlohmann::ordered_json SettingsJson(const DeviceSettings &settings, bool withMac);

struct FieldChange
{
    std::string key;
    std::string label;
    std::string wanted;
    std::string found;
};

// The fields whose values differ, in page order (the MAC is not compared).
std::vector<FieldChange> DifferingFields(const DeviceSettings &wanted, const DeviceSettings &found);

} // namespace ktr::cli
