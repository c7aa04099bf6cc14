// Settings by field key.
#include "tools/cli/settings.h"

#include <algorithm>

#include "ops/form_fields.h"
#include "ops/mac_text.h"
#include "ops/page_forms.h"

namespace ktr::cli {
namespace {

constexpr const char *kMacKey = "mac";

template <typename Form>
void SetFieldValue(const FormField<Form> &field, Form &form, const std::string &value)
{
    const FieldRef ref = field.access(form);
    if (field.isChoice())
        *std::get<int *>(ref) = ChoiceIndex(field.items, value).value_or(kNoSelection);
    else
        *std::get<std::string *>(ref) = value;
}

// "校验位：应为 NONE、ODD、EVEN 之一".
std::string ItemsRefusal(std::string_view label, std::span<const std::string_view> items)
{
    std::string text = std::string(label) + "：应为 ";
    for (std::size_t i = 0; i < items.size(); ++i)
        text += (i == 0 ? "" : "、") + std::string(items[i]);
    return text + " 之一";
}

// A field checked on its own, in an otherwise valid form. A list field's refusal names its
// items, and a terminal address gets one refusal whether its length or its characters are wrong.
template <typename Form>
[[nodiscard]] std::optional<Refusal> CheckAlone(const FormField<Form> &field, Form form,
                                                const std::string &value)
{
    SetFieldValue(field, form, value);
    std::optional<Refusal> refusal = CheckField(field, form);
    if (!refusal)
        return std::nullopt;
    if (field.isChoice())
        refusal->text = ItemsRefusal(field.label, field.items);
    else if (field.kind == FieldKind::TerminalAddress)
        refusal = RefuseField(field.key, field.label, AcceptedForm(field.kind));
    return refusal;
}

template <typename Form>
void CompareFields(const std::vector<FormField<Form>> &fields, const Form &wanted,
                   const Form &found, std::vector<FieldChange> &out)
{
    for (const FormField<Form> &field : fields) {
        if (field.key == kMacKey)
            continue;
        const std::string w = FieldValue(field, wanted);
        const std::string f = FieldValue(field, found);
        if (w != f)
            out.push_back({field.key, field.label, w, f});
    }
}

// Every field but the MAC (which leads the object when it is shown).
template <typename Form>
void AddJson(const std::vector<FormField<Form>> &fields, const Form &form,
             nlohmann::ordered_json &out)
{
    for (const FormField<Form> &field : fields) {
        if (field.key != kMacKey)
            out[field.key] = FieldValue(field, form);
    }
}

} // namespace

std::optional<int> ChoiceIndex(std::span<const std::string_view> items, std::string_view value)
{
    const auto lower = [](std::string_view text) {
        std::string out(text);
        std::transform(out.begin(), out.end(), out.begin(), [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        });
        return out;
    };
    const auto exact = std::find(items.begin(), items.end(), value);
    if (exact != items.end())
        return static_cast<int>(exact - items.begin());
    const std::string wanted = lower(value);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::string item = lower(items[i]);
        const std::size_t slash = item.find('/');
        if (wanted == item || (slash != std::string::npos && (wanted == item.substr(0, slash) ||
                                                              wanted == item.substr(slash + 1))))
            return static_cast<int>(i);
    }
    return std::nullopt;
}

template <typename Form>
std::string FieldValue(const FormField<Form> &field, const Form &form)
{
    if (!field.isChoice())
        return field.text(form);
    const int index = field.index(form);
    if (index < 0 || static_cast<std::size_t>(index) >= field.items.size())
        return {};
    return std::string(field.items[static_cast<std::size_t>(index)]);
}

template std::string FieldValue(const NetworkField &, const NetworkForm &);
template std::string FieldValue(const DeviceField &, const DeviceForm &);

DeviceSettings SettingsOf(const MacAddress &mac, const NetworkBlock &network,
                          const DeviceBlock &device)
{
    DeviceSettings s;
    FillNetworkForm(network, s.network);
    s.network.mac = FormatMacDashed(mac);
    FillDeviceForm(device, FormatTerminalAddress(device.terminalAddress), s.device);
    return s;
}

std::optional<Assignment> ParseAssignment(const std::string &text)
{
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos)
        return std::nullopt;
    return Assignment{text.substr(0, equals), text.substr(equals + 1)};
}

Result<std::vector<Assignment>, std::string>
AssignmentsFromJson(const nlohmann::ordered_json &object)
{
    if (!object.is_object())
        return Fail(std::string("设置应为JSON对象"));
    std::vector<Assignment> assignments;
    for (const auto &[key, value] : object.items()) {
        if (value.is_string())
            assignments.push_back({key, value.get<std::string>()});
        else if (value.is_number())
            assignments.push_back({key, value.dump()});
        else
            return Fail("字段 " + key + " 的值应为文本或数字");
    }
    return assignments;
}

std::optional<Refusal> CheckAssignments(const std::vector<Assignment> &assignments)
{
    for (const Assignment &a : assignments) {
        std::optional<Refusal> refusal;
        if (a.key == kMacKey)
            refusal = Refusal{a.key, "MAC地址请用 ktr-cli mac 修改", {}};
        else if (const NetworkField *f = FindField(NetworkFields(), a.key))
            refusal = CheckAlone(*f, DefaultNetworkForm(), a.value);
        else if (const DeviceField *d = FindField(DeviceFields(), a.key))
            refusal = CheckAlone(*d, DefaultDeviceForm(), a.value);
        else
            refusal = Refusal{a.key, "没有字段 " + a.key, {}};
        if (refusal)
            return refusal;
    }
    return std::nullopt;
}

void Overlay(DeviceSettings &settings, const std::vector<Assignment> &assignments)
{
    for (const Assignment &a : assignments) {
        if (const NetworkField *f = FindField(NetworkFields(), a.key))
            SetFieldValue(*f, settings.network, a.value);
        else if (const DeviceField *d = FindField(DeviceFields(), a.key))
            SetFieldValue(*d, settings.device, a.value);
    }
}

bool TouchesNetwork(const std::vector<Assignment> &assignments)
{
    return std::any_of(assignments.begin(), assignments.end(), [](const Assignment &a) {
        return FindField(NetworkFields(), a.key) != nullptr;
    });
}

bool TouchesDevice(const std::vector<Assignment> &assignments)
{
    return std::any_of(assignments.begin(), assignments.end(), [](const Assignment &a) {
        return FindField(DeviceFields(), a.key) != nullptr;
    });
}

nlohmann::ordered_json SettingsJson(const DeviceSettings &settings, bool withMac)
{
    nlohmann::ordered_json out = nlohmann::ordered_json::object();
    if (withMac)
        out[kMacKey] = settings.network.mac;
    AddJson(NetworkFields(), settings.network, out);
    AddJson(DeviceFields(), settings.device, out);
    return out;
}

std::vector<FieldChange> DifferingFields(const DeviceSettings &wanted, const DeviceSettings &found)
{
    std::vector<FieldChange> out;
    CompareFields(NetworkFields(), wanted.network, found.network, out);
    CompareFields(DeviceFields(), wanted.device, found.device, out);
    return out;
}

} // namespace ktr::cli
