// The merge of search replies: each device once, every interface that heard it, IP order.
#include <gtest/gtest.h>

#include "ops/text_convert.h"
#include "tools/cli/search.h"

namespace ktr::cli {
namespace {

constexpr std::uint32_t kPc0 = 0x0A4D010Au; // 10.77.1.10
constexpr std::uint32_t kPc1 = 0x0A4D020Au; // 10.77.2.10

Reply SearchFrom(const char *ip, std::uint8_t macLast, std::uint32_t via,
                 std::uint16_t firmware = 288)
{
    SearchReply r;
    r.ip = ParseDottedAddress(ip);
    r.mac = {0x00, 0x0E, 0xEB, 0x00, 0x00, macLast};
    r.firmware = firmware;
    return Reply{EncodeSearchReply(r), 0x0A4D0102u, via};
}

std::vector<std::string> Ips(const std::vector<FoundDevice> &found)
{
    std::vector<std::string> ips;
    for (const FoundDevice &d : found)
        ips.push_back(FormatDottedAddress(d.reply.ip));
    return ips;
}

TEST(MergeSearchRepliesTest, OneEntryPerMacWithEveryInterfaceThatHeardIt)
{
    const std::vector<FoundDevice> found = MergeSearchReplies({
        SearchFrom("192.168.0.11", 2, kPc1, 300), SearchFrom("192.168.0.10", 1, kPc0),
        SearchFrom("192.168.0.11", 2, kPc0, 301), // heard again on the other interface
        SearchFrom("192.168.0.11", 2, kPc1),      // and a duplicate on the first
        SearchFrom("192.168.0.10", 1, 0),         // arrival address not known
    });
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].heardOn, std::vector<std::uint32_t>{kPc0});
    EXPECT_EQ(found[1].heardOn, (std::vector<std::uint32_t>{kPc0, kPc1}));
    EXPECT_EQ(found[1].reply.firmware, 300) << "the first reply's fields are kept";
}

TEST(MergeSearchRepliesTest, SortedByIpAsNumbersThenMac)
{
    const std::vector<FoundDevice> found = MergeSearchReplies({
        SearchFrom("192.168.0.100", 1, kPc0),
        SearchFrom("10.0.0.9", 2, kPc0),
        SearchFrom("192.168.0.20", 4, kPc0),
        SearchFrom("192.168.0.20", 3, kPc0), // two devices on one address: by MAC
        SearchFrom("192.168.0.9", 5, kPc0),
    });
    EXPECT_EQ(Ips(found), (std::vector<std::string>{"10.0.0.9", "192.168.0.9", "192.168.0.20",
                                                    "192.168.0.20", "192.168.0.100"}));
    EXPECT_EQ(found[2].reply.mac[5], 3);
    EXPECT_EQ(found[3].reply.mac[5], 4);
}

TEST(MergeSearchRepliesTest, DatagramsThatAreNoCompleteSearchReplyAreLeftOut)
{
    Reply cut = SearchFrom("192.168.0.10", 1, kPc0);
    cut.data.resize(19);
    Reply network = SearchFrom("192.168.0.11", 2, kPc0);
    network.data[3] = kCmdReadNetwork;
    Reply request = SearchFrom("192.168.0.12", 3, kPc0);
    request.data[0] = kRequestStart;
    EXPECT_TRUE(MergeSearchReplies({cut, network, request}).empty());
}

} // namespace
} // namespace ktr::cli
