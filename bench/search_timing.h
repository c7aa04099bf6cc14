// Timed searches and reads on the lab: through a bare client (the floor) and through the window.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "link/frame.h"

namespace ktr::bench {

struct SearchSample
{
    // From the request leaving to the last expected reply taken in; meaningless unless
    // complete.
    double milliseconds = 0;
    // Replies collected (floor) or rows listed (window).
    std::size_t received = 0;
    bool complete = false;
    // Window only: the message area showed one line per reply once the dispatch was over.
    bool messagesComplete = true;
    // Window only: CPU time of the window's thread from the click on Search to the last row.
    double cpuMilliseconds = 0;
    // Why the run could not be made (a socket or a message box); empty when it was made.
    std::string failure;
};

// Broadcasts one search from the lab PC's first address through a bare client and collects
// replies until `devices` of them arrived or the patience ran out.
SearchSample TimeFloorSearch(std::size_t devices, std::chrono::milliseconds patience);

// Opens the tool's main window (message boxes are recorded, never shown), clicks Search and runs
// the event loop until the device list holds `devices` rows or the patience ran out. The window
// and all its sockets are gone when it returns.
SearchSample TimeWindowSearch(std::size_t devices, std::chrono::milliseconds patience);

struct ReadSample
{
    // From the read request leaving to the reply taken in (floor), or to the page filled and
    // "读取网络参数成功！" shown (window); meaningless unless complete.
    double milliseconds = 0;
    bool complete = false;
    // Window only: the same from the double-click, before the request is sent.
    double fromClickMilliseconds = 0;
    // Window only: CPU time of the window's thread from the double-click to the page filled,
    // and the events that brought datagrams to the window meanwhile.
    double cpuMilliseconds = 0;
    int datagramEvents = 0;
    std::string failure;
};

// Sends one network read from the lab PC's first address through a bare client and waits for
// the reply.
ReadSample TimeFloorRead(const MacAddress &device, std::chrono::milliseconds patience);

// Opens the tool's main window, searches, then double-clicks the first device `reads` times,
// each after a quiet moment, timing each read to its page filled and shown.
std::vector<ReadSample> TimeWindowReads(int reads, std::chrono::milliseconds patience);

} // namespace ktr::bench
