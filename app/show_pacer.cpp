#include "app/show_pacer.h"

#include <algorithm>

namespace ktr {

ShowPacer::ShowPacer(Clock::duration frame, double allowance)
    : frame_(frame)
    , allowance_(allowance)
    , left_(allowance)
{
}

void ShowPacer::refill(Clock::time_point now)
{
    if (refilledAt_ != Clock::time_point{}) {
        const double frames = std::chrono::duration<double>(now - refilledAt_) /
                              std::chrono::duration<double>(frame_);
        left_ = std::min(allowance_, left_ + frames);
    }
    refilledAt_ = now;
}

bool ShowPacer::mayShowEarly(Clock::time_point now)
{
    refill(now);
    return left_ >= 1.0;
}

void ShowPacer::shown(Clock::time_point now)
{
    refill(now);
    left_ = std::max(0.0, left_ - 1.0);
}

} // namespace ktr
