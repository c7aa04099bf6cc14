// The hand-over between the receiver thread and the window: wakes asked for only when the window
// is not taking on its own, and every datagram taken once, in order, with no wake lost. Also
// built under ThreadSanitizer.
#include "link/datagram_inbox.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

// The ThreadSanitizer build names the suite apart.
#ifndef KTR_INBOX_SUITE
#define KTR_INBOX_SUITE DatagramInbox
#endif

namespace ktr {
namespace {

Bytes Numbered(std::uint32_t n)
{
    return {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
            static_cast<std::uint8_t>(n >> 16)};
}

std::uint32_t NumberOf(const Bytes &b)
{
    return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
           static_cast<std::uint32_t>(b[2]) << 16;
}

TEST(KTR_INBOX_SUITE, AWakeIsAskedForOnlyAfterAQuietSpell)
{
    DatagramInbox inbox;
    EXPECT_TRUE(inbox.put(Numbered(1)));  // the window sleeps: wake it
    EXPECT_FALSE(inbox.put(Numbered(2))); // already woken
    const std::vector<Bytes> first = inbox.take();
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(NumberOf(first[0]), 1u);
    EXPECT_EQ(NumberOf(first[1]), 2u);
    // It found datagrams, so it takes again at its frame's end; no wake meanwhile.
    EXPECT_FALSE(inbox.put(Numbered(3)));
    EXPECT_EQ(inbox.take().size(), 1u);
    // Taking more of a burst never ends the frames, even when nothing came.
    EXPECT_TRUE(inbox.takeMore().empty());
    EXPECT_FALSE(inbox.holdsDatagrams());
    EXPECT_FALSE(inbox.put(Numbered(4)));
    EXPECT_TRUE(inbox.holdsDatagrams());
    EXPECT_EQ(inbox.takeMore().size(), 1u);
    // A take that finds nothing ends the frames; the next datagram wakes it again.
    EXPECT_TRUE(inbox.take().empty());
    EXPECT_TRUE(inbox.put(Numbered(5)));
}

// The window's side as it runs: it sleeps until woken, then takes once per frame until a take
// finds nothing. A lost wake would leave datagrams in the inbox with the window asleep for good.
TEST(KTR_INBOX_SUITE, EveryDatagramIsTakenOnceInOrderWhileTheReceiverRaces)
{
    constexpr std::uint32_t kDatagrams = 20000;
    DatagramInbox inbox;
    std::mutex mutex;
    std::condition_variable woken;
    int wakes = 0;

    std::thread receiver([&] {
        for (std::uint32_t n = 0; n < kDatagrams; ++n) {
            if (inbox.put(Numbered(n))) {
                const std::lock_guard lock(mutex);
                ++wakes;
                woken.notify_one();
            }
            if (n % 64 == 0)
                std::this_thread::yield();
        }
    });

    std::uint32_t expected = 0;
    int wakesTaken = 0;
    while (expected < kDatagrams) {
        {
            std::unique_lock lock(mutex);
            ASSERT_TRUE(
                woken.wait_for(lock, std::chrono::seconds(10), [&] { return wakes > wakesTaken; }))
                << "asleep with " << expected << " of " << kDatagrams << " taken";
            ++wakesTaken;
        }
        for (std::vector<Bytes> batch = inbox.take(); !batch.empty(); batch = inbox.take()) {
            for (const Bytes &d : batch)
                ASSERT_EQ(NumberOf(d), expected++);
        }
    }
    receiver.join();
    EXPECT_TRUE(inbox.take().empty());
    // Every wake asked for was for a datagram the window then took.
    EXPECT_LE(wakes, static_cast<int>(kDatagrams));
    EXPECT_EQ(wakes, wakesTaken);
}

} // namespace
} // namespace ktr
