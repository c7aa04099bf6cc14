// The user's commands and the reply decoders, as plain functions over the application state
// and the window's interfaces.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "link/frame.h"
#include "ops/app_state.h"
#include "ops/ports.h"

namespace ktr {

// Everything a command may touch. The pages and the list belong to the main window.
struct Ui
{
    AppState &state;
    Shell &shell;
    DeviceList &list;
    NetworkView &networkPage;
    DeviceView &devicePage;
};

// Main window.
// The replies of a search are awaited this long after the request, and until none has come for
// kSearchQuiet (the window shows a flood of replies at its own pace); then one line sums up.
inline constexpr std::chrono::milliseconds kSearchSpell{1500};
inline constexpr std::chrono::milliseconds kSearchQuiet{500};
void OnSearch(Ui &ui);
// The search's summary line once its replies are over: "搜索完成，共搜索到3台设备".
void EndQuietSearch(Ui &ui);
std::string SearchSummaryText(std::size_t devices);
// The system dropped replies on their way to the window: one message line with the count.
void ReportDroppedReplies(Ui &ui, std::uint64_t count);
void OnDblclkDeviceList(Ui &ui);
// What one received datagram did, for the window to follow up on (the device page names the
// device its values came from).
enum class ReplyEffect : std::uint8_t {
    Nothing,              // an empty tunnel reply: not even the message area is refreshed
    NotDecoded,           // no reply the tool decodes: a request, a short frame, another command
    NotWaitedFor,         // a reply nobody waits for from that device: counted and traced
    DeviceListed,         // a search reply: a row in the device list
    NetworkShown,         // network settings shown on the network page
    VerificationRead,     // a re-read after a restarting write: judged there, the page stays
    DeviceBlockShown,     // device settings shown on the device page
    DeviceWriteConfirmed, // a device write acknowledged
};

struct ReplyOutcome
{
    ReplyEffect effect = ReplyEffect::NotDecoded;
    MacAddress device{}; // the device that answered, for replies taken from the pending requests
    bool operator==(const ReplyOutcome &) const = default;
};

// One received datagram, classified once: decodes what the tool understands and refreshes the
// message area (except for an empty tunnel reply, which does nothing at all).
// A reply is taken only when it answers a request the tool waits for (device MAC and kind);
// anything else is counted and traced, never shown.
ReplyOutcome OnDatagram(Ui &ui, ByteView datagram);
// The window's clock: sends the retries that are due and reports the requests given up on.
void OnTick(Ui &ui);

// Network page.
void OnConfigureNetwork(Ui &ui);
void OnSelchangeIpMode(Ui &ui);
void OnWriteMac(Ui &ui);
void OnLoadDefaults(Ui &ui);

// Device page.
void OnReadDeviceBlock(Ui &ui);
void OnWriteDeviceBlock(Ui &ui);

// Decoders the dispatch calls.
void ShowSearchReply(Ui &ui, ByteView datagram);
void ShowNetworkBlock(Ui &ui, ByteView block);
void ShowDeviceBlock(Ui &ui);

// Start-up values of both pages, in their fixed order.
void LoadPageDefaults(NetworkView &networkPage, DeviceView &devicePage);

} // namespace ktr
