// Which datagrams on a slot socket count: those sent to the slot's own address, and those whose
// destination the system did not report.
#include "link/slot_copies.h"

#include <gtest/gtest.h>

namespace ktr {
namespace {

constexpr std::uint32_t kSlot = 0xC0A80105u;      // 192.168.1.5
constexpr std::uint32_t kOtherSlot = 0x0A000002u; // 10.0.0.2

TEST(SlotCopiesTest, UnicastToTheSlotsOwnAddressCounts)
{
    EXPECT_TRUE(CountsOnSlot(kSlot, kSlot));
}

TEST(SlotCopiesTest, BroadcastCopiesAndOtherDestinationsDoNotCount)
{
    EXPECT_FALSE(CountsOnSlot(0xFFFFFFFFu, kSlot)); // limited broadcast
    EXPECT_FALSE(CountsOnSlot(0xC0A801FFu, kSlot)); // the subnet's broadcast
    EXPECT_FALSE(CountsOnSlot(kOtherSlot, kSlot));  // another interface's address
    EXPECT_FALSE(CountsOnSlot(kSlot, 0));           // a slot of unknown address takes no unicast
}

TEST(SlotCopiesTest, UnreportedDestinationCounts)
{
    EXPECT_TRUE(CountsOnSlot(0, kSlot));
    EXPECT_TRUE(CountsOnSlot(0, 0));
}

} // namespace
} // namespace ktr
