// The state the tool keeps for the life of the process: selected device, last records, the
// device-block-read flag and the message text. One object owned by the application.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "link/frame.h"
#include "ops/device_block.h"
#include "ops/network_block.h"
#include "ops/pending_requests.h"
#include "ops/write_verification.h"

namespace ktr {

// The text of the message area. Every line the program adds ends in CR LF. Between two clears
// or captures the text only grows, so a view may show it by appending what is new.
class MessageText
{
public:
    void clear()
    {
        text_.clear();
        ++generation_;
    }
    void appendLine(std::string_view line)
    {
        text_.append(line);
        text_.append("\r\n");
    }
    // Capture: the area's current text (typed letters included) becomes the message text.
    void capture(std::string_view areaText)
    {
        text_.assign(areaText);
        ++generation_;
    }
    const std::string &text() const { return text_; }
    // Changes at every clear and capture, never at an appended line.
    std::uint64_t generation() const { return generation_; }

private:
    std::string text_;
    std::uint64_t generation_ = 0;
};

// A search from its request to its summary: when it started, when the last reply came, the
// devices heard (a device answering twice counts once) and the message text it wrote into, so
// that a command started meanwhile (a double-click read) keeps the area to its own lines.
struct SearchSpell
{
    SteadyTime startedAt{};
    SteadyTime lastReplyAt{};
    std::set<MacAddress> heard;
    std::uint64_t messages = 0;
};

struct AppState
{
    MacAddress SelectedDeviceMac{}; // all zero until a row is double-clicked
    NetworkBlock LastNetworkBlock;  // all zero until a network reply arrives
    // The device LastNetworkBlock was read from, so that a write's check compares with that
    // device's own record.
    std::optional<MacAddress> networkBlockMac;
    DeviceBlock deviceBlock;      // the DeviceBlock store
    bool deviceBlockRead = false; // the device-block-read flag
    MacAddress deviceBlockMac{};  // the device the flag's read came from
    // The device whose network settings were last read into the network page. It stays through
    // the page's own writes; the commands that write to a device go out only while it is the
    // selected one: before that no device has been chosen and read.
    std::optional<MacAddress> pageDeviceMac;
    MessageText messageText;
    // The search under way, until its summary line is written.
    std::optional<SearchSpell> search;

    // The requests waiting for an answer and the writes being checked after a restart.
    PendingRequests pending;
    std::vector<WriteVerification> verifications;
    // The network page waits for the re-read of a device that was restarting when it was read.
    std::optional<MacAddress> pageAwaitsVerifiedRead;
    std::function<SteadyTime()> clock = [] {
        return std::chrono::steady_clock::now();
    };
};

} // namespace ktr
