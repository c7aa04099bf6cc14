// How often the window may show replies outside its frame rhythm. While replies keep coming the
// window shows them once per frame; when a burst ends within a frame it would rather show the
// rest at once than at the frame's end - but a stream with small pauses must not turn that into
// a showing per reply. Early showings draw on an allowance that refills at one per frame.
#pragma once

#include <chrono>

namespace ktr {

class ShowPacer
{
public:
    using Clock = std::chrono::steady_clock;

    ShowPacer(Clock::duration frame, double allowance);

    // True when replies that stopped coming within a frame may be shown now.
    bool mayShowEarly(Clock::time_point now);
    // Every showing, early or at a frame's end, draws on the allowance.
    void shown(Clock::time_point now);

private:
    void refill(Clock::time_point now);

    Clock::duration frame_;
    double allowance_;
    double left_;
    Clock::time_point refilledAt_{};
};

} // namespace ktr
