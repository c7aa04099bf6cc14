// The rhythm in which replies are shown, without a window: a fake inbox says whether a take found
// datagrams, a fake showing whether anything was shown, and the clock is moved by hand (only the
// frame timer itself runs on real time).
#include "app/reply_pacer.h"

#include <QTest>

#include <gtest/gtest.h>

#include <deque>

namespace ktr {
namespace {

using namespace std::chrono_literals;

class ReplyPacerTest : public ::testing::Test
{
protected:
    // Each take finds datagrams while `found` has entries (taken from its front); each showing
    // shows something when replies were taken since the last one.
    ReplyPacer pacer{{[this](ReplyPacer::Clock::time_point deadline) {
                          ++takes;
                          lastDeadline = deadline;
                          const bool took = !found.empty() && found.front();
                          if (!found.empty())
                              found.pop_front();
                          pending = pending || took;
                          return took;
                      },
                      [this] {
                          const bool any = std::exchange(pending, false);
                          shows += any ? 1 : 0;
                          return any;
                      }},
                     [this] {
                         return now;
                     }};

    // Waits for the frame timer to end the open frame; false when it did not within a second.
    bool frameEnds()
    {
        const int before = takes;
        return QTest::qWaitFor([&] { return takes > before; }, 1000);
    }

    ReplyPacer::Clock::time_point now{1h};
    std::deque<bool> found;
    bool pending = false;
    int takes = 0;
    int shows = 0;
    ReplyPacer::Clock::time_point lastDeadline{};
};

TEST_F(ReplyPacerTest, TheFirstRepliesAfterAQuietSpellAreShownAtOnceAndOpenAFrame)
{
    found = {true};
    pacer.woken();
    EXPECT_EQ(takes, 1);
    EXPECT_EQ(lastDeadline, now + ReplyPacer::kFrame) << "a take lasts one frame at the most";
    EXPECT_EQ(shows, 1);
    ASSERT_TRUE(pacer.frameOpen());
    EXPECT_EQ(pacer.frameLength(), ReplyPacer::kFrame);
    // The frame's end finds nothing: no showing, and the pacer waits to be woken again.
    ASSERT_TRUE(frameEnds());
    EXPECT_EQ(shows, 1);
    EXPECT_FALSE(pacer.frameOpen());
}

TEST_F(ReplyPacerTest, AWakeThatFindsNothingShowsNothingAndOpensNoFrame)
{
    found = {false};
    pacer.woken();
    EXPECT_EQ(takes, 1);
    EXPECT_EQ(shows, 0);
    EXPECT_FALSE(pacer.frameOpen());
}

TEST_F(ReplyPacerTest, BurstsEndingWithinAFrameAreShownEarlyOnlyWhileTheAllowanceLasts)
{
    found = {true};
    pacer.woken();
    ASSERT_TRUE(pacer.frameOpen());
    // Three more bursts end within the frame, 1 ms apart: the allowance of early showings is
    // drawn down by every showing, the first one's included.
    for (int burst = 0; burst < 3; ++burst) {
        now += 1ms;
        found = {true};
        pacer.woken();
    }
    EXPECT_EQ(takes, 4);
    EXPECT_EQ(shows, 3) << "two early showings after the first, then the frame's end";
    // The last burst is shown at the frame's end, and the stream goes on in frames.
    ASSERT_TRUE(frameEnds());
    EXPECT_EQ(shows, 4);
    EXPECT_TRUE(pacer.frameOpen());
}

TEST_F(ReplyPacerTest, AStreamLongerThanASearchsBurstGetsLongerFrames)
{
    found = {true};
    pacer.woken();
    // Replies keep coming at every frame's end.
    found = {true};
    ASSERT_TRUE(frameEnds());
    EXPECT_EQ(pacer.frameLength(), ReplyPacer::kFrame);
    now += ReplyPacer::kBriefStream;
    found = {true};
    ASSERT_TRUE(frameEnds());
    EXPECT_TRUE(pacer.frameOpen());
    EXPECT_EQ(pacer.frameLength(), ReplyPacer::kLongStreamFrame);
    // Once a frame brings nothing, the frames end and the next stream starts brief again.
    ASSERT_TRUE(frameEnds());
    EXPECT_FALSE(pacer.frameOpen());
    found = {true};
    pacer.woken();
    EXPECT_EQ(pacer.frameLength(), ReplyPacer::kFrame);
}

TEST_F(ReplyPacerTest, RepliesTakenInsideAnotherOnesDispatchWaitForIt)
{
    {
        const ReplyPacer::Dispatch outer(pacer);
        EXPECT_TRUE(pacer.dispatching());
        {
            const ReplyPacer::Dispatch inner(pacer);
        }
        EXPECT_TRUE(pacer.dispatching()) << "the inner dispatch ends, the outer one goes on";
        // A box of the outer reply runs an event loop, which is woken for more replies.
        found = {true};
        pacer.woken();
        EXPECT_EQ(takes, 1);
        EXPECT_EQ(shows, 0);
        EXPECT_FALSE(pacer.frameOpen());
    }
    EXPECT_FALSE(pacer.dispatching());
    // The next wake shows them.
    found = {false};
    pacer.woken();
    found = {true};
    pacer.woken();
    EXPECT_EQ(shows, 1);
}

} // namespace
} // namespace ktr
