// One timed search on the lab: through a bare receive loop (the floor) and through the window.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

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

} // namespace ktr::bench
