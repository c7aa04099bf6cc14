// Steps the user's commands share: the progress line around a request, a write refused, and
// the device list's rows.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "link/frame.h"
#include "ops/commands.h"
#include "ops/form_checks.h"
#include "ops/ports.h"

namespace ktr {

// The message area shows the command's progress line first, then the request goes out: a reply
// that arrives while a send failure box is open lands under that line. Both return how many
// endpoints the request left through; none adds the nothing-sent line.
int SendWithProgress(Ui &ui, ByteView request, std::string_view progressLine);
// The writes send first and report afterwards.
int SendThenReport(Ui &ui, ByteView request, std::string_view progressLine);
// Adds the nothing-sent line when a request left through no endpoint.
void SayIfNothingSent(Ui &ui, int sent);

// Said by a write before a device has been chosen and read.
inline constexpr std::string_view kNoDeviceLine = "请先搜索并双击列表中的设备";

// The device list's columns that name a device.
inline constexpr int kIpColumn = 0;
inline constexpr int kMacColumn = 2; // twelve hex digits, as the search reply gave them

// The message area shows this one line, and nothing goes out.
void ShowOnlyLine(Ui &ui, std::string_view line);

// The writes go to the selected device only once its network settings have been read: what
// they send and the page they send come from that device. Before that: the no-device line, and
// false.
[[nodiscard]] bool RequireDeviceRead(Ui &ui);

// The row of the device list that shows this device, if any.
[[nodiscard]] std::optional<int> RowOfDevice(const DeviceList &list, const MacAddress &mac);

// "000EEB123456 (192.168.0.166)": the device as a page names the source of its values, with the
// address its row in the device list shows (the MAC alone when it has no row).
[[nodiscard]] std::string DeviceNamed(const Ui &ui, const MacAddress &mac);

// The device's network record as last read from it; nullopt when the record held is another
// device's or none was read.
[[nodiscard]] std::optional<NetworkBlock> RecordOf(const AppState &state, const MacAddress &mac);

// A write that did not pass its checks: one box naming the field, then the focus in that field
// so the user can correct it. Nothing is sent and nothing else changes.
template <typename Form>
void RefuseWrite(Ui &ui, FormView<Form> &page, const Refusal &refusal)
{
    ui.shell.messageBox(refusal.text, refusal.caption, BoxIcon::Exclamation);
    page.focusField(refusal.key);
}

} // namespace ktr
