// The allowance for showing replies outside the frame rhythm: a few bursts in a row at once,
// then back to one showing per frame, refilled as frames pass.
#include "app/show_pacer.h"

#include <gtest/gtest.h>

namespace ktr {
namespace {

using namespace std::chrono_literals;

TEST(ShowPacer, ABurstsEndIsShownAtOnceButAStreamWithPausesFallsBackToFrames)
{
    constexpr auto kFrame = 16ms;
    ShowPacer pacer(kFrame, 3);
    ShowPacer::Clock::time_point t{1h};
    // Three early showings in quick succession draw the allowance down...
    for (int n = 0; n < 3; ++n) {
        ASSERT_TRUE(pacer.mayShowEarly(t)) << n;
        pacer.shown(t);
        t += 3ms;
    }
    // ...and a stream pausing every 3 ms gets no more until frames have passed.
    EXPECT_FALSE(pacer.mayShowEarly(t));
    t += 3ms;
    EXPECT_FALSE(pacer.mayShowEarly(t));
    // Showings at the frames' ends draw on it too, so a steady stream stays at one per frame.
    t += kFrame;
    pacer.shown(t);
    EXPECT_FALSE(pacer.mayShowEarly(t + 3ms));
    // A quiet spell refills it, but never beyond the allowance.
    t += 10 * kFrame;
    for (int n = 0; n < 3; ++n) {
        ASSERT_TRUE(pacer.mayShowEarly(t)) << n;
        pacer.shown(t);
    }
    EXPECT_FALSE(pacer.mayShowEarly(t));
}

} // namespace
} // namespace ktr
