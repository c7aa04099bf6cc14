// The search, and the routing of received datagrams to the decoders.
#include <gtest/gtest.h>

#include "tests/unit/ops/fakes.h"

namespace ktr::test {
namespace {

// A device's search answer: IP 192.168.0.<last>, MAC 00-0E-EB-12-34-<last>, firmware 288.
Bytes SearchReply(std::uint8_t last)
{
    return Concat({Hex("55 00 18 02 00 00 00 00"), Bytes{last}, Hex("00 A8 C0 00 0E EB 12 34"),
                   Bytes{last}, Hex("20 01 00 00"), Text("KTR"), Hex("00 00")});
}

class Dispatch : public ::testing::Test
{
protected:
    Harness h;
};

TEST_F(Dispatch, SearchEmptiesTheListBeforeAnythingCanRaiseABox)
{
    h.list.rows = {{"old", "QX-HT-LAN", "000EEB000001", "1"}};
    h.state.messageText.appendLine("读取参数...");
    h.state.SelectedDeviceMac = {1, 2, 3, 4, 5, 6};

    OnSearch(h.ui);

    EXPECT_EQ(h.shell.endpointRefreshes, 1);
    EXPECT_EQ(h.shell.rowsWhenBoxMayOpen, (std::vector<int>{0, 0}));
    EXPECT_EQ(h.shell.sent, (std::vector<Bytes>{Hex("AA 00 01 02 02")}));
    EXPECT_EQ(h.shell.shown, (std::vector<std::string>{"", "搜索...\r\n"}));
    EXPECT_EQ(h.state.SelectedDeviceMac, (MacAddress{1, 2, 3, 4, 5, 6}));
}

TEST_F(Dispatch, ThreeAnswersGiveThreeRowsNewestOnTopAndThreeLines)
{
    OnSearch(h.ui);
    for (std::uint8_t last : {0xA6, 0xA7, 0xA8})
        OnDatagram(h.ui, SearchReply(last));

    const std::vector<DeviceRow> rows = {
        {"192.168.0.168", "QX-HT-LAN", "000EEB1234A8", "288"},
        {"192.168.0.167", "QX-HT-LAN", "000EEB1234A7", "288"},
        {"192.168.0.166", "QX-HT-LAN", "000EEB1234A6", "288"},
    };
    EXPECT_EQ(h.list.rows, rows);
    EXPECT_EQ(h.shell.area(), "搜索...\r\n搜索到设备\r\n搜索到设备\r\n搜索到设备\r\n");
}

// Once the replies of a search are over - 1.5 s after the request and 0.5 s after the last reply -
// one line says how many devices answered; a device answering twice counts once.
TEST_F(Dispatch, OneSummaryLineOnceTheRepliesAreOver)
{
    using namespace std::chrono_literals;
    const auto tickAt = [this](std::chrono::milliseconds sinceSearch, SteadyTime searched) {
        h.now = searched + sinceSearch;
        OnTick(h.ui);
    };
    const SteadyTime searched = h.now;
    OnSearch(h.ui);
    for (std::uint8_t last : {0xA6, 0xA7, 0xA6}) {
        h.now += 400ms;
        OnDatagram(h.ui, SearchReply(last));
    }
    const std::string replies = "搜索...\r\n搜索到设备\r\n搜索到设备\r\n搜索到设备\r\n";
    tickAt(1000ms, searched);
    EXPECT_EQ(h.shell.area(), replies);
    tickAt(1500ms, searched); // the last reply came at 1.2 s
    EXPECT_EQ(h.shell.area(), replies);
    tickAt(1700ms, searched);
    EXPECT_EQ(h.shell.area(), replies + "搜索完成，共搜索到2台设备\r\n");
    tickAt(5000ms, searched);
    EXPECT_EQ(h.shell.area(), replies + "搜索完成，共搜索到2台设备\r\n") << "said once";

    // A late reply still gets its line and its row, after the summary.
    OnDatagram(h.ui, SearchReply(0xA8));
    EXPECT_EQ(h.list.rows.size(), 4u);
    EXPECT_EQ(h.shell.area(), replies + "搜索完成，共搜索到2台设备\r\n搜索到设备\r\n");

    // A search nobody answers says what to check.
    const SteadyTime again = h.now;
    OnSearch(h.ui);
    tickAt(1499ms, again);
    EXPECT_EQ(h.shell.area(), "搜索...\r\n");
    tickAt(1500ms, again);
    EXPECT_EQ(h.shell.area(),
              "搜索...\r\n搜索完成，没有搜索到设备：请检查设备是否通电、网线是否连接，"
              "以及防火墙是否允许UDP 1901端口\r\n");

    // A search that went out nowhere says so, and nothing more.
    h.shell.openEndpoints = 0;
    const SteadyTime unsent = h.now;
    OnSearch(h.ui);
    const std::string nothingSent = h.shell.area();
    tickAt(3000ms, unsent);
    EXPECT_EQ(h.shell.area(), nothingSent);
    EXPECT_EQ(nothingSent.find("搜索完成"), std::string::npos);

    // A device read by a double-click before the summary is due keeps the area to its own lines:
    // a summary after "读取网络参数成功！" would read as the read's outcome.
    h.shell.openEndpoints = 1;
    const SteadyTime beforeRead = h.now;
    OnSearch(h.ui);
    OnDatagram(h.ui, SearchReply(0xA6));
    h.list.selected = 0;
    OnDblclkDeviceList(h.ui);
    tickAt(3000ms, beforeRead);
    EXPECT_EQ(h.shell.area().find("搜索完成"), std::string::npos) << h.shell.area();
}

TEST_F(Dispatch, SearchAnswerOfExactlyTwentyBytesIsShown)
{
    const Bytes reply = SearchReply(0x09);
    OnDatagram(h.ui, Bytes(reply.begin(), reply.begin() + 20));
    ASSERT_EQ(h.list.rows.size(), 1u);
    EXPECT_EQ(h.list.rows[0], (DeviceRow{"192.168.0.9", "QX-HT-LAN", "000EEB123409", "288"}));
}

// Datagrams the tool does not decode: the message area is refreshed and nothing else changes.
struct IgnoredCase
{
    const char *what;
    Bytes datagram;
};
class Ignored : public Dispatch, public ::testing::WithParamInterface<IgnoredCase>
{
};

TEST_P(Ignored, OnlyRefreshes)
{
    h.state.messageText.appendLine("搜索...");
    const auto network = h.networkPage.current;
    const auto device = h.devicePage.current;
    const NetworkBlock record = h.state.LastNetworkBlock;

    OnDatagram(h.ui, GetParam().datagram);

    EXPECT_EQ(h.shell.shown, (std::vector<std::string>{"搜索...\r\n"}));
    EXPECT_TRUE(h.list.rows.empty());
    EXPECT_EQ(h.networkPage.current, network);
    EXPECT_EQ(h.devicePage.current, device);
    EXPECT_EQ(h.state.LastNetworkBlock, record);
    EXPECT_FALSE(h.state.deviceBlockRead);
    EXPECT_TRUE(h.shell.sent.empty());
}

Bytes Truncate(Bytes bytes, std::size_t size)
{
    bytes.resize(size);
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Datagrams, Ignored,
    ::testing::Values(
        IgnoredCase{"own search request", Hex("AA 00 01 02 02")},
        IgnoredCase{"request start byte", Concat({Hex("AA"), Truncate(SearchReply(1), 23)})},
        IgnoredCase{"write acknowledged", Hex("55 00 07 04 00 0E EB 12 34 56 9B")},
        IgnoredCase{"reset acknowledged", Hex("55 00 07 06 00 0E EB 12 34 56 9D")},
        IgnoredCase{"MAC acknowledged", Hex("55 00 07 0F 00 0E EB 12 34 56 A6")},
        IgnoredCase{"empty", Bytes{}}, IgnoredCase{"three bytes", Hex("55 00 01")},
        IgnoredCase{"19-byte search reply", Truncate(SearchReply(1), 19)},
        IgnoredCase{"301-byte network reply",
                    Concat({Hex("55 01 2B 03 00 0E EB 12 34 56"), Bytes(291, 0x80)})},
        IgnoredCase{"tunnel length past the end", Hex("55 00 05 0A 00 0E EB 12 34 56 7E 11 E0 1C")},
        IgnoredCase{"tunnel header cut short", Hex("55 00 04 0B 00 0E")},
        IgnoredCase{"tunnel of other function", Hex("55 00 04 0A 00 0E EB 12 34 56 7E 12 A0 1D")},
        IgnoredCase{"read frame without body", Hex("55 00 04 0A 00 0E EB 12 34 56 7E 10 21 DC")},
        IgnoredCase{"acknowledgement with bad CRC",
                    Hex("55 00 04 0A 00 0E EB 12 34 56 7E 11 E0 1D")}),
    [](const ::testing::TestParamInfo<IgnoredCase> &info) {
        std::string name;
        for (char c : std::string(info.param.what))
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

TEST_F(Dispatch, EmptyTunnelReplyDoesNothingAtAll)
{
    for (std::uint8_t command : {0x0A, 0x0B})
        OnDatagram(h.ui, Bytes{0x55, 0x00, 0x00, command, 0, 0x0E, 0xEB, 0x12, 0x34, 0x56, 0x7E,
                               0x11, 0xE0, 0x1C});
    EXPECT_TRUE(h.shell.shown.empty());
    EXPECT_EQ(h.state.messageText.text(), "");
}

TEST_F(Dispatch, TunnelReplyWithCommand0BIsDecodedLike0A)
{
    for (std::uint8_t command : {0x0A, 0x0B}) {
        SCOPED_TRACE(int{command});
        Harness fresh;
        Answer(fresh, Bytes{0x55, 0x00, 0x04, command, 0, 0x0E, 0xEB, 0x12, 0x34, 0x56, 0x7E, 0x11,
                            0xE0, 0x1C, 0x00});
        EXPECT_EQ(fresh.shell.area(), "下载设备参数成功！\r\n");

        DeviceBlock block = DefaultPageDeviceBlock();
        block.baudRate = 19200;
        const DeviceBody body = EncodeDeviceBody(block);
        Bytes frame = Concat({Hex("7E 10"), Bytes(body.begin(), body.end())});
        const std::uint16_t crc = Crc16(frame);
        frame = Concat(
            {frame, Bytes{static_cast<std::uint8_t>(crc), static_cast<std::uint8_t>(crc >> 8)}});
        Answer(fresh, Concat({Bytes{0x55, 0x00, 0x60, command}, Hex("00 0E EB 12 34 56"), frame}));
        EXPECT_TRUE(fresh.state.deviceBlockRead);
        EXPECT_EQ(fresh.devicePage.current.baudRate, "19200");
        EXPECT_EQ(fresh.shell.area(), "下载设备参数成功！\r\n读取设备参数成功！\r\n");
    }
}

TEST_F(Dispatch, NetworkReplyOfExactly302BytesIsShown)
{
    Bytes block(292, 0);
    block[0] = 0x80;
    block[1] = 0x2A;
    Answer(h, Concat({Hex("55 01 2B 03 00 0E EB 12 34 56"), block}));
    EXPECT_EQ(h.networkPage.current.staticIp, "0.0.0.42");
    EXPECT_EQ(h.shell.area(), "读取网络参数成功！\r\n");
}

} // namespace
} // namespace ktr::test
