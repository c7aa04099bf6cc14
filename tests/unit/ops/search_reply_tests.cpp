// The fields of a search reply.
#include <gtest/gtest.h>

#include "ops/mac_text.h"
#include "ops/search_reply.h"
#include "ops/text_convert.h"
#include "tests/support/hex.h"

namespace ktr {
namespace {

using test::Hex;

TEST(SearchReplyTest, DecodesTheExampleBytes)
{
    const Bytes d = Hex("55 00 14 02 00 00 00 00 A6 00 A8 C0 00 0E EB 12 34 56 20 01 00 00 "
                        "41 42 00 77");
    const SearchReply r = DecodeSearchReply(d);
    EXPECT_EQ(FormatDottedAddress(r.ip), "192.168.0.166");
    EXPECT_EQ(FormatMacPlain(r.mac), "000EEB123456");
    EXPECT_EQ(r.firmware, 288);
    EXPECT_EQ(r.name, "AB");
}

TEST(SearchReplyTest, EncodeDecodeRoundTripAndMinimumLength)
{
    SearchReply r;
    r.ip = ParseDottedAddress("10.77.1.200");
    r.mac = {1, 2, 3, 4, 5, 6};
    r.firmware = 0xFFFF;
    r.name = "KTR-4410-HT-LAN";
    const Bytes d = EncodeSearchReply(r);
    EXPECT_EQ(d[0], kReplyStart);
    EXPECT_EQ(d[3], kCmdSearch);
    EXPECT_EQ(d.back(), FrameSum(ByteView(d).subspan(3, d.size() - 4)));
    const SearchReply back = DecodeSearchReply(d);
    EXPECT_EQ(back.ip, r.ip);
    EXPECT_EQ(back.mac, r.mac);
    EXPECT_EQ(back.firmware, r.firmware);
    EXPECT_EQ(back.name, r.name);

    // A reply of exactly 20 bytes carries no name; nothing past it is read.
    const SearchReply bare = DecodeSearchReply(ByteView(d).first(20));
    EXPECT_EQ(bare.mac, r.mac);
    EXPECT_TRUE(bare.name.empty());
}

} // namespace
} // namespace ktr
